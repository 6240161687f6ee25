#include "core/settings/places.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringList>
#include <array>

namespace quilto {
namespace {

constexpr std::array<const char*, 8> kNetworkTypes = {"nfs",   "nfs4",       "cifs",  "smb3",
                                                      "smbfs", "fuse.sshfs", "davfs", "9p"};

bool IsNetwork(const QString& type) {
    for (const char* network : kNetworkTypes) {
        if (type == QLatin1String(network)) return true;
    }
    return false;
}

bool IsMediaMount(const QString& mountPoint) {
    for (const char* root : {"/media/", "/run/media/", "/mnt/"}) {
        if (mountPoint.startsWith(QLatin1String(root))) return true;
    }
    return mountPoint == QLatin1String("/mnt");
}

// The mount table writes blanks, tabs, newlines and backslashes as octal escapes.
QString Unescaped(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

}  // namespace

std::vector<Place> PlacesFromMounts(std::string_view mounts, const QString& home) {
    std::vector<Place> places = {{home, QStringLiteral("ホーム (%1)").arg(home)},
                                 {QStringLiteral("/"), QStringLiteral("ルート (/)")}};
    QSet<QString> seen = {home, QStringLiteral("/")};
    const QByteArray text(mounts.data(), static_cast<qsizetype>(mounts.size()));
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3) continue;
        const QString mountPoint = Unescaped(fields[1]);
        const QString type = QString::fromLatin1(fields[2]);
        QString label;
        if (IsNetwork(type)) {
            label = QStringLiteral("ネットワーク (%1)").arg(mountPoint);
        } else if (IsMediaMount(mountPoint)) {
            label = QStringLiteral("メディア (%1)").arg(mountPoint);
        } else {
            continue;
        }
        if (seen.contains(mountPoint)) continue;
        seen.insert(mountPoint);
        places.push_back({mountPoint, label});
    }
    return places;
}

std::vector<Place> CurrentPlaces() {
    QFile table(QStringLiteral("/proc/self/mounts"));
    QByteArray mounts;
    // The mount table reports no size: read until its end.
    if (table.open(QIODevice::ReadOnly)) mounts = table.readAll();
    return PlacesFromMounts(
        std::string_view(mounts.constData(), static_cast<std::size_t>(mounts.size())),
        QDir::homePath());
}

}  // namespace quilto
