#include "core/store/estimate_list_index.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <iterator>

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

// The entries of an index in its order, which is the list order of when it was written.
struct StoredIndex {
    std::vector<IndexedFile> files;
    QHash<QString, int> position;  // by file name
};

StoredIndex LoadIndex(const QString& path) {
    StoredIndex index;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kIndexLimit) return index;
    const QByteArray data = file.readAll();
    QDataStream in(data);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, count = 0;
    in >> magic >> version >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion) return index;
    const std::size_t plausible = std::min<std::size_t>(count, 1u << 20);
    index.files.reserve(plausible);
    index.position.reserve(static_cast<qsizetype>(plausible));
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        IndexedFile f;
        if (!Read(in, name, f)) return {};  // damaged: read as if there were none
        index.position.insert(name, static_cast<int>(index.files.size()));
        index.files.push_back(std::move(f));
    }
    return index;
}

void SaveIndex(const QString& path, const std::vector<IndexedFile*>& files) {
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kVersion << static_cast<quint32>(files.size());
    for (const IndexedFile* f : files) Write(out, f->entry.listed.fileName, *f);
    (void)SaveFileAtomically(path, std::string_view(data.constData(), data.size()));
}

bool InListOrder(const IndexedFile* a, const IndexedFile* b) {
    return ListsBefore(a->entry.listed, b->entry.listed);
}

}  // namespace

IndexedListing ListThroughIndex(Environment& environment, const QSet<QString>& issuedNumbers) {
    IndexedListing listing;
    const QString indexPath =
        QDir(NativePath(DataFolder(environment))).filePath(QString::fromLatin1(kListIndexName));
    StoredIndex stored = LoadIndex(indexPath);
    std::vector<bool> stillTrue(stored.files.size(), false);
    std::vector<IndexedFile> fresh;
    listing.folderReadable = VisitEstimateFiles(
        environment, [&](const QString& fileName, const EstimateFileStamp& stamp,
                         const std::function<const EstimateHeader*()>& readHeader) {
            const auto at = stored.position.constFind(fileName);
            if (at != stored.position.constEnd() &&
                stored.files[static_cast<std::size_t>(*at)].stamp == stamp) {
                stillTrue[static_cast<std::size_t>(*at)] = true;
                ++listing.reused;
                return true;
            }
            const EstimateHeader* header = readHeader();
            IndexedFile f;
            f.stamp = stamp;
            f.entry.listed = {EstimateListItem(FileNameAsCp932(fileName), header), fileName};
            f.entry.searchable = SearchableOf(NumberOfListItem(f.entry.listed.item), header, false);
            fresh.push_back(std::move(f));
            ++listing.read;
            return true;
        });
    if (!listing.folderReadable) return listing;

    // The index is in list order already: only what was read anew is sorted and merged in.
    std::vector<IndexedFile*> kept;
    kept.reserve(stored.files.size());
    for (std::size_t i = 0; i < stored.files.size(); ++i)
        if (stillTrue[i]) kept.push_back(&stored.files[i]);
    std::vector<IndexedFile*> added;
    added.reserve(fresh.size());
    for (IndexedFile& f : fresh) added.push_back(&f);
    std::sort(added.begin(), added.end(), InListOrder);
    std::vector<IndexedFile*> order;
    order.reserve(kept.size() + added.size());
    std::merge(kept.begin(), kept.end(), added.begin(), added.end(), std::back_inserter(order),
               InListOrder);

    if (!added.empty() || kept.size() != stored.files.size()) {
        SaveIndex(indexPath, order);
        listing.indexWritten = true;
    }
    listing.entries.reserve(order.size());
    for (IndexedFile* f : order) {
        f->entry.searchable.issued = issuedNumbers.contains(f->entry.searchable.number);
        listing.entries.push_back(std::move(f->entry));
    }
    return listing;
}

}  // namespace quilto
