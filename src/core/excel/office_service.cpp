#include "core/excel/office_service.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <atomic>
#include <vector>

#include "core/foundation/atomic_file.h"

extern char** environ;

namespace quilto {
namespace {

// How long a starting office may take to answer on its pipe.
constexpr int kStartTimeoutMs = 60000;

// The bridge: connects to the office on its pipe, says "ready", then converts one
// "convert<TAB>input<TAB>output" line at a time, answering "ok" or "error<TAB>reason". When
// its program goes away (end of input, a broken connection) it kills the office's group and
// ends.
constexpr char kBridge[] = R"PY(
import os, signal, sys, time

def end():
    try:
        os.killpg(int(sys.argv[2]), signal.SIGKILL)
    except OSError:
        pass
    os._exit(0)

def main():
    try:
        import uno
        from com.sun.star.beans import PropertyValue
    except Exception as e:
        print("error\tpython3-uno: " + str(e).replace("\n", " "), flush=True)
        return
    def prop(name, value):
        p = PropertyValue()
        p.Name, p.Value = name, value
        return p
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    context = None
    deadline = time.time() + float(sys.argv[3])
    while context is None and time.time() < deadline:
        try:
            context = resolver.resolve(
                "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % sys.argv[1])
        except Exception:
            time.sleep(0.05)
    if context is None:
        print("error\tLibreOffice did not answer", flush=True)
        return
    desktop = context.ServiceManager.createInstanceWithContext(
        "com.sun.star.frame.Desktop", context)
    print("ready", flush=True)
    while True:
        line = sys.stdin.readline()
        if not line:
            return
        parts = line.rstrip("\n").split("\t")
        if len(parts) != 3 or parts[0] != "convert":
            print("error\tbad request", flush=True)
            continue
        try:
            doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(parts[1]), "_blank", 0,
                                               (prop("Hidden", True), prop("ReadOnly", True)))
            if doc is None:
                raise RuntimeError("cannot open " + parts[1])
            try:
                doc.storeToURL(uno.systemPathToFileUrl(parts[2]),
                               (prop("FilterName", "calc_pdf_Export"),))
            finally:
                doc.close(True)
            print("ok", flush=True)
        except Exception as e:
            print("error\t" + str(e).replace("\n", " ").replace("\t", " "), flush=True)

# Whatever ends the bridge (its program gone, a broken connection) ends the office too.
try:
    main()
finally:
    end()
)PY";

// Debian's own interpreter sees python3-uno; another python3 on the PATH may not.
QString FindPython() {
    const QString debian = QStringLiteral("/usr/bin/python3");
    if (QFileInfo(debian).isExecutable()) return debian;
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// Starts program with arguments in a session (and so a process group) of its own, its
// standard input and output on io (or /dev/null for -1), its errors into errorLog.
qint64 Spawn(const QString& program, const QStringList& arguments, int io,
             const QString& errorLog) {
    std::vector<QByteArray> args{QFile::encodeName(program)};
    for (const QString& argument : arguments) args.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const QByteArray log = QFile::encodeName(errorLog);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (io >= 0) {
        posix_spawn_file_actions_adddup2(&actions, io, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, io, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.constData(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return failed == 0 ? pid : 0;
}

void KillAndReap(qint64 pid, bool group) {
    if (pid <= 0) return;
    ::kill(static_cast<pid_t>(group ? -pid : pid), SIGKILL);
    ::waitpid(static_cast<pid_t>(pid), nullptr, 0);
}

QString LastLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(file.readAll()).trimmed().right(300);
}

}  // namespace

OfficeService::OfficeService() = default;

OfficeService::~OfficeService() { Stop(); }

void OfficeService::Start() {
    const std::lock_guard lock(mutex_);
    StartLocked();
}

void OfficeService::Stop() {
    const std::lock_guard lock(mutex_);
    StopLocked();
}

qint64 OfficeService::OfficePid() const {
    const std::lock_guard lock(mutex_);
    return officePid_;
}

bool OfficeService::Unusable() const {
    const std::lock_guard lock(mutex_);
    return unusable_;
}

void OfficeService::StartLocked() {
    if (unusable_ || officePid_ != 0) return;
    const QString office = FindOffice();
    const QString python = FindPython();
    if (office.isEmpty()) return;
    if (python.isEmpty()) {
        unusable_ = true;
        unusableReason_ = QStringLiteral("python3 がありません");
        return;
    }
    profile_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/quilto-office-XXXXXX");
    if (!profile_->isValid()) return;
    static std::atomic<int> serial = 0;
    const QString pipe = QStringLiteral("quilto_office_%1_%2").arg(::getpid()).arg(++serial);
    officePid_ = Spawn(
        office,
        {QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
         QStringLiteral("--nologo"), QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
         QStringLiteral("-env:UserInstallation=") +
             QUrl::fromLocalFile(profile_->filePath(QStringLiteral("profile")))
                 .toString(QUrl::FullyEncoded),
         QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe)},
        -1, profile_->filePath(QStringLiteral("office.log")));
    if (officePid_ == 0) return;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        StopLocked();
        return;
    }
    bridgePid_ = Spawn(python,
                       {QStringLiteral("-c"), QString::fromUtf8(kBridge), pipe,
                        QString::number(officePid_), QString::number(kStartTimeoutMs / 1000)},
                       ends[1], profile_->filePath(QStringLiteral("bridge.log")));
    ::close(ends[1]);
    socket_ = ends[0];
    buffer_.clear();
    ready_ = false;
    if (bridgePid_ == 0) StopLocked();
}

void OfficeService::StopLocked() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    KillAndReap(bridgePid_, false);
    KillAndReap(officePid_, true);
    bridgePid_ = officePid_ = 0;
    ready_ = false;
    buffer_.clear();
    profile_.reset();
}

