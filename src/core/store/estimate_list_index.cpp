#include "core/store/estimate_list_index.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

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

// Writes an index in QDataStream's Qt 6.0 form (big-endian numbers, texts and byte arrays
// after their size in bytes, a null text as the size 0xFFFFFFFF) straight into a buffer
// that is handed on in pieces as it fills: a first listing of a large folder writes tens of
// thousands of entries, and QDataStream over a QBuffer spends most of that time in its own
// layers. Room is made for a whole entry before it is written.
class IndexWriter {
  public:
    static std::size_t TextSize(const QString& text) {
        return sizeof(quint32) + (text.isNull() ? 0 : static_cast<std::size_t>(text.size()) * 2);
    }

    explicit IndexWriter(const std::function<bool(std::string_view)>& write)
        : write_(write), data_(kPiece, '\0'), at_(data_.data()) {}

    // Room for bytes more, the piece written so far handed on first when they would not fit;
    // false when that fails.
    bool Room(std::size_t bytes) {
        if (static_cast<std::size_t>(data_.data() + data_.size() - at_) >= bytes) return true;
        if (!Flush()) return false;
        if (bytes > data_.size()) {
            data_.resize(bytes);
            at_ = data_.data();
        }
        return true;
    }

    bool Flush() {
        const std::string_view piece(data_.data(), static_cast<std::size_t>(at_ - data_.data()));
        at_ = data_.data();
        return piece.empty() || write_(piece);
    }

    template <typename T>
    void Number(T value) {
        Q_ASSERT(at_ + sizeof(T) <= data_.data() + data_.size());
        qToBigEndian<T>(value, at_);
        at_ += sizeof(T);
    }

    void Text(const QString& text) {
        if (text.isNull()) {
            Number<quint32>(0xFFFFFFFF);
            return;
        }
        const auto units = static_cast<std::size_t>(text.size());
        Number<quint32>(static_cast<quint32>(units * 2));
        Q_ASSERT(at_ + units * 2 <= data_.data() + data_.size());
        // constData, not utf16, which would give an empty text room of its own.
        qToBigEndian<char16_t>(text.constData(), static_cast<qsizetype>(units), at_);
        at_ += units * 2;
    }

    void Bytes(std::string_view bytes) {
        Number<quint32>(static_cast<quint32>(bytes.size()));
        Q_ASSERT(at_ + bytes.size() <= data_.data() + data_.size());
        std::memcpy(at_, bytes.data(), bytes.size());
        at_ += bytes.size();
    }

  private:
    static constexpr std::size_t kPiece = 256 * 1024;
    const std::function<bool(std::string_view)>& write_;
    std::string data_;
    char* at_;
};

constexpr std::size_t kHeadSize = 3 * sizeof(quint32);

std::size_t EntrySize(const IndexedFile& f) {
    const SearchableEstimate& s = f.entry.searchable;
    std::size_t size = IndexWriter::TextSize(f.entry.listed.fileName) + 3 * sizeof(qint64) +
                       sizeof(quint32) + f.entry.listed.item.size() + sizeof(qint8) +
                       sizeof(qint64) + sizeof(quint8) + sizeof(qint64);
    for (const QString* text :
         {&s.number, &s.customer, &s.title, &s.place, &s.dateText, &s.printDate, &s.foldedText})
        size += IndexWriter::TextSize(*text);
    return size;
}

void Write(IndexWriter& out, const IndexedFile& f) {
    const SearchableEstimate& s = f.entry.searchable;
    out.Text(f.entry.listed.fileName);
    out.Number<qint64>(f.stamp.size);
    out.Number<qint64>(f.stamp.modifiedNs);
    out.Number<quint64>(f.stamp.inode);
    out.Bytes(f.entry.listed.item);
    for (const QString* text :
         {&s.number, &s.customer, &s.title, &s.place, &s.dateText, &s.printDate, &s.foldedText})
        out.Text(*text);
    out.Number<qint8>(static_cast<qint8>(s.dateState));
    out.Number<qint64>(s.date.toJulianDay());
    out.Number<quint8>(s.amount ? 1 : 0);
    out.Number<qint64>(s.amount ? s.amount->raw : qint64{0});
}

// Reads what Write wrote straight from the file's bytes: a listing reads the whole index at
// every start.
class IndexReader {
  public:
    explicit IndexReader(const QByteArray& data)
        : at_(reinterpret_cast<const uchar*>(data.constData())), end_(at_ + data.size()) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Number() {
        if (!Has(sizeof(T))) return T{};
        const T value = qFromBigEndian<T>(at_);
        at_ += sizeof(T);
        return value;
    }

