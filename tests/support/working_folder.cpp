#include "support/working_folder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace quilto::test {

WorkingFolder::WorkingFolder(bool withInstallFolders) : previous_(QDir::currentPath()) {
    if (!dir_.isValid() || !dataHome_.isValid() || !configHome_.isValid()) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    hadDataHome_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    previousDataHome_ = qgetenv("XDG_DATA_HOME");
    SetDataHome(dataHome_.path());
    hadConfigHome_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    previousConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome_.path()));
    if (withInstallFolders) {
        QDir d(dir_.path());
        for (const char* sub : {"DAT", "MST", "XlsBase"}) d.mkdir(sub);
    }
    QDir::setCurrent(dir_.path());
}

WorkingFolder::~WorkingFolder() {
    QDir::setCurrent(previous_);
    if (hadDataHome_) {
        qputenv("XDG_DATA_HOME", previousDataHome_);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
    if (hadConfigHome_) {
        qputenv("XDG_CONFIG_HOME", previousConfigHome_);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

void WorkingFolder::SetDataHome(const QString& path) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(path));
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void WriteAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace quilto::test
