#include "core/store/estimate_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/foundation/binary_record.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

// Header offsets.
constexpr std::size_t kSignatureOffset = 0;
constexpr std::size_t kSignatureCapacity = 12;
constexpr std::array<std::size_t, kHeaderFigureCount> kFigureOffsets = {1304, 1312, 1336, 1344};
constexpr std::array<const char*, kHeaderFigureCount> kFigureNames = {"MGoukei01", "MGoukei11",
                                                                      "MGoukei12", "MGoukei13"};
constexpr std::size_t kPatternOffset = 1360;
constexpr std::size_t kTaxRateOffset = 1368;
constexpr std::size_t kCheckBox1Offset = 1376;
constexpr std::size_t kCheckBox2Offset = 1380;

constexpr std::array<HeaderTextLayout, kHeaderTextCount> kHeaderTexts = {{
    {"MNo", 16, 6},       {"MBango", 23, 15},   {"MTitle1", 39, 50},   {"MCode1", 90, 6},
    {"MName1", 97, 70},   {"MName2", 168, 30},  {"MBasyo1", 199, 70},  {"MTanto1", 270, 20},
    {"MYMD1", 291, 24},   {"MYMD2", 316, 50},   {"MYMD3", 367, 24},    {"MYMD4", 392, 24},
    {"MKigen1", 442, 50}, {"MBiko1", 493, 80},  {"MBiko2", 574, 80},   {"MBiko3", 655, 80},
    {"MBiko4", 736, 80},  {"MBiko5", 817, 80},  {"MBiko6", 898, 80},   {"MBiko7", 979, 80},
    {"MBiko8", 1060, 80}, {"MBiko9", 1141, 80}, {"MBiko10", 1222, 80},
}};

// Line record offsets.
constexpr std::size_t kKindOffset = 0;
constexpr std::size_t kNumberOffset = 2;
constexpr std::size_t kDetailCountOffset = 4;
constexpr std::size_t kCodeOffset = 6;
constexpr std::size_t kCodeCapacity = 6;
constexpr std::size_t kNumberTextOffset = 13;
constexpr std::size_t kNumberTextCapacity = 4;
constexpr std::size_t kNameOffset = 18;
constexpr std::size_t kNameCapacity = 40;
constexpr std::size_t kSpecOffset = 59;
constexpr std::size_t kSpecCapacity = 40;
constexpr std::size_t kUnitOffset = 100;
constexpr std::size_t kUnitCapacity = 6;
constexpr std::size_t kQuantityOffset = 112;
constexpr std::size_t kUnitPriceOffset = 120;
constexpr std::size_t kAmountOffset = 128;
constexpr std::size_t kCostUnitPriceOffset = 136;
constexpr std::size_t kCostOffset = 144;
constexpr std::size_t kLabourRateOffset = 152;
constexpr std::size_t kRemarksOffset = 160;
constexpr std::size_t kRemarksCapacity = 30;
// Where the first layout kept the 規格 text (a product's size or grade), and how much moves.
constexpr std::size_t kOldSpecOffset = 69;
constexpr std::size_t kOldSpecBytes = 30;

void WriteI16(std::span<char> bytes, std::size_t offset, int value) {
    RecordWriter w(bytes);
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    w.U8(offset, static_cast<std::uint8_t>(v & 0xFF));
    w.U8(offset + 1, static_cast<std::uint8_t>(v >> 8));
}

void AssignPadded(std::string& target, std::string_view source, std::size_t size) {
    target.assign(source.substr(0, std::min(source.size(), size)));
    target.resize(size, '\0');
}

// Whether the text of a short string field has anything but blanks and control
// characters. Texts joined and trimmed are blank exactly when none of them has such a byte;
// this is asked for every slot of every sheet on each save, so it reads the bytes in place.
bool HasVisibleText(const LineRecord& r, std::size_t offset, std::size_t capacity) {
    const RecordReader reader(r.View());
    const std::size_t length = std::min<std::size_t>(reader.U8(offset), capacity);
    for (const char c : reader.Bytes(offset + 1, length)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte != 0x7F) return true;
    }
    return false;
}

bool SummaryOrBreakdownUsed(const LineRecord& r) {
    if (r.NoTextNorAmount()) return false;
    return HasVisibleText(r, kCodeOffset, kCodeCapacity) ||
           HasVisibleText(r, kNameOffset, kNameCapacity) || r.Amount().raw != 0;
}

