#include "core/store/markers.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <cerrno>
#include <utility>

#include "core/foundation/file_helpers.h"
#include "core/foundation/file_lock.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

// Every unlink of a marker happens while this process holds the marker's write lock and
// after checking that the name still refers to the locked file. Hold likewise checks the
// name after taking the lock. Together this closes the races between a copy creating a
// marker, a copy releasing it and a copy deleting leftovers: nobody can remove a name that
// another copy has locked, and a copy that locked a file just removed by someone else
// notices and starts again with the new file.

namespace quilto {
namespace {

constexpr const char* kEstimateCreateFailed = "見積排他ファイル エラー=";
constexpr const char* kEstimateOpenFailed = "見積ファイル処理エラ－ ";
constexpr const char* kMasterCreateFailed = "マスタ排他ファイル エラー=";
constexpr const char* kMasterOpenFailed = "マスタファイル処理エラ－ ";

// A hold that keeps losing its freshly locked file to a concurrent release gives up after
// this many tries rather than spinning.
constexpr int kHoldAttempts = 8;

bool IsRegularFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Opens without following a symbolic link and without blocking on a FIFO that happens to
// carry a marker's name.
int OpenForLock(const QByteArray& name, int extraFlags) {
    for (;;) {
        const int fd = ::open(name.constData(),
                              O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | extraFlags, 0666);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

bool IsBlank(std::string_view text) { return Trimmed(text).empty(); }

// Markers are a few lines; anything longer is not ours.
constexpr qint64 kMaxMarkerBytes = 4096;

QString UserName() {
    if (const struct passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    return QString::fromLocal8Bit(qgetenv("USER"));
}

QString HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return QString::fromLocal8Bit(name);
}

// What a holder writes into its marker.
QByteArray HolderContent() {
    return ("host=" + HostName() + "\nuser=" + UserName() + "\npid=" + QString::number(::getpid()) +
            "\nsince=" + QDateTime::currentDateTime().toString(Qt::ISODate) + "\n")
        .toUtf8();
}

void WriteHolder(int fd) {
    // The content only informs; a marker that cannot take it is held all the same.
    const QByteArray content = HolderContent();
    if (::ftruncate(fd, 0) == 0)
        (void)::pwrite(fd, content.constData(), static_cast<std::size_t>(content.size()), 0);
}

}  // namespace

bool MarkerHeld(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool held =
        IsRegularFile(fd) && ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

FreeDeletion DeleteIfFree(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = OpenForLock(name, 0);
    if (fd < 0) return FreeDeletion::kFailed;
    FreeDeletion result = FreeDeletion::kFailed;
    if (IsRegularFile(fd)) {
        const LockResult lock = TryWriteLock(fd);
        if (lock == LockResult::kHeldElsewhere) {
            result = FreeDeletion::kHeld;
        } else if (lock == LockResult::kTaken && NameRefersTo(fd, name) &&
                   ::unlink(name.constData()) == 0) {
            result = FreeDeletion::kDeleted;
        }
    }
    ::close(fd);  // drops the lock
    return result;
}

std::string MarkerHolderText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QMap<QString, QString> fields;
    for (const QByteArray& line : file.read(kMaxMarkerBytes).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            fields.insert(QString::fromUtf8(line.left(equals)),
                          QString::fromUtf8(line.mid(equals + 1)).trimmed());
    }
    if (fields.value(QStringLiteral("host")).isEmpty() &&
        fields.value(QStringLiteral("user")).isEmpty())
        return {};
    const QDateTime since =
        QDateTime::fromString(fields.value(QStringLiteral("since")), Qt::ISODate);
    QString text =
        QStringLiteral("PC「%1」のユーザー %2（プロセス %3")
            .arg(fields.value(QStringLiteral("host")), fields.value(QStringLiteral("user")),
                 fields.value(QStringLiteral("pid")));
    if (since.isValid())
        text += QStringLiteral("、%1 から").arg(since.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    text += QStringLiteral("）");
    if (!MarkerHeld(path))
        text += QStringLiteral(
            "。ただし使用していたプログラムは終了しています（不要ファイル削除で消せます）");
    return text.toStdString();
}

std::string NamingHolder(std::string_view message, const std::string& holder) {
    std::string text(message);
    if (!holder.empty()) text += "\n使用中: " + holder;
    return text;
}

MarkerFolders MarkerFoldersOf(Environment& environment) {
    return {[&environment] { return NativePath(DataFolder(environment)); },
            [&environment] { return NativePath(MasterFolder(environment)); }};
}

Markers::Markers(Questions& questions, MarkerFolders folders)
    : questions_(questions), folders_(std::move(folders)) {}

Markers::~Markers() {
    LetGo(estimate_);
    LetGo(master_);
}

QString Markers::EstimateMarkerName(std::string_view number) {
    return NativePath(std::string("m_") + std::string(number) + ".tmp");
}

QString Markers::MasterMarkerName() { return QStringLiteral("Master.tmp"); }

QString Markers::EstimatePath(std::string_view number) const {
    return QDir(folders_.dataFolder()).filePath(EstimateMarkerName(number));
}

QString Markers::MasterPath() const {
    return QDir(folders_.masterFolder()).filePath(MasterMarkerName());
}

void Markers::ClearEstimateInUse() {
    if (estimate_.state == MarkerState::kInUse) estimate_.state = MarkerState::kNone;
}

MarkerCheck Markers::CheckEstimateMarker(std::string_view number) {
    if (CanOpenFile(EstimatePath(number))) {
        estimate_.state = MarkerState::kInUse;
        return MarkerCheck::kPresent;
    }
    estimate_.state = MarkerState::kNone;
    return MarkerCheck::kAbsent;
}

MarkerHold Markers::HoldEstimateMarker(std::string_view number) {
    if (estimate_.state == MarkerState::kInUse) return MarkerHold::kDone;
    if (IsBlank(number)) {
        LetGo(estimate_);
        estimate_.state = MarkerState::kNone;
        return MarkerHold::kBlankNumber;
    }
    return Hold(estimate_, EstimatePath(number), {kEstimateCreateFailed, kEstimateOpenFailed});
}

MarkerRelease Markers::ReleaseEstimateMarker(std::string_view number) {
    return Release(estimate_, EstimatePath(number));
}

std::string Markers::EstimateHolder(std::string_view number) const {
    return MarkerHolderText(EstimatePath(number));
}

std::string Markers::MasterHolder() const { return MarkerHolderText(MasterPath()); }

MarkerCheck Markers::CheckMasterMarker() {
    if (CanOpenFile(MasterPath())) {
        master_.state = MarkerState::kInUse;
        return MarkerCheck::kPresent;
    }
    return MarkerCheck::kAbsent;
}

MarkerHold Markers::HoldMasterMarker() {
    return Hold(master_, MasterPath(), {kMasterCreateFailed, kMasterOpenFailed});
}

MarkerRelease Markers::ReleaseMasterMarker() { return Release(master_, MasterPath()); }

MarkerHold Markers::Hold(Slot& slot, const QString& path, const Messages& messages) {
    if (slot.state == MarkerState::kInUse) return MarkerHold::kDone;
    if (slot.fd >= 0) {
        if (slot.heldPath == path) {
            slot.state = MarkerState::kHeld;
            return MarkerHold::kDone;
        }
        LetGo(slot);  // a second hold must not take a lock on top of our own first one
    }
    slot.state = MarkerState::kNone;

    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < kHoldAttempts; ++attempt) {
        const bool existed = CanOpenFile(path);
        const int fd = OpenForLock(name, existed ? 0 : O_CREAT);
        if (fd < 0) {
            if (existed && errno == ENOENT) continue;  // deleted between the test and the open
            questions_.Inform(existed ? std::string(messages.openFailed)
                                      : std::string(messages.createFailed) + "-1");
            return MarkerHold::kFailed;
        }
        if (!IsRegularFile(fd)) {
            ::close(fd);
            questions_.Inform(messages.openFailed);
            return MarkerHold::kFailed;
        }
        switch (TryWriteLock(fd)) {
            case LockResult::kTaken:
                break;
            case LockResult::kHeldElsewhere:
                // Another copy edits this data: work read-only, never as a second holder.
                ::close(fd);
                slot.state = MarkerState::kInUse;
                return MarkerHold::kDone;
            case LockResult::kError:
                ::close(fd);
                questions_.Inform(messages.openFailed);
                return MarkerHold::kFailed;
        }
        if (!NameRefersTo(fd, name)) {
            // Released or cleared away by another copy between our open and our lock.
            ::close(fd);
            continue;
        }
        WriteHolder(fd);
        slot.fd = fd;
        slot.heldPath = path;
        slot.state = MarkerState::kHeld;
        return MarkerHold::kDone;
    }
    questions_.Inform(messages.openFailed);
    return MarkerHold::kFailed;
}

MarkerRelease Markers::Release(Slot& slot, const QString& path) {
    MarkerRelease result = MarkerRelease::kReleased;
    if (slot.fd >= 0) {
        result = LetGo(slot);
    } else if (slot.state != MarkerState::kInUse) {
        // Not ours to hold: it may still be deleted when nobody holds it (a leftover).
        result = DeleteIfFree(path) == FreeDeletion::kDeleted ? MarkerRelease::kReleased
                                                              : MarkerRelease::kNotReleased;
    }
    slot.state = MarkerState::kNone;
    return result;
}

MarkerRelease Markers::LetGo(Slot& slot) {
    if (slot.fd < 0) return MarkerRelease::kNotReleased;
    const QByteArray name = QFile::encodeName(slot.heldPath);
    const MarkerRelease result = NameRefersTo(slot.fd, name) && ::unlink(name.constData()) == 0
                                     ? MarkerRelease::kReleased
                                     : MarkerRelease::kNotReleased;
    ::close(slot.fd);
    slot.fd = -1;
    slot.heldPath.clear();
    return result;
}

LeftoverDeletion Markers::DeleteLeftoverMarkers() {
    LeftoverDeletion done;
    const auto remove = [&done](const QString& path) {
        switch (DeleteIfFree(path)) {
            case FreeDeletion::kDeleted:
                ++done.deleted;
                break;
            case FreeDeletion::kHeld:
                ++done.held;
                break;
            case FreeDeletion::kFailed:
                ++done.failed;
                break;
        }
    };
    const QString dataFolder = folders_.dataFolder();
    for (const QString& folder : {dataFolder, folders_.masterFolder()}) {
        const QDir dir(folder);
        // Plain files only: hidden files, folders, links, FIFOs and devices are skipped.
        const QStringList names = dir.entryList(QDir::Files | QDir::NoSymLinks);
        for (const QString& entry : names) {
            if (QFileInfo(entry).suffix().compare(QStringLiteral("tmp"), Qt::CaseInsensitive) !=
                0) {
                continue;
            }
            remove(dir.filePath(entry));
        }
    }
    // What a first save that never finished left behind; a save in progress holds its file.
    const QDir data(dataFolder);
    for (const QString& entry :
         data.entryList({QStringLiteral("m_new.*.part")}, QDir::Files | QDir::NoSymLinks)) {
        remove(data.filePath(entry));
    }
    return done;
}

}  // namespace quilto
