// The estimate file's bytes: every field at its offset, records placed by kind and number,
// the order and count of the records written, and readers that survive hostile files.

#include "core/store/estimate_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;

std::int64_t LittleEndian(const std::string& bytes, std::size_t offset, int size) {
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    if (size == 2) return static_cast<std::int16_t>(v);
    if (size == 4) return static_cast<std::int32_t>(v);
    return static_cast<std::int64_t>(v);
}

// A short string as the file holds it: length byte, text.
std::string StoredText(const std::string& bytes, std::size_t offset) {
    const auto length = static_cast<unsigned char>(bytes[offset]);
    return bytes.substr(offset + 1, length);
}

void PutI16(std::string& bytes, std::size_t offset, int value) {
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    bytes[offset] = static_cast<char>(v & 0xFF);
    bytes[offset + 1] = static_cast<char>(v >> 8);
}

void PutText(std::string& bytes, std::size_t offset, const std::string& text) {
    bytes[offset] = static_cast<char>(text.size());
    bytes.replace(offset + 1, text.size(), text);
}

std::string Record(int kind, int number, const std::string& name = {}) {
    std::string r(kLineRecordSize, '\0');
    PutI16(r, 0, kind);
    PutI16(r, 2, number);
    if (!name.empty()) PutText(r, 18, name);
    return r;
}

std::string HeaderBytes(std::string_view signature) {
    std::string h(kEstimateHeaderSize, '\0');
    PutText(h, 0, std::string(signature));
    return h;
}

TEST(EstimateHeader, EveryFieldAtItsOffset) {
    struct Case {
        HeaderText field;
        std::size_t offset;
        std::size_t capacity;
    };
    const Case cases[] = {
        {HeaderText::MNo, 16, 6},        {HeaderText::MBango, 23, 15},
        {HeaderText::MTitle1, 39, 50},   {HeaderText::MCode1, 90, 6},
        {HeaderText::MName1, 97, 70},    {HeaderText::MName2, 168, 30},
        {HeaderText::MBasyo1, 199, 70},  {HeaderText::MTanto1, 270, 20},
        {HeaderText::MYMD1, 291, 24},    {HeaderText::MYMD2, 316, 50},
        {HeaderText::MYMD3, 367, 24},    {HeaderText::MYMD4, 392, 24},
        {HeaderText::MKigen1, 442, 50},  {HeaderText::MBiko1, 493, 80},
        {HeaderText::MBiko2, 574, 80},   {HeaderText::MBiko3, 655, 80},
        {HeaderText::MBiko4, 736, 80},   {HeaderText::MBiko5, 817, 80},
        {HeaderText::MBiko6, 898, 80},   {HeaderText::MBiko7, 979, 80},
        {HeaderText::MBiko8, 1060, 80},  {HeaderText::MBiko9, 1141, 80},
        {HeaderText::MBiko10, 1222, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(LayoutOf(c.field).control);
        EstimateHeader header;
        // Longer than the field: it is cut to the capacity, the byte after stays untouched.
        const std::string text(c.capacity + 5, 'x');
        header.SetText(c.field, text);
        const std::string& b = header.Bytes();
        EXPECT_EQ(static_cast<unsigned char>(b[c.offset]), c.capacity);
        EXPECT_EQ(b.substr(c.offset + 1, c.capacity), std::string(c.capacity, 'x'));
        EXPECT_EQ(b[c.offset + c.capacity + 1], '\0');
        EXPECT_EQ(header.Text(c.field), std::string(c.capacity, 'x'));
    }

    EstimateHeader header;
    header.SetSignature(kEstimateSignature);
    header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromRaw(11));
    header.SetFigure(HeaderFigure::MGoukei11, Fixed4::FromRaw(-22));
    header.SetFigure(HeaderFigure::MGoukei12, Fixed4::FromRaw(33));
    header.SetFigure(HeaderFigure::MGoukei13, Fixed4::FromRaw(44));
    header.SetPatternValue(Fixed4::FromInt(2));
    header.SetTaxRate(10);
    header.SetCheckBox1(1);
    header.SetCheckBox2(-5);
    const std::string& b = header.Bytes();
    ASSERT_EQ(b.size(), 1392u);
    EXPECT_EQ(StoredText(b, 0), "**$\\??Q-$%%7");
    EXPECT_EQ(LittleEndian(b, 1304, 8), 11);
    EXPECT_EQ(LittleEndian(b, 1312, 8), -22);
    EXPECT_EQ(LittleEndian(b, 1336, 8), 33);
    EXPECT_EQ(LittleEndian(b, 1344, 8), 44);
    EXPECT_EQ(LittleEndian(b, 1360, 8), 20000);
    EXPECT_EQ(LittleEndian(b, 1368, 4), 10);
    EXPECT_EQ(LittleEndian(b, 1376, 4), 1);
    EXPECT_EQ(LittleEndian(b, 1380, 4), -5);
    // The unused areas are untouched.
    EXPECT_EQ(LittleEndian(b, 1320, 8), 0);
    EXPECT_EQ(LittleEndian(b, 1372, 4), 0);
}