bool DetailUsed(const LineRecord& r) {
    if (r.NoTextNorAmount()) return false;
    return HasVisibleText(r, kCodeOffset, kCodeCapacity) ||
           HasVisibleText(r, kNameOffset, kNameCapacity) ||
           HasVisibleText(r, kSpecOffset, kSpecCapacity) ||
           HasVisibleText(r, kUnitOffset, kUnitCapacity);
}

// Every load empties all 1,302 summary and breakdown slots: as one block, since records
// are plain bytes side by side.
void ZeroRecords(std::vector<LineRecord>& records) {
    std::memset(static_cast<void*>(records.data()), 0, records.size() * sizeof(LineRecord));
}

int LastUsed(const std::vector<LineRecord>& lines, int last) {
    for (int i = last; i >= 1; --i) {
        if (SummaryOrBreakdownUsed(lines[static_cast<std::size_t>(i)])) return i;
    }
    return 0;
}

}  // namespace

const HeaderTextLayout& LayoutOf(HeaderText text) {
    return kHeaderTexts[static_cast<std::size_t>(text)];
}

const char* ControlNameOf(HeaderFigure figure) {
    return kFigureNames[static_cast<std::size_t>(figure)];
}

EstimateSignature SignatureKindOf(std::string_view signature) {
    const std::string_view trimmed = TrimmedRightView(signature);
    if (trimmed == kEstimateSignature) return EstimateSignature::Current;
    if (trimmed == kOldEstimateSignature) return EstimateSignature::Old;
    return EstimateSignature::Foreign;
}

// --- EstimateHeader ---

void EstimateHeader::Assign(std::string_view bytes) {
    AssignPadded(bytes_, bytes, kEstimateHeaderSize);
}

void EstimateHeader::Clear() { bytes_.assign(kEstimateHeaderSize, '\0'); }

std::string EstimateHeader::Signature() const {
    return RecordReader(bytes_).Text(kSignatureOffset, kSignatureCapacity);
}

EstimateSignature EstimateHeader::SignatureKind() const {
    return SignatureKindOf(RecordReader(bytes_).TextView(kSignatureOffset, kSignatureCapacity));
}

void EstimateHeader::SetSignature(std::string_view signature) {
    RecordWriter(bytes_).ShortString(kSignatureOffset, kSignatureCapacity, signature);
}

std::string EstimateHeader::Text(HeaderText text) const { return std::string(TextView(text)); }

std::string_view EstimateHeader::TextView(HeaderText text) const {
    const HeaderTextLayout& f = LayoutOf(text);
    return RecordReader(bytes_).TextView(f.offset, f.capacity);
}

void EstimateHeader::SetText(HeaderText text, std::string_view value) {
    const HeaderTextLayout& f = LayoutOf(text);
    RecordWriter(bytes_).ShortString(f.offset, f.capacity, value);
}

Fixed4 EstimateHeader::Figure(HeaderFigure figure) const {
    return RecordReader(bytes_).Fixed(kFigureOffsets[static_cast<std::size_t>(figure)]);
}

void EstimateHeader::SetFigure(HeaderFigure figure, Fixed4 value) {
    RecordWriter(bytes_).Fixed(kFigureOffsets[static_cast<std::size_t>(figure)], value);
}

Fixed4 EstimateHeader::PatternValue() const { return RecordReader(bytes_).Fixed(kPatternOffset); }
void EstimateHeader::SetPatternValue(Fixed4 value) {
    RecordWriter(bytes_).Fixed(kPatternOffset, value);
}
std::int32_t EstimateHeader::TaxRate() const { return RecordReader(bytes_).I32(kTaxRateOffset); }
void EstimateHeader::SetTaxRate(std::int32_t percent) {
    RecordWriter(bytes_).I32(kTaxRateOffset, percent);
}
std::int32_t EstimateHeader::CheckBox1() const {
    return RecordReader(bytes_).I32(kCheckBox1Offset);
}
void EstimateHeader::SetCheckBox1(std::int32_t value) {
    RecordWriter(bytes_).I32(kCheckBox1Offset, value);
}
std::int32_t EstimateHeader::CheckBox2() const {
    return RecordReader(bytes_).I32(kCheckBox2Offset);
}
void EstimateHeader::SetCheckBox2(std::int32_t value) {
    RecordWriter(bytes_).I32(kCheckBox2Offset, value);
}

