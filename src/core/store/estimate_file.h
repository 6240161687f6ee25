#pragma once

// The estimate file m_NNNNNN.dat: a 1392-byte header followed by 192-byte line records, and
// the in-memory stores that mirror it. Records are kept as their bytes, so a field that no
// grid shows (and every unused byte) goes back to the file exactly as it was read; the
// accessors read and write each field at its offset through the bounds-checked record
// access.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/foundation/fixed4.h"

namespace quilto {

inline constexpr std::size_t kEstimateHeaderSize = 1392;
inline constexpr std::size_t kLineRecordSize = 192;
inline constexpr std::string_view kEstimateSignature = "**$\\??Q-$%%7";
// Files of the first layout: their detail records keep the 規格 text 10 bytes further on.
inline constexpr std::string_view kOldEstimateSignature = "***\\??Q-$%%7";

// Lines a user can fill; the stores have one more slot at each end (slot 0 and the slot
// after the last line), which a file may address and which are kept but never written.
inline constexpr int kSummaryLines = 1000;
inline constexpr int kBreakdownLines = 300;
inline constexpr int kDetailLines = 300;
inline constexpr int kSummarySlots = kSummaryLines + 2;      // 0-1001
inline constexpr int kBreakdownSlots = kBreakdownLines + 2;  // 0-301
inline constexpr int kDetailSheets = kBreakdownLines + 2;    // sheet k belongs to line k
inline constexpr int kDetailSlots = kDetailLines + 2;

// Record kinds at offset 0 of a line record; a detail record carries its breakdown line.
inline constexpr int kSummaryKind = -1;
inline constexpr int kBreakdownKind = 0;

enum class EstimateSignature { Current, Old, Foreign };

// The header's texts, named after the cover control that shows each one.
enum class HeaderText : int {
    MNo,
    MBango,
    MTitle1,
    MCode1,
    MName1,
    MName2,
    MBasyo1,
    MTanto1,
    MYMD1,
    MYMD2,
    MYMD3,
    MYMD4,
    MKigen1,
    MBiko1,
    MBiko2,
    MBiko3,
    MBiko4,
    MBiko5,
    MBiko6,
    MBiko7,
    MBiko8,
    MBiko9,
    MBiko10,
};
inline constexpr int kHeaderTextCount = 23;

// The header's money figures.
enum class HeaderFigure : int { MGoukei01, MGoukei11, MGoukei12, MGoukei13 };
inline constexpr int kHeaderFigureCount = 4;

struct HeaderTextLayout {
    const char* control;  // the cover control's name
    std::size_t offset;
    std::size_t capacity;  // bytes of text; the field is one byte longer
};
const HeaderTextLayout& LayoutOf(HeaderText text);
const char* ControlNameOf(HeaderFigure figure);

class EstimateHeader {
  public:
    EstimateHeader() : bytes_(kEstimateHeaderSize, '\0') {}

    const std::string& Bytes() const { return bytes_; }
    // Takes the first 1392 bytes (zero-padded when shorter).
    void Assign(std::string_view bytes);
    void Clear();

    std::string Signature() const;  // trailing blanks removed
    EstimateSignature SignatureKind() const;
    void SetSignature(std::string_view signature);

    std::string Text(HeaderText text) const;                // trailing blanks removed
    std::string_view TextView(HeaderText text) const;       // the same, in the header's bytes
    void SetText(HeaderText text, std::string_view value);  // cut to the field
    Fixed4 Figure(HeaderFigure figure) const;
    void SetFigure(HeaderFigure figure, Fixed4 value);
    // The print pattern index x 10000.
    Fixed4 PatternValue() const;
    void SetPatternValue(Fixed4 value);
    std::int32_t TaxRate() const;
    void SetTaxRate(std::int32_t percent);
    std::int32_t CheckBox1() const;
    void SetCheckBox1(std::int32_t value);
    std::int32_t CheckBox2() const;
    void SetCheckBox2(std::int32_t value);

  private:
    std::string bytes_;
};

EstimateSignature SignatureKindOf(std::string_view signature);

// One 192-byte line record, kept whole: every byte, those no field names included, goes
// back to the file as it came. The bytes live inside the object, so records stored side by
// side are one block of memory exactly as the file holds them.
class LineRecord {
  public:
    LineRecord() = default;

    std::string_view View() const { return {bytes_.data(), bytes_.size()}; }
    std::string Bytes() const { return std::string(View()); }
    // Takes the first 192 bytes (zero-padded when shorter).
    void Assign(std::string_view bytes);
    void Clear() { bytes_.fill('\0'); }
    bool IsZero() const;
    // No code, name, specification or unit text and a zero amount. Most slots of a sheet
    // are such, and every load and save asks whether each slot is in use: this answers
    // for them from a few bytes, before any text is read.
    bool NoTextNorAmount() const;