TEST(EstimateHeader, SignatureKinds) {
    EXPECT_EQ(SignatureKindOf("**$\\??Q-$%%7"), EstimateSignature::Current);
    EXPECT_EQ(SignatureKindOf("***\\??Q-$%%7  "), EstimateSignature::Old);
    EXPECT_EQ(SignatureKindOf("**$\\??Q-$%%"), EstimateSignature::Foreign);
    EXPECT_EQ(SignatureKindOf(""), EstimateSignature::Foreign);
}

TEST(LineRecord, EveryFieldAtItsOffset) {
    LineRecord r;
    r.SetKind(-1);
    r.SetNumber(301);
    r.SetDetailCount(7);
    r.SetCode("ABCDEFGH");  // cut to 6
    r.SetNumberText("12");
    r.SetName(Sjis("基礎工事"));
    r.SetSpec(Sjis("φ100"));
    r.SetUnit(Sjis("㎡"));
    r.SetQuantity(Fixed4::FromRaw(1));
    r.SetUnitPrice(Fixed4::FromRaw(2));
    r.SetAmount(Fixed4::FromRaw(-3));
    r.SetCostUnitPrice(Fixed4::FromRaw(4));
    r.SetCost(Fixed4::FromRaw(5));
    r.SetLabourRate(Fixed4::FromRaw(6));
    r.SetRemarks(std::string(31, 'r'));  // cut to 30
    const std::string& b = r.Bytes();
    ASSERT_EQ(b.size(), 192u);
    EXPECT_EQ(LittleEndian(b, 0, 2), -1);
    EXPECT_EQ(LittleEndian(b, 2, 2), 301);
    EXPECT_EQ(LittleEndian(b, 4, 2), 7);
    EXPECT_EQ(StoredText(b, 6), "ABCDEF");
    EXPECT_EQ(StoredText(b, 13), "12");
    EXPECT_EQ(StoredText(b, 18), Sjis("基礎工事"));
    EXPECT_EQ(StoredText(b, 59), Sjis("φ100"));
    EXPECT_EQ(StoredText(b, 100), Sjis("㎡"));
    EXPECT_EQ(LittleEndian(b, 112, 8), 1);
    EXPECT_EQ(LittleEndian(b, 120, 8), 2);
    EXPECT_EQ(LittleEndian(b, 128, 8), -3);
    EXPECT_EQ(LittleEndian(b, 136, 8), 4);
    EXPECT_EQ(LittleEndian(b, 144, 8), 5);
    EXPECT_EQ(LittleEndian(b, 152, 8), 6);
    EXPECT_EQ(StoredText(b, 160), std::string(30, 'r'));
    EXPECT_EQ(b[191], '\0');
}

