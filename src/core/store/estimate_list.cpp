#include "core/store/estimate_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/fixed4_format.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto {
namespace {

const std::string& NotAnEstimateText() {
    // "<見積データではありません>" in CP932.
    static const std::string text = Utf8ToCp932("<見積データではありません>").value_or("<?>");
    return text;
}

constexpr std::string_view kAfterNumber = "  ";
constexpr std::string_view kBeforePrintDate = "   ";
constexpr std::string_view kNotAnEstimateMark = "**********";

unsigned char FoldAscii(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view ascii) {
    if (text.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (FoldAscii(static_cast<unsigned char>(text[i])) !=
            FoldAscii(static_cast<unsigned char>(ascii[i]))) {
            return false;
        }
    }
    return true;
}

// "m_*.dat" as the Windows wildcard matched it: letters in any case.
bool IsEstimateFileName(std::string_view name) {
    return name.size() >= 6 && EqualsIgnoringCase(name.substr(0, 2), "m_") &&
           EqualsIgnoringCase(name.substr(name.size() - 4), ".dat");
}

// A name read from the folder. Estimate names are ASCII, which reads the same in every
// encoding and is taken without the general (and much slower) decoding.
QString NameOf(const char* name) {
    const std::size_t length = std::strlen(name);
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(name[i]) >= 0x80) return QFile::decodeName(name);
    return QString::fromLatin1(name, static_cast<qsizetype>(length));
}

bool IsPlainFile(const std::string& path, unsigned char type) {
    if (type == DT_REG) return true;
    if (type != DT_LNK && type != DT_UNKNOWN) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Non-blocking, so that a FIFO put in place of a file cannot stall the list.
int OpenForHeader(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK); }

