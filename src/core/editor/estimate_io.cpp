#include "core/editor/estimate_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <set>

#include "core/foundation/atomic_file.h"
#include "core/foundation/era_date.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/held_temporary_file.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

// No estimate we write comes near this (1392 + 192 x 91,300 bytes at most); a larger file
// is read up to here and the rest ignored.
constexpr qint64 kMaxEstimateFileBytes = 64 * 1024 * 1024;
constexpr int kHighestNumber = 999999;

const char* const kCreateError = "見積作成エラー  ";  // the file could not be created
const char* const kWriteError = "見積作成エラ－  ";   // writing it failed

std::string NumberOf(const EstimateDocument& document) {
    return Trimmed(document.Text(HeaderText::MNo));
}

std::string SixDigits(int number) {
    std::string text = "00000000" + std::to_string(number);
    return text.substr(text.size() - 6);
}

std::string EstimateFileName(std::string_view number) {
    return "m_" + std::string(number) + ".dat";
}

std::string DefaultTaxRateText(const Environment& environment) {
    const Fixed4 rate = environment.TaxRate();
    return rate.raw > 0 ? Fixed4ToText(rate) : Fixed4ToText(kDefaultTaxRate);
}

// The cover-and-grid part of a new estimate.
void ClearCover(EstimateDocument& document, const Environment& environment) {
    document.ClearCoverAndGrids();
    document.SetText(HeaderText::MYMD1, TodayEraText());
    for (int i = 0; i < kHeaderFigureCount; ++i) {
        document.SetFigure(static_cast<HeaderFigure>(i), "0");
    }
    document.SetTaxRateText(DefaultTaxRateText(environment));
    document.Calculations().RefreshHeaderFigures(document);
}

std::optional<std::string> ReadUpTo(const QString& path, qint64 maxBytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(std::min(file.size(), maxBytes));
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A file that holds a whole header with neither estimate signature is some other file
// that happens to carry an estimate's name: it is never overwritten.
bool HoldsForeignFile(const QString& path) {
    const auto head = ReadUpTo(path, static_cast<qint64>(kEstimateHeaderSize));
    if (!head || head->size() < kEstimateHeaderSize) return false;
    EstimateHeader header;
    header.Assign(*head);
    return header.SignatureKind() == EstimateSignature::Foreign;
}

// The header and line records from the cover and the grids, as the next save writes them.
void BuildRecords(EstimateDocument& document) {
    EstimateHeader& header = document.Header();
    for (int i = 0; i < kHeaderTextCount; ++i) {
        const auto field = static_cast<HeaderText>(i);
        header.SetText(field, document.Text(field));
    }
    for (int i = 0; i < kHeaderFigureCount; ++i) {
        const auto figure = static_cast<HeaderFigure>(i);
        header.SetFigure(figure, TextToFixed4(document.Figure(figure)));
    }
    const long long rate = ToInt(CleanNumber(document.TaxRateText()));
    header.SetTaxRate(static_cast<std::int32_t>(std::clamp<long long>(rate, INT32_MIN, INT32_MAX)));
    header.SetCheckBox1(document.CheckBox1() ? 1 : 0);
    header.SetCheckBox2(document.CheckBox2() ? 1 : 0);

    EstimateStores& stores = document.Stores();
    const TextGrid& breakdown = document.Grid(SheetKind::Breakdown);
    for (int row = 1; row <= kBreakdownLines; ++row) {
        RowToRecord(breakdown, row, SheetKind::Breakdown,
                    stores.breakdown[static_cast<std::size_t>(row)]);
    }
    const TextGrid& summary = document.Grid(SheetKind::Summary);
    for (int row = 1; row <= kSummaryLines; ++row) {
        RowToRecord(summary, row, SheetKind::Summary,
                    stores.summary[static_cast<std::size_t>(row)]);
    }
}

// The fixed message with its code, then the file and the system's reason when the failed
// step noted them, so that the user can tell a full disk from a missing folder.
EstimateResult Fail(Questions& questions, const char* message, EstimateResult code) {
    // Appended, not message + ...: GCC 12 at -O3 warns falsely there (-Wrestrict).
    std::string text(message);
    text += std::to_string(static_cast<int>(code));
    if (const QString failure = LastFileFailure(); !failure.isEmpty()) {
        text += '\n';
        text += failure.toStdString();
    }
    questions.Inform(text);
    return EstimateResult::kSaveFailed;
}

enum class Claim { Done, Taken, CreateFailed, WriteFailed };

// Creates target holding bytes, only if no file of that name exists, in a way that never
// shows the name without its content on any file system (hard links or none: exFAT and
// many NAS shares have none). The number is claimed first with a held claim file
// m_NNNNNN.claim beside it, so two copies of the program never write the same number; the
// content is written and flushed under a held temporary name and only then renamed to the
// estimate's name, refusing to replace a file that is there. A kill at any moment leaves at
// most the temporary and the claim file, which nobody holds any more: leftovers for the
// clean-up, never a blank estimate.
Claim ClaimNewFile(const QString& target, std::string_view number, std::string_view bytes) {
    const QDir folder = QFileInfo(target).dir();
    const QString claimPath = folder.filePath(NativePath("m_" + std::string(number) + ".claim"));
    HeldTemporaryFile claim;
    if (!claim.CreateNamed(claimPath)) {
        if (errno == EBUSY) return Claim::Taken;  // another copy is giving out this number
        NoteFileFailureErrno(folder.path() + u'/', errno);  // the folder takes no new file
        return Claim::CreateFailed;
    }
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) return Claim::Taken;
    HeldTemporaryFile content;
    if (!content.CreateBeside(target)) {
        NoteFileFailureErrno(target, errno);
        return Claim::CreateFailed;
    }
    if (!content.Write(bytes)) {
        NoteFileFailureErrno(target, errno);  // the estimate the user saves, not our temporary
        return Claim::WriteFailed;
    }
    if (!content.CommitAsNew(target)) {
        if (errno == EEXIST) return Claim::Taken;
        NoteFileFailureErrno(target, errno);
        return Claim::WriteFailed;
    }
    // The new name survives a power cut only once the folder is on disk.
    SyncFolderOf(target);
    return Claim::Done;
}