TEST(LineRecord, TextCutNeverSplitsADoubleByteCharacter) {
    LineRecord r;
    r.SetUnit(Sjis("平米です"));  // 8 bytes into a 6-byte field
    EXPECT_EQ(r.Unit(), Sjis("平米で"));
    r.SetCode(Sjis("a日本語"));  // 7 bytes: the last character does not fit whole
    EXPECT_EQ(r.Code(), Sjis("a日本"));
}

TEST(EstimateFile, RecordsArePlacedByKindAndNumberInAnyOrder) {
    std::string file = HeaderBytes(kEstimateSignature);
    file += Record(3, 2, "detail 3.2");
    file += Record(0, 3, "breakdown 3");
    file += Record(-1, 1001, "summary 1001");
    file += Record(-1, 0, "summary 0");
    file += Record(301, 301, "detail 301.301");
    // Outside every store: ignored.
    file += Record(-1, 1002, "bad");
    file += Record(0, 302, "bad");
    file += Record(302, 1, "bad");
    file += Record(-2, 1, "bad");
    file += Record(5, -1, "bad");
    file += Record(5, 302, "bad");
    file += Record(-1, 5, "summary 5");
    file += std::string(191, 'x');  // a short record at the end

    EstimateHeader header;
    EstimateStores stores;
    ASSERT_TRUE(ParseEstimateFile(file, header, stores));
    EXPECT_EQ(stores.details.Line(3, 2).Name(), "detail 3.2");
    EXPECT_EQ(stores.breakdown[3].Name(), "breakdown 3");
    EXPECT_EQ(stores.summary[1001].Name(), "summary 1001");
    EXPECT_EQ(stores.summary[0].Name(), "summary 0");
    EXPECT_EQ(stores.summary[5].Name(), "summary 5");
    EXPECT_EQ(stores.details.Line(301, 301).Name(), "detail 301.301");
    EXPECT_EQ(stores.details.Line(5, 1).Name(), "");
    EXPECT_FALSE(stores.details.HasSheet(5));
    int named = 0;
    for (const auto& r : stores.summary) named += r.Name().empty() ? 0 : 1;
    for (const auto& r : stores.breakdown) named += r.Name().empty() ? 0 : 1;
    EXPECT_EQ(named, 4);
}

TEST(EstimateFile, OldSignatureMovesTheSpecificationOfDetailRecordsOnly) {
    std::string detail = Record(1, 1);
    std::string summary = Record(-1, 1);
    std::string breakdown = Record(0, 1);
    for (std::string* r : {&detail, &summary, &breakdown}) {
        for (std::size_t i = 0; i < 40; ++i) (*r)[59 + i] = static_cast<char>('A' + i % 26);
        PutText(*r, 69, "OLDSPEC");
    }
    const std::string moved = detail.substr(69, 30);

    EstimateHeader header;
    EstimateStores stores;
    ASSERT_TRUE(ParseEstimateFile(HeaderBytes(kOldEstimateSignature) + detail + summary + breakdown,
                                  header, stores));
    const std::string& d = stores.details.Line(1, 1).Bytes();
    EXPECT_EQ(d.substr(59, 30), moved);
    EXPECT_EQ(d.substr(89, 10), detail.substr(89, 10));  // the rest of the old field stays
    EXPECT_EQ(stores.details.Line(1, 1).Spec(), "OLDSPEC");
    EXPECT_EQ(stores.summary[1].Bytes(), summary);
    EXPECT_EQ(stores.breakdown[1].Bytes(), breakdown);

    // The same records under the current signature are taken as they are.
    ASSERT_TRUE(ParseEstimateFile(HeaderBytes(kEstimateSignature) + detail, header, stores));
    EXPECT_EQ(stores.details.Line(1, 1).Bytes(), detail);

    // Saving writes the current signature.
    const std::string saved = SerializeEstimate(header, stores);
    EXPECT_EQ(StoredText(saved, 0), "**$\\??Q-$%%7");
}