bool OfficeService::OfficeAliveLocked() const {
    if (officePid_ == 0) return false;
    return ::waitpid(static_cast<pid_t>(officePid_), nullptr, WNOHANG) == 0;
}

OfficeService::Line OfficeService::ReadLineLocked(std::string* line, int timeoutMs,
                                                  const OfficeCancelled& cancelled) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
            *line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return Line::kLine;
        }
        if (cancelled && cancelled()) return Line::kCancelled;
        if (clock.elapsed() >= timeoutMs) return Line::kTimeout;
        pollfd watched{socket_, POLLIN, 0};
        // Short waits, so that a cancel is seen at once.
        const int ready = ::poll(&watched, 1, 50);
        if (ready < 0 && errno != EINTR) return Line::kEof;
        if (ready <= 0) continue;
        char chunk[4096];
        const ssize_t got = ::recv(socket_, chunk, sizeof chunk, 0);
        if (got <= 0) return Line::kEof;
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

bool OfficeService::WriteLocked(const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = ::send(socket_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

OfficeOutcome OfficeService::ConvertLocked(const QString& source, const QString& output,
                                           const OfficeCancelled& cancelled, QString* error,
                                           int timeoutMs) {
    StartLocked();
    if (unusable_) {
        *error = unusableReason_;
        return OfficeOutcome::kFailed;
    }
    if (officePid_ == 0 || socket_ < 0) {
        *error = QStringLiteral("LibreOffice を起動できません。");
        return OfficeOutcome::kFailed;
    }
    std::string line;
    if (!ready_) {
        const Line got = ReadLineLocked(&line, kStartTimeoutMs, cancelled);
        if (got == Line::kCancelled) return OfficeOutcome::kCancelled;
        if (got != Line::kLine || line != "ready") {
            // A bridge that cannot even connect will not do better next time.
            unusable_ = true;
            unusableReason_ = got == Line::kLine ? QString::fromStdString(line).section('\t', 1)
                                                 : LastLines(profile_->filePath("bridge.log"));
            *error = unusableReason_;
            StopLocked();
            return OfficeOutcome::kFailed;
        }
        ready_ = true;
    }
    const QString converted = profile_->filePath(QStringLiteral("converted.pdf"));
    QFile::remove(converted);
    const std::string request = "convert\t" + QFile::encodeName(source).toStdString() + "\t" +
                                QFile::encodeName(converted).toStdString() + "\n";
    if (!WriteLocked(request)) {
        *error = QStringLiteral("LibreOffice との接続が切れました。");
        return OfficeOutcome::kFailed;
    }
    switch (ReadLineLocked(&line, timeoutMs, cancelled)) {
        case Line::kLine:
            break;
        case Line::kCancelled:
            *error = QStringLiteral("PDF への変換を中止しました。");
            return OfficeOutcome::kCancelled;
        case Line::kTimeout:
            *error =
                QStringLiteral("LibreOffice が %1 秒たっても応答しません。").arg(timeoutMs / 1000);
            return OfficeOutcome::kFailed;
        case Line::kEof:
            *error = QStringLiteral("LibreOffice との接続が切れました。");
            return OfficeOutcome::kFailed;
    }
    if (line != "ok") {
        *error = QStringLiteral("LibreOffice で変換できませんでした: %1")
                     .arg(QString::fromStdString(line).section('\t', 1));
        return OfficeOutcome::kFailed;
    }
    const std::optional<std::string> bytes = ReadWholeFile(converted, qint64(1) << 30);
    if (!bytes || bytes->empty()) {
        *error = QStringLiteral("LibreOffice が PDF を書きませんでした。");
        return OfficeOutcome::kFailed;
    }
    if (!SaveFileAtomically(output, *bytes)) {
        *error = QStringLiteral("%1 を保存できません。").arg(output);
        return OfficeOutcome::kFailed;
    }
    return OfficeOutcome::kDone;
}

OfficeOutcome OfficeService::Convert(const QString& input, const QString& output,
                                     const OfficeCancelled& cancelled, QString* error,
                                     QString* note, int timeoutMs) {
    const std::lock_guard lock(mutex_);
    note->clear();
    if (FindOffice().isEmpty()) {
        *error = OfficeMissingMessage();
        return OfficeOutcome::kFailed;
    }
    QTemporaryDir work;
    const QString source = work.filePath(QStringLiteral("source.") + QFileInfo(input).suffix());
    if (!work.isValid() || !QFileInfo(input).isFile() || !PrepareWorkbookForPdf(input, source)) {
        *error = QStringLiteral("%1 を読み込めません。").arg(QFileInfo(input).fileName());
        return OfficeOutcome::kFailed;
    }
    // An office that crashed since the last run is started afresh before it is asked.
    if (officePid_ != 0 && !OfficeAliveLocked()) {
        StopLocked();
        *note = QStringLiteral("LibreOffice が終了していたため、起動し直しました。");
    }
    OfficeOutcome outcome = ConvertLocked(source, output, cancelled, error, timeoutMs);
    if (outcome == OfficeOutcome::kCancelled) {
        // The office may be in the middle of the conversion: a fresh one for the next run.
        StopLocked();
        StartLocked();
        return outcome;
    }
    if (outcome == OfficeOutcome::kFailed && !unusable_ && !OfficeAliveLocked()) {
        // Crashed during the conversion: once more with a fresh office.
        StopLocked();
        *note = QStringLiteral("LibreOffice が異常終了したため、起動し直しました。");
        outcome = ConvertLocked(source, output, cancelled, error, timeoutMs);
    } else if (outcome == OfficeOutcome::kFailed && !unusable_) {
        // Hung or confused: it is not trusted with the next run.
        StopLocked();
        StartLocked();
        *note = QStringLiteral("LibreOffice が応答しないため、起動し直しました。(%1)").arg(*error);
    }
    if (outcome == OfficeOutcome::kCancelled) {
        StopLocked();
        StartLocked();
    }
    return outcome;
}

OfficeOutcome ConvertToPdf(OfficeService* service, const QString& input, const QString& output,
                           const OfficeCancelled& cancelled, QString* error, QString* note) {
    note->clear();
    if (FindOffice().isEmpty()) {
        *error = OfficeMissingMessage();
        return OfficeOutcome::kFailed;
    }
    if (service != nullptr && !service->Unusable()) {
        const OfficeOutcome outcome = service->Convert(input, output, cancelled, error, note);
        if (outcome != OfficeOutcome::kFailed) return outcome;
    }
    if (service != nullptr && service->Unusable() && note->isEmpty()) {
        *note = QStringLiteral(
                    "LibreOffice を常駐させられないため、変換のたびに起動しています (%1)。"
                    "速くするには: sudo apt install python3-uno")
                    .arg(*error);
    }
    return ConvertWithOfficeCancellable(input, output, cancelled, error);
}

}  // namespace quilto