// The first save of a new estimate: the next free number, claimed exclusively.
EstimateResult SaveAsNewNumber(EstimateDocument& document, Environment& environment,
                               Questions& questions) {
    document.SetText(HeaderText::MBiko10, {});
    document.SetText(HeaderText::MYMD4, {});
    const QString folder = NativePath(DataFolder(environment));
    ClearFileFailure();
    int tried = 0;
    while (true) {
        const std::string next = NextManagementNumber(environment);
        if (next.empty()) return Fail(questions, kCreateError, EstimateResult::kIoError);
        // A name taken by something the numbering does not count (a folder, say) must not
        // be tried again and again.
        const int number = std::max(static_cast<int>(ToInt(next)), tried + 1);
        if (number > kHighestNumber) return Fail(questions, kCreateError, EstimateResult::kIoError);
        tried = number;
        const std::string text = SixDigits(number);
        document.SetText(HeaderText::MNo, text);
        BuildRecords(document);
        const std::string bytes = SerializeEstimate(document.Header(), document.Stores());
        const QString target = QDir(folder).filePath(NativePath(EstimateFileName(text)));
        switch (ClaimNewFile(target, text, bytes)) {
            case Claim::Done:
                document.SetNumberAssigned(true);
                return EstimateResult::kOk;
            case Claim::Taken:
                continue;
            case Claim::CreateFailed:
                return Fail(questions, kCreateError, EstimateResult::kIoError);
            case Claim::WriteFailed:
                return Fail(questions, kWriteError, EstimateResult::kIoError);
        }
    }
}

}  // namespace

QString EstimateFilePath(Environment& environment, std::string_view number) {
    const std::string trimmed = Trimmed(number);
    const std::string name = EstimateFileName(trimmed);
    if (trimmed == kBackupNumber) return ResolveCaseInsensitive(NativePath(name));
    return DataFilePath(environment, name);
}