    QString Text() {
        const quint32 bytes = Number<quint32>();
        if (bytes == 0xFFFFFFFF) return {};
        if (bytes % 2 != 0 || !Has(bytes)) return Fail<QString>();
        if (bytes == 0) return QString(QLatin1StringView(""));
        QString text(static_cast<qsizetype>(bytes / 2), Qt::Uninitialized);
        qFromBigEndian<char16_t>(at_, bytes / 2, text.data());
        at_ += bytes;
        return text;
    }

    QByteArray Bytes() {
        const quint32 bytes = Number<quint32>();
        if (bytes == 0xFFFFFFFF) return {};
        if (!Has(bytes)) return Fail<QByteArray>();
        QByteArray data(reinterpret_cast<const char*>(at_), static_cast<qsizetype>(bytes));
        at_ += bytes;
        return data;
    }

  private:
    bool Has(std::size_t bytes) {
        if (ok_ && static_cast<std::size_t>(end_ - at_) >= bytes) return true;
        ok_ = false;
        return false;
    }
    template <typename T>
    T Fail() {
        ok_ = false;
        return T{};
    }

    const uchar* at_;
    const uchar* end_;
    bool ok_ = true;
};

bool Read(IndexReader& in, QString& name, IndexedFile& f) {
    SearchableEstimate& s = f.entry.searchable;
    name = in.Text();
    f.stamp.size = in.Number<qint64>();
    f.stamp.modifiedNs = in.Number<qint64>();
    f.stamp.inode = in.Number<quint64>();
    const QByteArray item = in.Bytes();
    s.number = in.Text();
    s.customer = in.Text();
    s.title = in.Text();
    s.place = in.Text();
    s.dateText = in.Text();
    s.printDate = in.Text();
    s.foldedText = in.Text();
    const qint8 dateState = in.Number<qint8>();
    const qint64 julianDay = in.Number<qint64>();
    const bool hasAmount = in.Number<quint8>() != 0;
    const qint64 amount = in.Number<qint64>();
    if (!in.ok() || dateState < 0 || dateState > 2) return false;
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
    IndexReader in(data);
    const quint32 magic = in.Number<quint32>();
    const quint32 version = in.Number<quint32>();
    const quint32 count = in.Number<quint32>();
    if (!in.ok() || magic != kMagic || version != kVersion) return index;
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
    // The index is made again whenever it is missing or reads as damaged.
    (void)SaveRebuildableFileAtomically(
        path, [&files](const std::function<bool(std::string_view)>& write) {
            IndexWriter out(write);
            if (!out.Room(kHeadSize)) return false;
            out.Number<quint32>(kMagic);
            out.Number<quint32>(kVersion);
            out.Number<quint32>(static_cast<quint32>(files.size()));
            for (const IndexedFile* f : files) {
                if (!out.Room(EntrySize(*f))) return false;
                Write(out, *f);
            }
            return out.Flush();
        });
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
    // What is read anew, in blocks reserved a thousand entries at a time: none moves as more
    // are read, and a first listing of a large folder does not copy its entries as a vector
    // would each time it grew.
    std::vector<std::vector<IndexedFile>> fresh;
    listing.folderReadable = VisitEstimateFiles(
        environment,
        [&stored](const QString& fileName) { return !stored.position.contains(fileName); },
        [&](const QString& fileName, const EstimateFileStamp& stamp,
            const std::function<const EstimateHeader*()>& readHeader) {
            const auto at = stored.position.constFind(fileName);
            if (at != stored.position.constEnd() &&
                stored.files[static_cast<std::size_t>(*at)].stamp == stamp) {
                stillTrue[static_cast<std::size_t>(*at)] = true;
                ++listing.reused;
                return true;
            }
            const EstimateHeader* header = readHeader();
            if (fresh.empty() || fresh.back().size() == fresh.back().capacity()) {
                fresh.emplace_back();
                fresh.back().reserve(1024);
            }
            IndexedFile& f = fresh.back().emplace_back();
            f.stamp = stamp;
            f.entry.listed = {EstimateListItem(FileNameAsCp932(fileName), header), fileName};
            f.entry.searchable = SearchableOf(NumberOfListItem(f.entry.listed.item), header, false);
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
    added.reserve(static_cast<std::size_t>(listing.read));
    for (std::vector<IndexedFile>& block : fresh)
        for (IndexedFile& f : block) added.push_back(&f);
    SortInListOrder(
        added, [](const IndexedFile* f) -> const EstimateListEntry& { return f->entry.listed; });
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