    // Read for every record of every load, so read in place.
    int Kind() const { return I16At(0); }
    void SetKind(int kind);
    int Number() const { return I16At(2); }
    void SetNumber(int number);
    int DetailCount() const { return I16At(4); }  // breakdown lines only
    void SetDetailCount(int count);

    // Texts are read with trailing blanks removed and written cut to their fields. The
    // views look into the record and last until it is next written.
    std::string Code() const { return std::string(CodeView()); }  // marker or product code
    std::string_view CodeView() const;
    void SetCode(std::string_view text);
    std::string NumberText() const { return std::string(NumberTextView()); }
    std::string_view NumberTextView() const;
    void SetNumberText(std::string_view text);
    std::string Name() const { return std::string(NameView()); }
    std::string_view NameView() const;
    void SetName(std::string_view text);
    std::string Spec() const { return std::string(SpecView()); }
    std::string_view SpecView() const;
    void SetSpec(std::string_view text);
    std::string Unit() const { return std::string(UnitView()); }
    std::string_view UnitView() const;
    void SetUnit(std::string_view text);
    std::string Remarks() const { return std::string(RemarksView()); }
    std::string_view RemarksView() const;
    void SetRemarks(std::string_view text);

    Fixed4 Quantity() const;
    void SetQuantity(Fixed4 value);
    Fixed4 UnitPrice() const;
    void SetUnitPrice(Fixed4 value);
    Fixed4 Amount() const;
    void SetAmount(Fixed4 value);
    // In breakdown records this field holds the line's cost.
    Fixed4 CostUnitPrice() const;
    void SetCostUnitPrice(Fixed4 value);
    Fixed4 Cost() const;
    void SetCost(Fixed4 value);
    Fixed4 LabourRate() const;
    void SetLabourRate(Fixed4 value);
    // Breakdown lines carry no labour rate of their own; their labour-rate field holds the
    // days the work type needs for the work and its preparation.
    Fixed4 WorkDays() const { return LabourRate(); }
    void SetWorkDays(Fixed4 days) { SetLabourRate(days); }
    // The cost class of a detail line (see cost_class.h) in the record's last byte, which
    // the layout leaves unused and every program that keeps records whole carries along.
    std::uint8_t CostClassByte() const {
        return static_cast<std::uint8_t>(bytes_[kCostClassOffset]);
    }
    void SetCostClassByte(std::uint8_t value) {
        bytes_[kCostClassOffset] = static_cast<char>(value);
    }

    // The first layout kept the 規格 text 10 bytes further on: move it into place.
    void MoveOldSpecification();

  private:
    static constexpr std::size_t kCostClassOffset = 191;
    std::span<char> Writable() { return bytes_; }
    // Little-endian, within the record by construction.
    int I16At(std::size_t offset) const {
        return static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes_[offset]) |
                                         (static_cast<std::uint8_t>(bytes_[offset + 1]) << 8));
    }
    std::array<char, kLineRecordSize> bytes_{};
};
// Records are read from a file straight into arrays of them.
static_assert(sizeof(LineRecord) == kLineRecordSize);
static_assert(std::is_trivially_copyable_v<LineRecord>);

// The detail sheets of all breakdown lines: sheet k (0-301) holds lines 0-301. The records
// of a loaded file stay in the one block the file was read into, in the file's order, and
// each sheet finds its lines there; a sheet written since has records of its own. A sheet
// is shared, never copied, by a copy of the store and by whatever keeps a sheet as it was
// (the undo history): the store copies a shared sheet before it first writes into it, so
// keeping a copy of a large estimate costs nothing until a sheet changes, and then only that
// sheet. The block is reused by the next load unless a copy still holds sheets of it. A
// sheet exists once something is written into it or a file places a record in it.
class DetailStore {
  public:
    // One sheet as it was when it was shared; it never changes.
    class Sheet;
    using SharedSheet = std::shared_ptr<const Sheet>;

    DetailStore();
    DetailStore(const DetailStore& other);
    DetailStore& operator=(const DetailStore& other);
    DetailStore(DetailStore&&) noexcept = default;
    DetailStore& operator=(DetailStore&&) noexcept = default;
    ~DetailStore();

