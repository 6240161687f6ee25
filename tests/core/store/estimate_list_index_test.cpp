#include "core/store/estimate_list_index.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/store/environment.h"
#include "core/store/estimate_file.h"
#include "core/store/estimate_list.h"
#include "support/read_only_folder.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

std::string HeaderOf(const char* customer, int amount) {
    EstimateHeader h;
    h.SetSignature(kEstimateSignature);
    h.SetText(HeaderText::MName1, Sjis(customer));
    h.SetText(HeaderText::MTitle1, Sjis("外壁塗装工事"));
    h.SetText(HeaderText::MBasyo1, Sjis("八王子市"));
    h.SetText(HeaderText::MYMD4, Sjis("令和8年12月24日"));
    h.SetText(HeaderText::MYMD1, Sjis("R8.12.10"));
    h.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(amount));
    return h.Bytes() + std::string(192, '\0');
}

// Writes as a save does: a new file renamed over the old one.
void Save(const char* number, const std::string& bytes) {
    const QString path = QStringLiteral("DAT/m_%1.dat").arg(QString::fromLatin1(number));
    WriteAll(path + QStringLiteral(".new"), bytes);
    QFile::remove(path);
    ASSERT_TRUE(QFile::rename(path + QStringLiteral(".new"), path));
}

std::vector<std::string> Items(const IndexedListing& listing) {
    std::vector<std::string> items;
    for (const SearchableListEntry& e : listing.entries) items.push_back(e.listed.item);
    return items;
}

std::vector<std::string> Items(const std::vector<EstimateListEntry>& entries) {
    std::vector<std::string> items;
    for (const EstimateListEntry& e : entries) items.push_back(e.item);
    return items;
}

// Every field of two listings, entry by entry: what the index gives back must be what reading
// the files gave.
void ExpectSameEntries(const IndexedListing& a, const IndexedListing& b) {
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        const SearchableListEntry& x = a.entries[i];
        const SearchableListEntry& y = b.entries[i];
        EXPECT_EQ(x.listed.item, y.listed.item) << i;
        EXPECT_EQ(x.listed.fileName, y.listed.fileName) << i;
        const SearchableEstimate& s = x.searchable;
        const SearchableEstimate& t = y.searchable;
        for (const auto& [one, other] : {std::pair{s.number, t.number},
                                         {s.customer, t.customer},
                                         {s.title, t.title},
                                         {s.place, t.place},
                                         {s.dateText, t.dateText},
                                         {s.printDate, t.printDate},
                                         {s.foldedText, t.foldedText}}) {
            EXPECT_EQ(one, other) << i;
            EXPECT_EQ(one.isNull(), other.isNull()) << i << " " << one.toStdString();
        }
        EXPECT_EQ(s.dateState, t.dateState) << i;
        EXPECT_EQ(s.date, t.date) << i;
        EXPECT_EQ(s.amount, t.amount) << i;
    }
}

class ListIndex : public ::testing::Test {
  protected:
    void SetUp() override {
        Save("000001", HeaderOf("山田建設", 1000));
        Save("000002", HeaderOf("田中工務店", 2000));
        WriteAll("DAT/m_000003.dat", "short");
    }
    WorkingFolder folder_;
    Environment environment_;
};

TEST_F(ListIndex, ASecondListingReadsNoFileAndGivesTheSameList) {
    const IndexedListing first = ListThroughIndex(environment_, {});
    EXPECT_EQ(first.read, 3);
    EXPECT_TRUE(first.indexWritten);
    EXPECT_EQ(Items(first), Items(BuildEstimateList(environment_)));

    const IndexedListing second = ListThroughIndex(environment_, {QStringLiteral("000002")});
    EXPECT_EQ(second.read, 0);
    EXPECT_EQ(second.reused, 3);
    EXPECT_FALSE(second.indexWritten);
    EXPECT_EQ(Items(second), Items(first));
    ExpectSameEntries(second, first);
    ASSERT_EQ(second.entries.size(), 3u);
    EXPECT_EQ(second.entries[0].searchable.customer, QStringLiteral("山田建設"));
    EXPECT_EQ(second.entries[0].searchable.date, QDate(2026, 12, 10));
    EXPECT_EQ(second.entries[0].searchable.amount, Fixed4::FromInt(1000));
    EXPECT_FALSE(second.entries[0].searchable.issued);
    EXPECT_TRUE(second.entries[1].searchable.issued);  // from the archive, not the index
}

// The files are the truth: a save of the same size, a new file and a removed one all show
// at once.
TEST_F(ListIndex, AnEntryIsUsedOnlyWhileItsFileIsUnchanged) {
    (void)ListThroughIndex(environment_, {});
    Save("000001", HeaderOf("山田ハウス", 1000));  // same size, renamed over
    Save("000004", HeaderOf("新規", 4000));
    ASSERT_TRUE(QFile::remove("DAT/m_000002.dat"));

    const IndexedListing listing = ListThroughIndex(environment_, {});
    EXPECT_EQ(listing.read, 2);
    EXPECT_EQ(Items(listing), Items(BuildEstimateList(environment_)));
    ASSERT_EQ(listing.entries.size(), 3u);
    EXPECT_EQ(listing.entries[0].searchable.customer, QStringLiteral("山田ハウス"));
    EXPECT_EQ(ListThroughIndex(environment_, {}).read, 0);
}