// --- LineRecord ---

void LineRecord::Assign(std::string_view bytes) {
    const std::size_t n = std::min(bytes.size(), kLineRecordSize);
    std::copy_n(bytes.data(), n, bytes_.data());
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(n), bytes_.end(), '\0');
}

static_assert(kAmountOffset + sizeof(std::uint64_t) <= kLineRecordSize);
static_assert(kCodeOffset < kLineRecordSize && kNameOffset < kLineRecordSize &&
              kSpecOffset < kLineRecordSize && kUnitOffset < kLineRecordSize);

bool LineRecord::NoTextNorAmount() const {
    const char lengths = static_cast<char>(bytes_[kCodeOffset] | bytes_[kNameOffset] |
                                           bytes_[kSpecOffset] | bytes_[kUnitOffset]);
    std::uint64_t amount;
    std::memcpy(&amount, bytes_.data() + kAmountOffset, sizeof amount);
    return lengths == 0 && amount == 0;
}

bool LineRecord::IsZero() const {
    return std::all_of(bytes_.begin(), bytes_.end(), [](char c) { return c == '\0'; });
}

void LineRecord::SetKind(int kind) { WriteI16(Writable(), kKindOffset, kind); }
void LineRecord::SetNumber(int number) { WriteI16(Writable(), kNumberOffset, number); }
void LineRecord::SetDetailCount(int count) { WriteI16(Writable(), kDetailCountOffset, count); }

std::string_view LineRecord::CodeView() const {
    return RecordReader(View()).TextView(kCodeOffset, kCodeCapacity);
}
void LineRecord::SetCode(std::string_view text) {
    RecordWriter(Writable()).ShortString(kCodeOffset, kCodeCapacity, text);
}
std::string_view LineRecord::NumberTextView() const {
    return RecordReader(View()).TextView(kNumberTextOffset, kNumberTextCapacity);
}
void LineRecord::SetNumberText(std::string_view text) {
    RecordWriter(Writable()).ShortString(kNumberTextOffset, kNumberTextCapacity, text);
}
std::string_view LineRecord::NameView() const {
    return RecordReader(View()).TextView(kNameOffset, kNameCapacity);
}
void LineRecord::SetName(std::string_view text) {
    RecordWriter(Writable()).ShortString(kNameOffset, kNameCapacity, text);
}
std::string_view LineRecord::SpecView() const {
    return RecordReader(View()).TextView(kSpecOffset, kSpecCapacity);
}
void LineRecord::SetSpec(std::string_view text) {
    RecordWriter(Writable()).ShortString(kSpecOffset, kSpecCapacity, text);
}
std::string_view LineRecord::UnitView() const {
    return RecordReader(View()).TextView(kUnitOffset, kUnitCapacity);
}
void LineRecord::SetUnit(std::string_view text) {
    RecordWriter(Writable()).ShortString(kUnitOffset, kUnitCapacity, text);
}
std::string_view LineRecord::RemarksView() const {
    return RecordReader(View()).TextView(kRemarksOffset, kRemarksCapacity);
}
void LineRecord::SetRemarks(std::string_view text) {
    RecordWriter(Writable()).ShortString(kRemarksOffset, kRemarksCapacity, text);
}

Fixed4 LineRecord::Quantity() const { return RecordReader(View()).Fixed(kQuantityOffset); }
void LineRecord::SetQuantity(Fixed4 value) {
    RecordWriter(Writable()).Fixed(kQuantityOffset, value);
}
Fixed4 LineRecord::UnitPrice() const { return RecordReader(View()).Fixed(kUnitPriceOffset); }
void LineRecord::SetUnitPrice(Fixed4 value) {
    RecordWriter(Writable()).Fixed(kUnitPriceOffset, value);
}
Fixed4 LineRecord::Amount() const { return RecordReader(View()).Fixed(kAmountOffset); }
void LineRecord::SetAmount(Fixed4 value) { RecordWriter(Writable()).Fixed(kAmountOffset, value); }
Fixed4 LineRecord::CostUnitPrice() const {
    return RecordReader(View()).Fixed(kCostUnitPriceOffset);
}
void LineRecord::SetCostUnitPrice(Fixed4 value) {
    RecordWriter(Writable()).Fixed(kCostUnitPriceOffset, value);
}
Fixed4 LineRecord::Cost() const { return RecordReader(View()).Fixed(kCostOffset); }
void LineRecord::SetCost(Fixed4 value) { RecordWriter(Writable()).Fixed(kCostOffset, value); }
Fixed4 LineRecord::LabourRate() const { return RecordReader(View()).Fixed(kLabourRateOffset); }
void LineRecord::SetLabourRate(Fixed4 value) {
    RecordWriter(Writable()).Fixed(kLabourRateOffset, value);
}

