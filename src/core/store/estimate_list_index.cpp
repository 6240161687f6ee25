#include "core/store/estimate_list_index.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QHash>
#include <algorithm>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/store/environment.h"

namespace quilto {
namespace {

constexpr quint32 kMagic = 0x51494458;  // "QIDX"
// Raised whenever what an entry holds, or how the list or the search build it, changes: an
// index of another version is read as if there were none.
constexpr quint32 kVersion = 1;
constexpr qint64 kIndexLimit = 1LL << 30;

struct IndexedFile {
    EstimateFileStamp stamp;
    SearchableListEntry entry;
};

void Write(QDataStream& out, const QString& name, const IndexedFile& f) {
    const SearchableEstimate& s = f.entry.searchable;
    out << name << f.stamp.size << f.stamp.modifiedNs << f.stamp.inode
        << QByteArray::fromStdString(f.entry.listed.item) << s.number << s.customer << s.title
        << s.place << s.dateText << s.printDate << s.foldedText << static_cast<qint8>(s.dateState)
        << s.date.toJulianDay() << static_cast<bool>(s.amount)
        << (s.amount ? s.amount->raw : qint64{0});
}

bool Read(QDataStream& in, QString& name, IndexedFile& f) {
    SearchableEstimate& s = f.entry.searchable;
    QByteArray item;
    qint8 dateState = 0;
    qint64 julianDay = 0;
    bool hasAmount = false;
    qint64 amount = 0;
    in >> name >> f.stamp.size >> f.stamp.modifiedNs >> f.stamp.inode >> item >> s.number >>
        s.customer >> s.title >> s.place >> s.dateText >> s.printDate >> s.foldedText >>
        dateState >> julianDay >> hasAmount >> amount;
    if (in.status() != QDataStream::Ok || dateState < 0 || dateState > 2) return false;
    f.entry.listed = {item.toStdString(), name};
    s.dateState = static_cast<EstimateDateState>(dateState);
    s.date = QDate::fromJulianDay(julianDay);
    s.amount = hasAmount ? std::optional<Fixed4>(Fixed4::FromRaw(amount)) : std::nullopt;
    return true;
}

QHash<QString, IndexedFile> LoadIndex(const QString& path) {
    QHash<QString, IndexedFile> index;
    const std::optional<std::string> bytes = ReadWholeFile(path, kIndexLimit);
    if (!bytes) return index;
    QByteArray data = QByteArray::fromStdString(*bytes);
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, count = 0;
    in >> magic >> version >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion) return index;
    index.reserve(static_cast<qsizetype>(std::min<quint32>(count, 1u << 20)));
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        IndexedFile f;
        if (!Read(in, name, f)) return {};  // damaged: read as if there were none
        index.insert(name, std::move(f));
    }
    return index;
}

void SaveIndex(const QString& path, const QHash<QString, IndexedFile>& index) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << static_cast<quint32>(index.size());
    for (auto it = index.cbegin(); it != index.cend(); ++it) Write(out, it.key(), it.value());
    (void)SaveFileAtomically(path, std::string_view(data.constData(), data.size()));
}

}  // namespace

IndexedListing ListThroughIndex(Environment& environment, const QSet<QString>& issuedNumbers) {
    IndexedListing listing;
    const QString indexPath =
        QDir(NativePath(DataFolder(environment))).filePath(QString::fromLatin1(kListIndexName));
    QHash<QString, IndexedFile> known = LoadIndex(indexPath);
    QHash<QString, IndexedFile> now;
    now.reserve(known.size());
    listing.folderReadable = VisitEstimateFiles(
        environment, [&](const QString& fileName, const EstimateFileStamp& stamp,
                         const std::function<const EstimateHeader*()>& readHeader) {
            IndexedFile f;
            const auto it = known.constFind(fileName);
            if (it != known.constEnd() && it->stamp == stamp) {
                f = *it;
                ++listing.reused;
            } else {
                const EstimateHeader* header = readHeader();
                const std::string name = FileNameAsCp932(fileName);
                f.stamp = stamp;
                f.entry.listed = {EstimateListItem(name, header), fileName};
                f.entry.searchable =
                    SearchableOf(NumberOfListItem(f.entry.listed.item), header, false);
                ++listing.read;
            }
            now.insert(fileName, std::move(f));
            return true;
        });
    if (!listing.folderReadable) return listing;
    if (listing.read > 0 || now.size() != known.size()) {
        SaveIndex(indexPath, now);
        listing.indexWritten = true;
    }
    listing.entries.reserve(static_cast<std::size_t>(now.size()));
    for (auto it = now.begin(); it != now.end(); ++it) {
        SearchableListEntry& e = it->entry;
        e.searchable.issued = issuedNumbers.contains(e.searchable.number);
        listing.entries.push_back(std::move(e));
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const SearchableListEntry& a, const SearchableListEntry& b) {
                  return ListsBefore(a.listed, b.listed);
              });
    return listing;
}

}  // namespace quilto