TEST(EstimateFile, ForeignSignatureAndShortFilesLoadNoLines) {
    EstimateHeader header;
    EstimateStores stores;
    stores.summary[1].SetName("stale");
    ASSERT_TRUE(
        ParseEstimateFile(HeaderBytes("SOMETHING") + Record(-1, 1, "line"), header, stores));
    EXPECT_EQ(header.SignatureKind(), EstimateSignature::Foreign);
    EXPECT_EQ(stores.summary[1].Name(), "");

    header.SetText(HeaderText::MNo, "000001");
    stores.summary[1].SetName("kept");
    EXPECT_FALSE(ParseEstimateFile(std::string(1391, '\0'), header, stores));
    EXPECT_EQ(header.Text(HeaderText::MNo), "000001");
    EXPECT_EQ(stores.summary[1].Name(), "kept");
}

TEST(EstimateFile, HostileBytesGiveDefinedResults) {
    // Length bytes of 255 in every text field, every kind and number, records cut short.
    std::string header(kEstimateHeaderSize, '\xFF');
    PutText(header, 0, std::string(kEstimateSignature));
    std::string file = header;
    for (int kind : {-32768, -1, 0, 1, 301, 32767}) {
        for (int number : {-32768, 0, 1, 1001, 32767}) {
            std::string r(kLineRecordSize, '\xFF');
            PutI16(r, 0, kind);
            PutI16(r, 2, number);
            file += r;
        }
    }
    file += std::string(100, '\xFF');
    EstimateHeader h;
    EstimateStores stores;
    ASSERT_TRUE(ParseEstimateFile(file, h, stores));
    EXPECT_EQ(h.Text(HeaderText::MNo).size(), 6u);  // clamped to the field
    EXPECT_EQ(stores.summary[1].Name().size(), 40u);
    EXPECT_EQ(stores.details.Line(301, 1001).Name(), "");
    EXPECT_EQ(stores.details.Line(1, 1).Remarks().size(), 30u);

    // Whatever was read can be written again, and reads back the same.
    const std::string saved = SerializeEstimate(h, stores);
    EstimateHeader h2;
    EstimateStores again;
    ASSERT_TRUE(ParseEstimateFile(saved, h2, again));
    EXPECT_EQ(SerializeEstimate(h2, again), saved);
}

TEST(EstimateFile, EmptyEstimateHoldsOneSummaryAndOneBreakdownRecord) {
    EstimateHeader header;
    EstimateStores stores;
    const std::string file = SerializeEstimate(header, stores);
    ASSERT_EQ(file.size(), 1392u + 192u + 192u);
    EXPECT_EQ(LittleEndian(file, 1392, 2), -1);
    EXPECT_EQ(LittleEndian(file, 1392 + 2, 2), 1);
    EXPECT_EQ(LittleEndian(file, 1392 + 192, 2), 0);
    EXPECT_EQ(LittleEndian(file, 1392 + 192 + 2, 2), 1);
}