// What is not a plain file is not listed, whether the index knows the name or not; a link
// to an estimate is listed with the stamp of the file it leads to, so that a save of that
// file shows.
TEST_F(ListIndex, ListsLinksToEstimatesAndNothingElseThatIsNoPlainFile) {
    ASSERT_TRUE(QFile::link(QStringLiteral("m_000001.dat"), QStringLiteral("DAT/m_000010.dat")));
    ASSERT_TRUE(QFile::link(QStringLiteral("nowhere.dat"), QStringLiteral("DAT/m_000011.dat")));
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("DAT/m_000012.dat")));
    ASSERT_EQ(::mkfifo("DAT/m_000013.dat", 0600), 0);
    const std::vector<std::string> expected = Items(BuildEstimateList(environment_));
    ASSERT_EQ(expected.size(), 4u);

    const IndexedListing first = ListThroughIndex(environment_, {});
    EXPECT_EQ(Items(first), expected);
    const IndexedListing second = ListThroughIndex(environment_, {});
    EXPECT_EQ(second.read, 0);
    EXPECT_EQ(Items(second), expected);

    Save("000001", HeaderOf("山田ハウス", 1000));
    const IndexedListing third = ListThroughIndex(environment_, {});
    EXPECT_EQ(third.read, 2);  // the file and the link to it
    ASSERT_EQ(third.entries.size(), 4u);
    EXPECT_EQ(third.entries[3].listed.fileName, QStringLiteral("m_000010.dat"));
    EXPECT_EQ(third.entries[3].searchable.customer, QStringLiteral("山田ハウス"));
}

// The index is QDataStream's Qt 6.0 form, which indexes written by earlier builds are in
// too: every entry reads back through QDataStream as it was listed, null texts as null.
TEST_F(ListIndex, TheIndexIsInQDataStreamForm) {
    const IndexedListing listing = ListThroughIndex(environment_, {});
    QFile file(QStringLiteral("DAT/") + kListIndexName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0, version = 0, count = 0;
    in >> magic >> version >> count;
    EXPECT_EQ(magic, 0x51494458u);
    ASSERT_EQ(count, listing.entries.size());
    for (const SearchableListEntry& e : listing.entries) {
        const SearchableEstimate& s = e.searchable;
        QString name;
        qint64 size = 0, modified = 0;
        quint64 inode = 0;
        QByteArray item;
        in >> name >> size >> modified >> inode >> item;
        EXPECT_EQ(name, e.listed.fileName);
        EXPECT_EQ(size, QFileInfo(QStringLiteral("DAT/") + name).size());
        EXPECT_EQ(item.toStdString(), e.listed.item);
        for (const QString* expected : {&s.number, &s.customer, &s.title, &s.place, &s.dateText,
                                        &s.printDate, &s.foldedText}) {
            QString text;
            in >> text;
            EXPECT_EQ(text, *expected) << name.toStdString();
            EXPECT_EQ(text.isNull(), expected->isNull()) << name.toStdString();
            // The short file has a number and nothing else.
            if (name == QStringLiteral("m_000003.dat") && expected != &s.number &&
                expected != &s.foldedText) {
                EXPECT_TRUE(text.isNull());
            }
        }
        qint8 dateState = 0;
        qint64 julianDay = 0, amount = 0;
        bool hasAmount = false;
        in >> dateState >> julianDay >> hasAmount >> amount;
        EXPECT_EQ(dateState, static_cast<qint8>(s.dateState));
        EXPECT_EQ(julianDay, s.date.toJulianDay());
        EXPECT_EQ(hasAmount, s.amount.has_value());
        EXPECT_EQ(amount, s.amount ? s.amount->raw : 0);
    }
    EXPECT_EQ(in.status(), QDataStream::Ok);
    EXPECT_TRUE(in.atEnd());
}

// The index is not flushed to disk when it is written: a power cut can leave it cut short,
// empty, or of its length with blocks never written (zeros). Each is read as no index.
TEST_F(ListIndex, ADamagedOrUnwritableIndexCostsOnlyTheReading) {
    (void)ListThroughIndex(environment_, {});
    const QString index = QStringLiteral("DAT/") + kListIndexName;
    const std::string sound = test::ReadAll(index);
    const std::pair<const char*, std::string> damages[] = {
        {"cut short", sound.substr(0, sound.size() / 2)},
        {"empty", ""},
        {"its tail never written", sound.substr(0, 12) + std::string(sound.size() - 12, '\0')},
        {"never written", std::string(sound.size(), '\0')},
    };
    IndexedListing listing;
    for (const auto& [what, damaged] : damages) {
        WriteAll(index, damaged);
        listing = ListThroughIndex(environment_, {});
        EXPECT_EQ(listing.read, 3) << what;
        EXPECT_EQ(Items(listing), Items(BuildEstimateList(environment_))) << what;
    }

    ASSERT_TRUE(QFile::remove(index));
    test::ReadOnlyFolder readOnly(QStringLiteral("DAT"));
    if (!readOnly.Usable()) GTEST_SKIP() << "this file system lets the folder be written";
    listing = ListThroughIndex(environment_, {});
    EXPECT_EQ(listing.read, 3);
    EXPECT_EQ(Items(listing), Items(BuildEstimateList(environment_)));
    EXPECT_FALSE(QFileInfo::exists(index));
}

}  // namespace
}  // namespace quilto