void LineRecord::MoveOldSpecification() {
    // The two ranges overlap; the target lies before the source, so a forward copy is safe.
    std::copy(bytes_.begin() + kOldSpecOffset, bytes_.begin() + kOldSpecOffset + kOldSpecBytes,
              bytes_.begin() + kSpecOffset);
}

// --- DetailStore ---

// A sheet's lines point either into a file block, which the sheet keeps alive, or into
// records of its own. Once the sheet is shared it is never written again: the store writes
// only into sheets it alone holds whose records are their own.
class DetailStore::Sheet {
  public:
    std::shared_ptr<std::byte[]> block;  // the file block lines may point into
    std::unique_ptr<LineRecord[]> own;   // kDetailSlots records, zero where no line points
    std::array<LineRecord*, kDetailSlots> lines{};  // nullptr: an empty line
};

namespace {

const LineRecord& LineOf(const DetailStore::Sheet* sheet, int line) {
    static const LineRecord kEmpty;
    const LineRecord* r = sheet ? sheet->lines[static_cast<std::size_t>(line)] : nullptr;
    return r ? *r : kEmpty;
}

}  // namespace

DetailStore::DetailStore()
    : sheets_(static_cast<std::size_t>(kDetailSheets)), stamps_(kDetailSheets, 0) {
    for (int k = 0; k < kDetailSheets; ++k) Touch(k);
}

void DetailStore::Touch(int sheet) {
    // One counter for every store: a stamp never repeats, not even in a copy or a store
    // moved in.
    static std::atomic<std::uint64_t> next{0};
    if (sheet >= 0 && static_cast<std::size_t>(sheet) < stamps_.size())
        stamps_[static_cast<std::size_t>(sheet)] = ++next;
}

std::uint64_t DetailStore::SheetStamp(int sheet) const {
    return sheet >= 0 && static_cast<std::size_t>(sheet) < stamps_.size()
               ? stamps_[static_cast<std::size_t>(sheet)]
               : 0;
}
DetailStore::~DetailStore() = default;

DetailStore::DetailStore(const DetailStore& other) : DetailStore() { *this = other; }

DetailStore& DetailStore::operator=(const DetailStore& other) {
    if (this == &other) return *this;
    // The sheets are shared; the file block stays with the store that loaded it, for its
    // next load (the sheets keep alive what they point into).
    sheets_ = other.sheets_;
    sheets_.resize(static_cast<std::size_t>(kDetailSheets));
    stamps_.resize(static_cast<std::size_t>(kDetailSheets));
    for (int k = 0; k < kDetailSheets; ++k) Touch(k);
    return *this;
}

bool DetailStore::Holds(int sheet, int line) const {
    // A moved-from store has no sheet slots at all.
    return sheet >= 0 && static_cast<std::size_t>(sheet) < sheets_.size() && line >= 0 &&
           line < kDetailSlots;
}

int DetailStore::LastLineWhere(int sheet, bool (*used)(const LineRecord&)) const {
    const Sheet* contents =
        Holds(sheet, 0) ? sheets_[static_cast<std::size_t>(sheet)].get() : nullptr;
    if (contents == nullptr) return 0;
    // Lines never written hold no record at all and are passed over without a look.
    for (int line = kDetailLines; line >= 1; --line) {
        const LineRecord* record = contents->lines[static_cast<std::size_t>(line)];
        if (record != nullptr && used(*record)) return line;
    }
    return 0;
}

const LineRecord& DetailStore::Line(int sheet, int line) const {
    return LineOf(Holds(sheet, line) ? sheets_[static_cast<std::size_t>(sheet)].get() : nullptr,
                  line);
}