TEST(EstimateFile, RecordOrderAndCounts) {
    EstimateHeader header;
    EstimateStores stores;
    // Summary lines 1, 2 and 5: the blank lines inside are written too.
    stores.summary[1].SetName("one");
    stores.summary[2].SetCode("=");
    stores.summary[5].SetAmount(Fixed4::FromInt(100));  // an amount alone makes a line used
    // Breakdown line 1 has details up to row 7 (rows 2-6 blank, row 9 holds only an amount);
    // line 2 only an amount on its sheet; line 3 a unit in row 2.
    stores.breakdown[1].SetName("b1");
    stores.details.MutableLine(1, 1).SetCode("000123");
    stores.details.MutableLine(1, 7).SetSpec(" x ");
    stores.details.MutableLine(1, 9).SetAmount(Fixed4::FromInt(5));
    stores.details.MutableLine(2, 1).SetAmount(Fixed4::FromInt(5));
    stores.breakdown[3].SetName("b3");
    stores.details.MutableLine(3, 2).SetUnit("m");
    stores.details.MutableLine(3, 2).SetDetailCount(99);  // not used in detail records

    EXPECT_EQ(LastSummaryLine(stores), 5);
    EXPECT_EQ(LastBreakdownLine(stores), 3);
    EXPECT_EQ(DetailCount(stores, 1), 7);
    EXPECT_EQ(DetailCount(stores, 2), 0);
    EXPECT_EQ(DetailCount(stores, 3), 2);

    const std::string file = SerializeEstimate(header, stores);
    struct Expected {
        int kind, number;
    };
    const Expected order[] = {{-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}, {-1, 5}, {0, 1},
                              {1, 1},  {1, 2},  {1, 3},  {1, 4},  {1, 5},  {1, 6},
                              {1, 7},  {0, 2},  {0, 3},  {3, 1},  {3, 2}};
    ASSERT_EQ(file.size(), 1392u + 192u * std::size(order));
    for (std::size_t i = 0; i < std::size(order); ++i) {
        SCOPED_TRACE(i);
        const std::size_t at = 1392 + 192 * i;
        EXPECT_EQ(LittleEndian(file, at, 2), order[i].kind);
        EXPECT_EQ(LittleEndian(file, at + 2, 2), order[i].number);
    }
    // The detail counts go into the breakdown records, in the file and in memory.
    EXPECT_EQ(LittleEndian(file, 1392 + 192 * 5 + 4, 2), 7);
    EXPECT_EQ(LittleEndian(file, 1392 + 192 * 13 + 4, 2), 0);
    EXPECT_EQ(LittleEndian(file, 1392 + 192 * 14 + 4, 2), 2);
    EXPECT_EQ(stores.breakdown[1].DetailCount(), 7);

    // Reading the file back gives the same file again.
    EstimateHeader h2;
    EstimateStores s2;
    ASSERT_TRUE(ParseEstimateFile(file, h2, s2));
    EXPECT_EQ(SerializeEstimate(h2, s2), file);
}

TEST(EstimateFile, BlankTextDoesNotMakeALineUsed) {
    EstimateStores stores;
    stores.summary[3].SetCode("  ");
    stores.summary[3].SetName(" \t ");
    stores.breakdown[2].SetRemarks("remarks alone");
    stores.breakdown[2].SetQuantity(Fixed4::FromInt(3));
    EXPECT_EQ(LastSummaryLine(stores), 0);
    EXPECT_EQ(LastBreakdownLine(stores), 0);
}

TEST(DetailStore, SheetsAreIndependentAndSwapWhole) {
    DetailStore store;
    store.MutableLine(4, 1).SetName("four");
    store.MutableLine(9, 300).SetName("nine");
    DetailStore copy = store;
    store.SwapSheets(4, 9);
    EXPECT_EQ(store.Line(9, 1).Name(), "four");
    EXPECT_EQ(store.Line(4, 300).Name(), "nine");
    EXPECT_EQ(copy.Line(4, 1).Name(), "four");
    store.MutableLine(302, 1).SetName("outside");  // goes nowhere
    EXPECT_EQ(store.Line(302, 1).Name(), "");
    store.ClearSheet(9);
    EXPECT_FALSE(store.HasSheet(9));
}