// Reads the header from an open file and closes it; false when it holds less than a header.
bool ReadHeaderAndClose(int fd, EstimateHeader& header) {
    char buffer[kEstimateHeaderSize];
    std::size_t filled = 0;
    while (filled < sizeof buffer) {
        const ssize_t got = ::read(fd, buffer + filled, sizeof buffer - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (filled < sizeof buffer) return false;
    header.Assign(std::string_view(buffer, sizeof buffer));
    return true;
}

bool ReadHeaderFrom(const char* path, EstimateHeader& header) {
    const int fd = OpenForHeader(path);
    if (fd < 0) return false;
    return ReadHeaderAndClose(fd, header);
}

EstimateFileStamp StampOf(const struct stat& info) {
    return {static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            static_cast<quint64>(info.st_ino)};
}

}  // namespace

std::string EstimateListItem(std::string_view fileName, const EstimateHeader* header) {
    std::string item;
    item.reserve(kListNumberBytes + kAfterNumber.size() + kListCustomerBytes + kListTitleBytes +
                 kListDateBytes + kListAmountBytes + kBeforePrintDate.size() + kListPrintDateBytes);
    AppendPaddedRight(item, fileName.substr(std::min<std::size_t>(2, fileName.size())),
                      kListNumberBytes);
    item += kAfterNumber;
    if (header == nullptr) {
        item += kBeforePrintDate;
        return item;
    }
    if (header->SignatureKind() == EstimateSignature::Foreign) {
        AppendPaddedRight(item, NotAnEstimateText(), kListCustomerBytes);
        item += kNotAnEstimateMark;
        item += kBeforePrintDate;
        return item;
    }
    AppendPaddedRight(item, header->TextView(HeaderText::MName1), kListCustomerBytes);
    AppendPaddedRight(item, header->TextView(HeaderText::MTitle1), kListTitleBytes);
    AppendPaddedRight(item, header->TextView(HeaderText::MYMD1), kListDateBytes);
    // The heading (note line 9) had a column of its own once; the column is kept hidden and
    // empty, so the heading adds nothing to the line.
    // As the editor shows it: a figure too wide for its separators loses them, and one too
    // wide even then takes the room it needs rather than showing as 0.
    const std::string amount =
        DisplayNumber(header->Figure(HeaderFigure::MGoukei01), kListAmountWidth, 0, true);
    AppendPaddedRight(item, amount,
                      std::max<int>(kListAmountBytes, static_cast<int>(amount.size())));
    item += kBeforePrintDate;
    AppendPaddedRight(item, header->TextView(HeaderText::MYMD4), kListPrintDateBytes);
    return item;
}

std::string NumberOfListItem(std::string_view item) {
    const std::string_view number =
        TrimmedView(item.substr(0, std::min<std::size_t>(item.size(), 6)));
    // Digits alone (the number of every estimate the program saved) are a number as they
    // stand; anything else is read as the editor reads a typed number.
    const bool digits = !number.empty() && std::all_of(number.begin(), number.end(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
    if (!digits && !IsNumberText(number)) return std::string(kNoListNumber);
    return std::string(number);
}

std::string PrintDateOfListItem(std::string_view item) {
    // The short forms of unreadable and foreign files carry no print date.
    constexpr std::size_t kFullLine = kListNumberBytes + kAfterNumber.size() + kListCustomerBytes +
                                      kListTitleBytes + kListDateBytes + kListAmountBytes +
                                      kBeforePrintDate.size() + kListPrintDateBytes;
    if (item.size() < kFullLine) return {};
    const std::size_t tail = static_cast<std::size_t>(kListPrintDateTailBytes);
    std::size_t start = item.size() > tail ? item.size() - tail : 0;
    // A line is CP932 text: a tail starting on a second byte begins with the next character.
    if (start > 0 && ByteClass(item, static_cast<int>(start) + 1) == ByteKind::kSecond) ++start;
    return Trimmed(item.substr(start));
}

int CompareListText(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    bool secondByte = false;  // the same in both texts up to the first difference
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (!secondByte) {
            x = FoldAscii(x);
            y = FoldAscii(y);
        }
        if (x != y) return x < y ? -1 : 1;
        secondByte = !secondByte && IsLeadByte(static_cast<unsigned char>(a[i]));
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::uint64_t ListOrderPrefix(std::string_view text) {
    std::uint64_t prefix = 0;
    bool secondByte = false;
    for (std::size_t i = 0; i < 8; ++i) {
        unsigned char byte = 0;
        if (i < text.size()) {
            byte = static_cast<unsigned char>(text[i]);
            if (!secondByte) byte = FoldAscii(byte);
            secondByte = !secondByte && IsLeadByte(static_cast<unsigned char>(text[i]));
        }
        prefix = prefix << 8 | byte;
    }
    return prefix;
}

std::string FileNameAsCp932(const QString& fileName) {
    // Estimate names are ASCII, which CP932 holds as it is.
    std::string name(static_cast<std::size_t>(fileName.size()), '\0');
    bool ascii = true;
    for (qsizetype i = 0; i < fileName.size() && ascii; ++i) {
        const char16_t unit = fileName.at(i).unicode();
        ascii = unit < 0x80;
        name[static_cast<std::size_t>(i)] = static_cast<char>(unit);
    }
    if (ascii) return name;
    if (auto whole = QStringToCp932(fileName)) return *whole;
    std::string result;
    for (qsizetype i = 0; i < fileName.size(); ++i) {
        qsizetype length = 1;
        if (fileName.at(i).isHighSurrogate() && i + 1 < fileName.size()) length = 2;
        const auto piece = QStringToCp932(fileName.mid(i, length));
        result += piece ? *piece : std::string("?");
        i += length - 1;
    }
    return result;
}

bool ReadHeaderAt(const QString& path, EstimateHeader& header) {
    return ReadHeaderFrom(QFile::encodeName(path).constData(), header);
}

namespace {

// Walks the estimate files of the data folder: each name "m_*.dat" with the folder's path
// before it (path, reused) and its directory entry. False when the folder cannot be read.
bool WalkEstimateFiles(
    Environment& environment,
    const std::function<bool(DIR* dir, const dirent* entry, const std::string& path)>& visit) {
    std::string folder = QFile::encodeName(NativePath(DataFolder(environment))).toStdString();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return false;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::string path;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsEstimateFileName(entry->d_name)) continue;
        path.assign(folder).append(entry->d_name);
        if (!visit(dir, entry, path)) break;
    }
    ::closedir(dir);
    return true;
}

}  // namespace

bool VisitEstimateHeaders(
    Environment& environment,
    const std::function<bool(const QString& fileName, const EstimateHeader* header)>& visit) {
    EstimateHeader header;
    return WalkEstimateFiles(environment, [&](DIR*, const dirent* entry, const std::string& path) {
        if (!IsPlainFile(path, entry->d_type)) return true;
        const bool readable = ReadHeaderFrom(path.c_str(), header);
        return visit(NameOf(entry->d_name), readable ? &header : nullptr);
    });
}

bool VisitEstimateFiles(
    Environment& environment, const std::function<bool(const QString& fileName)>& readAhead,
    const std::function<bool(const QString& fileName, const EstimateFileStamp& stamp,
                             const std::function<const EstimateHeader*()>& readHeader)>& visit) {
    EstimateHeader header;
    return WalkEstimateFiles(environment, [&](DIR* dir, const dirent* entry,
                                              const std::string& path) {
        const QString name = NameOf(entry->d_name);
        struct stat info {};
        // A plain file the caller does not know: opened once, its stamp taken from the open
        // file. One that cannot be opened is looked at as any other below (gone, or listed
        // as unreadable).
        if (entry->d_type == DT_REG && readAhead(name)) {
            if (const int fd = OpenForHeader(path.c_str()); fd >= 0) {
                if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
                    ::close(fd);
                    return true;
                }
                const EstimateHeader* read = ReadHeaderAndClose(fd, header) ? &header : nullptr;
                return visit(name, StampOf(info), [read] { return read; });
            }
        }
        // Links are followed, as the list always did.
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            return true;
        const std::function<const EstimateHeader*()> readHeader = [&]() -> const EstimateHeader* {
            return ReadHeaderFrom(path.c_str(), header) ? &header : nullptr;
        };
        return visit(name, StampOf(info), readHeader);
    });
}

std::vector<EstimateListEntry> BuildEstimateList(Environment& environment) {
    std::vector<EstimateListEntry> entries;
    VisitEstimateHeaders(
        environment, [&entries](const QString& name, const EstimateHeader* header) {
            entries.push_back({EstimateListItem(FileNameAsCp932(name), header), name});
            return true;
        });
    SortEstimateList(entries);
    return entries;
}

bool ListsBefore(const EstimateListEntry& a, const EstimateListEntry& b) {
    const int order = CompareListText(a.item, b.item);
    if (order != 0) return order < 0;
    if (a.item != b.item) return a.item < b.item;
    return a.fileName < b.fileName;
}

void SortEstimateList(std::vector<EstimateListEntry>& entries) {
    SortInListOrder(entries,
                    [](const EstimateListEntry& e) -> const EstimateListEntry& { return e; });
}

}  // namespace quilto
