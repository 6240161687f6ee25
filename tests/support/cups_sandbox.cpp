#include "support/cups_sandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>

namespace quilto::test {

namespace {

constexpr const char* kSandboxedVariables[] = {"HOME", "CUPS_SERVERROOT", "LPDEST", "PRINTER"};

QString Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) process.kill();
    if (exitCode != nullptr) {
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromLocal8Bit(process.readAll());
}

}  // namespace

bool CupsSchedulerRunning() {
    return Run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).contains("is running");
}

CupsClientSandbox::CupsClientSandbox() {
    static QTemporaryDir folder;
    dir_ = folder.path();
    QFile::remove(LpOptionsPath());
    for (const char* name : kSandboxedVariables) {
        saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
    }
    qputenv("HOME", QFile::encodeName(dir_));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(dir_));
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
}

CupsClientSandbox::~CupsClientSandbox() {
    for (const auto& [name, value] : saved_) {
        if (value.first) {
            qputenv(name.constData(), value.second);
        } else {
            qunsetenv(name.constData());
        }
    }
}

QString CupsClientSandbox::LpOptionsPath() const {
    return QDir(dir_).filePath(QStringLiteral(".cups/lpoptions"));
}

std::string CupsClientSandbox::LpstatDefault() const {
    // "system default destination: NAME"
    const QString out = Run(QStringLiteral("lpstat"), {QStringLiteral("-d")}).trimmed();
    const int colon = out.lastIndexOf(QLatin1Char(':'));
    if (!out.startsWith(QStringLiteral("system default destination")) || colon < 0) return {};
    return out.mid(colon + 1).trimmed().toStdString();
}

namespace {

// cups-pdf reads the settings of a queue whose device is cups-pdf:/NAME from here.
QString CupsPdfSettings(const std::string& name) {
    return QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(QString::fromStdString(name));
}

}  // namespace

CupsPdfQueues::CupsPdfQueues(std::vector<std::string> names) : names_(std::move(names)) {
    QFile::setPermissions(out_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
    for (const std::string& name : names_) {
        const QString folder = OutputFolder(name);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::permissions(out_.path()));
        QFile settings(CupsPdfSettings(name));
        if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            settings.write(QStringLiteral("Out %1\n").arg(folder).toLocal8Bit()) < 0) {
            ready_ = false;
            qWarning("cannot write %s", qPrintable(CupsPdfSettings(name)));
            continue;
        }
        settings.close();
        int exitCode = 0;
        const QString out =
            Run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), QString::fromStdString(name), QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/") + QString::fromStdString(name), QStringLiteral("-P"),
                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"), QStringLiteral("-E"),
                 QStringLiteral("-o"), QStringLiteral("printer-is-shared=false")},
                &exitCode);
        if (exitCode != 0) {
            ready_ = false;
            qWarning("lpadmin -p %s failed: %s", name.c_str(), qPrintable(out));
        }
    }
}

CupsPdfQueues::~CupsPdfQueues() {
    for (const std::string& name : names_) {
        Run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QString::fromStdString(name)});
        QFile::remove(CupsPdfSettings(name));
    }
}

QString CupsPdfQueues::OutputFolder(const std::string& name) const {
    return QDir(out_.path()).filePath(QString::fromStdString(name));
}

}  // namespace quilto::test