// Copies of the store, and sheets it shared, keep what they held whatever the store does
// afterwards (a copy of a loaded estimate shares its records instead of copying them), and
// the store keeps what it held whatever is done to a copy.
TEST(DetailStore, CopiesAndSharedSheetsKeepTheirRecords) {
    const auto file = [](const std::string& name) {
        return HeaderBytes(kEstimateSignature) + Record(0, 1, "line 1") + Record(1, 1, name) +
               Record(1, 2, name) + Record(0, 2, "line 2") + Record(2, 1, "other sheet");
    };
    using Write = std::function<void(EstimateStores&)>;
    const std::vector<std::pair<const char*, Write>> writes = {
        {"line written", [](EstimateStores& s) { s.details.MutableLine(1, 2).SetName("new"); }},
        {"line set",
         [](EstimateStores& s) {
             LineRecord r = s.details.Line(1, 2);
             r.SetName("new");
             s.details.SetLine(1, 2, r);
         }},
        {"line cleared", [](EstimateStores& s) { s.details.ClearLine(1, 2); }},
        {"sheet cleared, then written",
         [](EstimateStores& s) {
             s.details.ClearSheet(1);
             s.details.MutableLine(1, 2).SetName("new");
         }},
        {"sheets swapped, then written",
         [](EstimateStores& s) {
             s.details.SwapSheets(1, 2);
             s.details.MutableLine(2, 2).SetName("new");
         }},
        {"written twice",
         [](EstimateStores& s) {
             s.details.MutableLine(1, 1).SetName("new");
             s.details.MutableLine(1, 2).SetName("new");
         }},
        // The same size again: the store would reuse its block if nothing else held it.
        {"another file loaded",
         [&file](EstimateStores& s) {
             EstimateHeader header;
             ASSERT_TRUE(ParseEstimateFile(file("new"), header, s));
         }},
    };
    for (const auto& [what, write] : writes) {
        for (const bool intoCopy : {false, true}) {
            SCOPED_TRACE(std::string(what) + (intoCopy ? ", into the copy" : ""));
            EstimateHeader header;
            EstimateStores stores;
            ASSERT_TRUE(ParseEstimateFile(file("kept"), header, stores));
            EstimateStores copy = stores;
            const DetailStore::SharedSheet kept = stores.details.Share(1);
            write(intoCopy ? copy : stores);
            const EstimateStores& untouched = intoCopy ? stores : copy;
            EXPECT_EQ(untouched.details.Line(1, 1).Name(), "kept");
            EXPECT_EQ(untouched.details.Line(1, 2).Name(), "kept");
            EXPECT_EQ(untouched.details.Line(2, 1).Name(), "other sheet");
            DetailStore restored;
            restored.Restore(1, kept);
            EXPECT_EQ(restored.Line(1, 2).Name(), "kept");
            EXPECT_TRUE(DetailStore::SameRecords(kept, untouched.details.Share(1)));
            // What was written is there, in the store written to.
            const DetailStore& written = (intoCopy ? copy : stores).details;
            EXPECT_FALSE(DetailStore::SameRecords(kept, written.Share(1)) &&
                         DetailStore::SameRecords(untouched.details.Share(2), written.Share(2)));
        }
    }
}

// Writing a line with what it holds leaves the sheet as it was, stamp and all, so a sheet
// rewritten by a calculation that changed nothing is not copied; anything else counts.
TEST(DetailStore, OnlyWritesThatChangeALineCount) {
    DetailStore store;
    store.MutableLine(7, 1).SetName("seven");
    const DetailStore::SharedSheet before = store.Share(7);
    const std::uint64_t stamp = store.SheetStamp(7);
    store.SetLine(7, 1, store.Line(7, 1));
    store.SetLine(7, 2, LineRecord());
    store.ClearLine(7, 3);
    EXPECT_EQ(store.SheetStamp(7), stamp);
    EXPECT_EQ(store.Share(7), before);

    LineRecord other = store.Line(7, 1);
    other.SetQuantity(Fixed4::FromInt(2));
    store.SetLine(7, 1, other);
    EXPECT_NE(store.SheetStamp(7), stamp);
    EXPECT_EQ(store.Line(7, 1).Quantity().raw, Fixed4::FromInt(2).raw);
    DetailStore kept;
    kept.Restore(7, before);
    EXPECT_EQ(kept.Line(7, 1).Quantity().raw, 0);
}

}  // namespace
}  // namespace quilto