DetailStore::Sheet& DetailStore::Writable(int sheet) {
    std::shared_ptr<Sheet>& current = sheets_[static_cast<std::size_t>(sheet)];
    if (current && current->own && !current->block && current.use_count() == 1) {
        // The last other holder may have let go on another thread (a snapshot being
        // written): its reads of the records come before this write.
        std::atomic_thread_fence(std::memory_order_acquire);
        return *current;
    }
    auto fresh = std::make_shared<Sheet>();
    fresh->own = std::make_unique<LineRecord[]>(kDetailSlots);
    if (current) {
        for (std::size_t line = 0; line < kDetailSlots; ++line) {
            if (const LineRecord* r = current->lines[line]) {
                fresh->own[line] = *r;
                fresh->lines[line] = &fresh->own[line];
            }
        }
    }
    current = std::move(fresh);
    return *current;
}

LineRecord& DetailStore::MutableLine(int sheet, int line) {
    if (!Holds(sheet, line)) {
        scratch_.Clear();
        return scratch_;
    }
    Sheet& s = Writable(sheet);
    Touch(sheet);
    LineRecord*& slot = s.lines[static_cast<std::size_t>(line)];
    if (!slot) slot = &s.own[static_cast<std::size_t>(line)];
    return *slot;
}

void DetailStore::SetLine(int sheet, int line, const LineRecord& record) {
    if (!Holds(sheet, line)) return;
    if (HasSheet(sheet) && Line(sheet, line).View() == record.View()) return;
    MutableLine(sheet, line) = record;
}

bool DetailStore::HasSheet(int sheet) const {
    return Holds(sheet, 0) && sheets_[static_cast<std::size_t>(sheet)] != nullptr;
}

void DetailStore::ClearLine(int sheet, int line) {
    if (!Holds(sheet, line) || Line(sheet, line).IsZero()) return;
    Sheet& s = Writable(sheet);
    Touch(sheet);
    LineRecord*& slot = s.lines[static_cast<std::size_t>(line)];
    slot->Clear();
    slot = nullptr;
}

void DetailStore::ClearSheet(int sheet) {
    if (!HasSheet(sheet)) return;
    Touch(sheet);
    sheets_[static_cast<std::size_t>(sheet)].reset();
}

void DetailStore::Clear() {
    for (int k = 0; k < static_cast<int>(sheets_.size()); ++k) ClearSheet(k);
}

void DetailStore::SwapSheets(int a, int b) {
    if (!Holds(a, 0) || !Holds(b, 0) || a == b) return;
    std::swap(sheets_[static_cast<std::size_t>(a)], sheets_[static_cast<std::size_t>(b)]);
    Touch(a);
    Touch(b);
}

DetailStore::SharedSheet DetailStore::Share(int sheet) const {
    return HasSheet(sheet) ? sheets_[static_cast<std::size_t>(sheet)] : nullptr;
}

void DetailStore::Restore(int sheet, SharedSheet contents) {
    if (!Holds(sheet, 0)) return;
    // Shared sheets are never written: Writable copies one while another holder keeps it.
    sheets_[static_cast<std::size_t>(sheet)] = std::const_pointer_cast<Sheet>(std::move(contents));
    Touch(sheet);
}

bool DetailStore::SameRecords(const SharedSheet& a, const SharedSheet& b) {
    if (a == b) return true;
    for (int line = 0; line < kDetailSlots; ++line) {
        if (LineOf(a.get(), line).View() != LineOf(b.get(), line).View()) return false;
    }
    return true;
}

std::span<char> DetailStore::FileBlock(std::size_t count) {
    if (sheets_.empty()) *this = DetailStore();  // moved from
    Clear();
    if (block_ && count <= blockCapacity_ && block_.use_count() == 1) {
        std::atomic_thread_fence(std::memory_order_acquire);  // as in Writable
    } else {
        // A copy or a kept sheet still looks into the old block: it stays theirs.
        block_ = std::make_shared_for_overwrite<std::byte[]>(std::max<std::size_t>(count, 1) *
                                                             kLineRecordSize);
        blockCapacity_ = count;
    }
    return {reinterpret_cast<char*>(block_.get()), count * kLineRecordSize};
}

void DetailStore::Place(std::size_t at, int sheet, int line) {
    std::shared_ptr<Sheet>& s = sheets_[static_cast<std::size_t>(sheet)];
    if (!s) s = std::make_shared<Sheet>();
    // A sheet that points into the block is never written in place.
    s->block = block_;
    s->lines[static_cast<std::size_t>(line)] = &Block()[at];
    Touch(sheet);
}

