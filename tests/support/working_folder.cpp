#include "support/working_folder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace quilto::test {

WorkingFolder::WorkingFolder(bool withInstallFolders) : previous_(QDir::currentPath()) {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
    if (withInstallFolders) {
        QDir d(dir_.path());
        for (const char* sub : {"DAT", "MST", "XlsBase"}) d.mkdir(sub);
    }
    QDir::setCurrent(dir_.path());
}

WorkingFolder::~WorkingFolder() { QDir::setCurrent(previous_); }

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