    // Outside the store: an empty record, and writes go nowhere.
    const LineRecord& Line(int sheet, int line) const;
    // Hands out a record to write into (the sheet becomes the store's own first).
    LineRecord& MutableLine(int sheet, int line);
    // Writes `record` as the line only where it differs from what the line holds: a sheet
    // rewritten with what it already holds stays shared and keeps its stamp.
    void SetLine(int sheet, int line, const LineRecord& record);
    bool HasSheet(int sheet) const;
    // The last line of `sheet` (1 to kDetailLines) that `used` takes, 0 when none does.
    int LastLineWhere(int sheet, bool (*used)(const LineRecord&)) const;
    // Zeroes one line; a line that holds nothing is left alone.
    void ClearLine(int sheet, int line);
    void ClearSheet(int sheet);
    void Clear();
    // Exchanges two whole sheets (breakdown lines moving with their details).
    void SwapSheets(int a, int b);

    // Sheet `sheet` as it is now, kept unchanged for as long as the caller holds it (nullptr
    // when the sheet does not exist); Restore puts such a sheet back.
    SharedSheet Share(int sheet) const;
    void Restore(int sheet, SharedSheet contents);
    // Whether two shared sheets hold the same records; a sheet that does not exist holds
    // only empty lines.
    static bool SameRecords(const SharedSheet& a, const SharedSheet& b);

    // Changes whenever sheet `sheet` may have been written (a mutable line handed out
    // counts), and is unique among all stores, so whatever keeps a copy of a sheet can tell
    // cheaply that its copy still matches without comparing the records.
    std::uint64_t SheetStamp(int sheet) const;

    // Loading: empties the store and gives room for `count` records (contents unspecified)
    // for a file's records to be read into; Place then files each under its sheet and line.
    std::span<char> FileBlock(std::size_t count);
    // Files record `at` of the file block as line `line` of `sheet` (both within the store).
    void Place(std::size_t at, int sheet, int line);
    LineRecord& FileRecord(std::size_t at) { return Block()[at]; }

  private:
    bool Holds(int sheet, int line) const;
    // Sheet `sheet` with records of its own that nothing else holds.
    Sheet& Writable(int sheet);
    void Touch(int sheet);
    // Bytes of storage hold records as soon as bytes are written into them, so the block
    // is never zeroed first: a load writes every record it places.
    LineRecord* Block() { return std::launder(reinterpret_cast<LineRecord*>(block_.get())); }

    std::shared_ptr<std::byte[]> block_;  // the last file's records, in its order
    std::size_t blockCapacity_ = 0;
    std::vector<std::shared_ptr<Sheet>> sheets_;  // nullptr where a sheet does not exist
    std::vector<std::uint64_t> stamps_;           // per sheet, see SheetStamp
    LineRecord scratch_;                          // target of writes outside the store
};

// The loaded estimate's lines: summary slots 0-1001, breakdown slots 0-301, detail sheets.
struct EstimateStores {
    EstimateStores();
    std::vector<LineRecord> summary;
    std::vector<LineRecord> breakdown;
    DetailStore details;

    void Clear();

    // Loading a file without copying its records: RecordBlock empties the stores and gives
    // room for `count` records, into which the caller reads the file's records. PlaceBlock
    // then places each record by its kind and number: kind -1 into the summary, 0 into the
    // breakdown, k (1-301) into detail sheet k (where it stays). Records outside the stores
    // are ignored, a later record for the same line wins; with the old signature every
    // detail record has its specification moved first.
    std::span<char> RecordBlock(std::size_t count);
    void PlaceBlock(std::size_t count, bool oldSignature);
};

// A summary or breakdown line is used when its marker and name joined are not blank or its
// amount is not zero; the last used line is the highest (0 when none).
int LastSummaryLine(const EstimateStores& stores);
int LastBreakdownLine(const EstimateStores& stores);
// The highest detail line of breakdown line `line` whose code, name, specification or unit
// is not blank (0 when none; an amount alone does not count).
int DetailCount(const EstimateStores& stores, int line);

// A whole file. False (nothing changed) when it is shorter than the header; otherwise the
// header is taken and, for the current or old signature, the stores cleared and filled. A
// file with another signature leaves the stores cleared.
[[nodiscard]] bool ParseEstimateFile(std::string_view file, EstimateHeader& header,
                                     EstimateStores& stores);

// The file for header and stores: the header with the current signature, the summary lines
// 1..n, then each breakdown line i = 1..m followed by its detail lines 1..e (n and m at
// least 1, e the detail count). As when saving, the kind and number of every written
// record and each breakdown line's detail count are set in the stores too.
std::string SerializeEstimate(EstimateHeader& header, EstimateStores& stores);

}  // namespace quilto