std::string NextManagementNumber(Environment& environment) {
    static const QRegularExpression kEstimateName(QStringLiteral("^m_([0-9]{6})\\.dat$"),
                                                  QRegularExpression::CaseInsensitiveOption);
    const QDir folder(NativePath(DataFolder(environment)));
    std::set<int> taken;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = kEstimateName.match(name);
        if (match.hasMatch()) taken.insert(match.captured(1).toInt());
    }
    const int highest = taken.empty() ? 0 : *taken.rbegin();
    if (highest < kHighestNumber) return SixDigits(highest + 1);
    for (int number = 1; number <= kHighestNumber; ++number) {
        if (taken.count(number) == 0) return SixDigits(number);
    }
    return {};
}

void NewEstimate(EstimateDocument& document, const Environment& environment) {
    ClearCover(document, environment);
    document.ClearRecords();
    document.SetForeignFile(false);
}

namespace {

// Reads up to size bytes; how many it got, or -1 on a read error.
ssize_t ReadFully(int fd, char* into, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

// The records are read straight into the detail store's block, which the store keeps from
// load to load: a large estimate is neither copied nor allocated again on every load.
EstimateResult ReadEstimateFile(const QString& path, EstimateHeader& header,
                                EstimateStores& stores) {
    const QByteArray name = QFile::encodeName(path);
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return EstimateResult::kIoError;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return EstimateResult::kIoError;
    std::array<char, kEstimateHeaderSize> head{};
    if (ReadFully(file.get(), head.data(), head.size()) != static_cast<ssize_t>(head.size()))
        return EstimateResult::kIoError;
    header.Assign(std::string_view(head.data(), head.size()));
    const EstimateSignature signature = header.SignatureKind();
    // The size only sizes the block: a file that grows meanwhile is read up to it, one that
    // shrinks up to its end.
    const auto size = static_cast<std::size_t>(
        std::clamp<qint64>(static_cast<qint64>(status.st_size),
                           static_cast<qint64>(kEstimateHeaderSize), kMaxEstimateFileBytes));
    const std::size_t capacity = signature == EstimateSignature::Foreign
                                     ? 0
                                     : (size - kEstimateHeaderSize) / kLineRecordSize;
    const std::span<char> block = stores.RecordBlock(capacity);
    const ssize_t got = ReadFully(file.get(), block.data(), block.size());
    if (got < 0) {
        stores.Clear();
        return EstimateResult::kIoError;
    }
    // A short trailing record is ignored.
    stores.PlaceBlock(static_cast<std::size_t>(got) / kLineRecordSize,
                      signature == EstimateSignature::Old);
    return EstimateResult::kOk;
}

EstimateResult LoadEstimate(EstimateDocument& document, Environment& environment) {
    const std::string number = NumberOf(document);
    const QString path = EstimateFilePath(environment, number);
    if (LoadEstimateFrom(document, path) != EstimateResult::kOk) {
        NewEstimate(document, environment);
        document.SetText(HeaderText::MNo, number);
        return EstimateResult::kIoError;
    }
    return EstimateResult::kOk;
}

EstimateResult LoadEstimateFrom(EstimateDocument& document, const QString& path) {
    const std::string number = NumberOf(document);
    document.ClearRecords();
    document.ClearCoverAndGrids();
    document.SetForeignFile(false);
    document.SetText(HeaderText::MNo, number);

    if (ReadEstimateFile(path, document.Header(), document.Stores()) != EstimateResult::kOk)
        return EstimateResult::kIoError;
    if (document.Header().SignatureKind() == EstimateSignature::Foreign) {
        document.ClearRecords();
        document.SetForeignFile(true);
        return EstimateResult::kOk;
    }

    const EstimateHeader& header = document.Header();
    for (int i = 0; i < kHeaderTextCount; ++i) {
        const auto field = static_cast<HeaderText>(i);
        document.SetText(field, header.Text(field));
    }
    // The number stays the one that names the file: a file copied under another name must
    // not be saved back over the estimate it was copied from.
    document.SetText(HeaderText::MNo, number);
    for (int i = 0; i < kHeaderFigureCount; ++i) {
        const auto figure = static_cast<HeaderFigure>(i);
        document.SetFigure(figure, Fixed4ToText(header.Figure(figure)));
    }
    document.SetTaxRateText(std::to_string(header.TaxRate()));
    document.SetCheckBox1(header.CheckBox1() != 0);
    document.SetCheckBox2(header.CheckBox2() != 0);
    document.Calculations().RefreshHeaderFigures(document);

    const EstimateStores& stores = document.Stores();
    TextGrid& breakdown = document.Grid(SheetKind::Breakdown);
    for (int row = 1; row <= kBreakdownLines; ++row) {
        RecordToRow(stores.breakdown[static_cast<std::size_t>(row)], SheetKind::Breakdown,
                    breakdown, row);
        document.Calculations().FormatRowForDisplay(document, SheetKind::Breakdown, row);
    }
    TextGrid& summary = document.Grid(SheetKind::Summary);
    for (int row = 1; row <= kSummaryLines; ++row) {
        RecordToRow(stores.summary[static_cast<std::size_t>(row)], SheetKind::Summary, summary,
                    row);
        document.Calculations().FormatRowForDisplay(document, SheetKind::Summary, row);
    }
    return EstimateResult::kOk;
}

std::string EstimateFileBytes(EstimateDocument document) {
    document.SetCalculations(nullptr);
    document.StoreDetailSheet();
    BuildRecords(document);
    return SerializeEstimate(document.Header(), document.Stores());
}

EstimateResult SaveEstimate(EstimateDocument& document, Environment& environment,
                            Questions& questions) {
    const std::string number = NumberOf(document);
    if (number.empty()) return EstimateResult::kNoNumber;
    const bool backup = number == kBackupNumber;
    const EntryMode mode = document.Entry();
    if (!backup && ClaimsNewNumber(mode) && !document.NumberAssigned()) {
        return SaveAsNewNumber(document, environment, questions);
    }

    const QString path = EstimateFilePath(environment, number);
    ClearFileFailure();
    if (!backup && HoldsForeignFile(path)) {
        NoteFileFailure(path, QStringLiteral("見積データではないファイルです（上書きしません）"));
        return Fail(questions, kCreateError, EstimateResult::kNotEstimate);
    }
    BuildRecords(document);
    const std::string bytes = SerializeEstimate(document.Header(), document.Stores());
    const bool existed = QFileInfo::exists(path);
    if (!SaveFileAtomically(path, bytes)) {
        return Fail(questions, existed ? kWriteError : kCreateError, EstimateResult::kIoError);
    }
    return EstimateResult::kOk;
}

EstimateResult SaveEstimateWithBackup(EstimateDocument& document, Environment& environment,
                                      Questions& questions) {
    if (document.ReadOnly()) return EstimateResult::kReadOnly;
    const std::string number = document.Text(HeaderText::MNo);
    if (!HasText(number)) return EstimateResult::kNoNumber;
    document.SetText(HeaderText::MNo, std::string(kBackupNumber));
    const EstimateResult backup = SaveEstimate(document, environment, questions);
    document.SetText(HeaderText::MNo, number);
    if (backup != EstimateResult::kOk) return backup;
    return SaveEstimate(document, environment, questions);
}

EstimateResult DeleteEstimate(EstimateDocument& document, Environment& environment,
                              Removal* removal) {
    const QString path = EstimateFilePath(environment, NumberOf(document));
    const QString keep =
        QDir(NativePath(DataFolder(environment))).filePath(QString::fromUtf8(kDeletedFolderName));
    const Removal removed = RemoveRecoverably(path, keep);
    if (removal) *removal = removed;
    if (!removed.moved) return EstimateResult::kIoError;
    ClearCover(document, environment);
    return EstimateResult::kOk;
}

EstimateResult ReadEstimateHeader(Environment& environment, std::string_view fileName,
                                  EstimateHeader& header) {
    const auto head =
        ReadUpTo(DataFilePath(environment, fileName), static_cast<qint64>(kEstimateHeaderSize));
    if (!head || head->size() < kEstimateHeaderSize) return EstimateResult::kIoError;
    header.Assign(*head);
    return EstimateResult::kOk;
}

}  // namespace quilto