// --- EstimateStores ---

EstimateStores::EstimateStores() : summary(kSummarySlots), breakdown(kBreakdownSlots) {}

void EstimateStores::Clear() {
    ZeroRecords(summary);
    ZeroRecords(breakdown);
    details.Clear();
}

int LastSummaryLine(const EstimateStores& stores) {
    return LastUsed(stores.summary, kSummaryLines);
}

int LastBreakdownLine(const EstimateStores& stores) {
    return LastUsed(stores.breakdown, kBreakdownLines);
}

int DetailCount(const EstimateStores& stores, int line) {
    return stores.details.LastLineWhere(line, DetailUsed);
}

std::span<char> EstimateStores::RecordBlock(std::size_t count) {
    ZeroRecords(summary);
    ZeroRecords(breakdown);
    return details.FileBlock(count);
}

void EstimateStores::PlaceBlock(std::size_t count, bool oldSignature) {
    for (std::size_t at = 0; at < count; ++at) {
        LineRecord& r = details.FileRecord(at);
        const int kind = r.Kind();
        const int number = r.Number();
        if (number < 0) continue;
        if (kind == kSummaryKind) {
            if (number < kSummarySlots) summary[static_cast<std::size_t>(number)] = r;
        } else if (kind == kBreakdownKind) {
            if (number < kBreakdownSlots) breakdown[static_cast<std::size_t>(number)] = r;
        } else if (kind >= 1 && kind < kDetailSheets && number < kDetailSlots) {
            if (oldSignature) r.MoveOldSpecification();
            details.Place(at, kind, number);
        }
    }
}

bool ParseEstimateFile(std::string_view file, EstimateHeader& header, EstimateStores& stores) {
    if (file.size() < kEstimateHeaderSize) return false;
    header.Assign(file.substr(0, kEstimateHeaderSize));
    const EstimateSignature signature = header.SignatureKind();
    const std::string_view records = file.substr(kEstimateHeaderSize);
    // A short trailing record is ignored.
    const std::size_t count =
        signature == EstimateSignature::Foreign ? 0 : records.size() / kLineRecordSize;
    const std::span<char> block = stores.RecordBlock(count);
    std::copy_n(records.data(), block.size(), block.data());
    stores.PlaceBlock(count, signature == EstimateSignature::Old);
    return true;
}

std::string SerializeEstimate(EstimateHeader& header, EstimateStores& stores) {
    header.SetSignature(kEstimateSignature);
    const int n = std::max(1, LastSummaryLine(stores));
    const int m = std::max(1, LastBreakdownLine(stores));
    std::vector<int> counts(static_cast<std::size_t>(m) + 1, 0);
    std::size_t records = static_cast<std::size_t>(n) + static_cast<std::size_t>(m);
    for (int i = 1; i <= m; ++i) {
        counts[static_cast<std::size_t>(i)] = DetailCount(stores, i);
        records += static_cast<std::size_t>(counts[static_cast<std::size_t>(i)]);
    }

    std::string file;
    file.reserve(kEstimateHeaderSize + records * kLineRecordSize);
    file += header.Bytes();
    for (int i = 1; i <= n; ++i) {
        LineRecord& r = stores.summary[static_cast<std::size_t>(i)];
        r.SetKind(kSummaryKind);
        r.SetNumber(i);
        file += r.View();
    }
    for (int i = 1; i <= m; ++i) {
        LineRecord& r = stores.breakdown[static_cast<std::size_t>(i)];
        const int e = counts[static_cast<std::size_t>(i)];
        r.SetKind(kBreakdownKind);
        r.SetNumber(i);
        r.SetDetailCount(e);
        file += r.View();
        for (int j = 1; j <= e; ++j) {
            // Written only where they differ: saving leaves shared sheets shared.
            const LineRecord& held = stores.details.Line(i, j);
            if (held.Kind() != i || held.Number() != j || !stores.details.HasSheet(i)) {
                LineRecord& d = stores.details.MutableLine(i, j);
                d.SetKind(i);
                d.SetNumber(j);
            }
            file += stores.details.Line(i, j).View();
        }
    }
    return file;
}

}  // namespace quilto
