// Estimate files from untrusted bytes: whatever the header and the records hold (length
// bytes beyond their fields, any kind and number, a record cut short), reading must stay
// inside the file and the stores, a file read must write out within the size an estimate
// can have, and what was written must read back and write again byte for byte. A few rows
// also go through the editor's grids and back.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/editor/estimate_document.h"
#include "core/foundation/text_bytes.h"
#include "core/store/estimate_file.h"

using namespace quilto;

namespace {

void Check(bool condition, const char* what, int line) {
    if (condition) return;
    std::fprintf(stderr, "estimate_reader_fuzz:%d: %s\n", line, what);
    std::abort();
}
#define Require(condition) Check((condition), #condition, __LINE__)

// A figure shown as text and read back. Text saturates symmetrically, so the one value
// without a positive counterpart (the lowest 64-bit number, no typed amount can reach it)
// comes back one ten-thousandth higher.
bool SameFigure(Fixed4 back, Fixed4 stored) {
    if (stored.raw == INT64_MIN) return back.raw == -INT64_MAX;
    return back == stored;
}

constexpr std::size_t kLargestFile =
    kEstimateHeaderSize +
    kLineRecordSize * (kSummaryLines + kBreakdownLines + kBreakdownLines * kDetailLines);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Kept between runs, as the program keeps its stores: every read must clear them.
    static EstimateHeader header;
    static EstimateStores stores;
    static EstimateStores stores2;
    static EstimateDocument document;
    const bool parsed = ParseEstimateFile(bytes, header, stores);
    Require(parsed || size < kEstimateHeaderSize);
    if (!parsed) return 0;

    const int n = LastSummaryLine(stores);
    const int m = LastBreakdownLine(stores);
    Require(n >= 0 && n <= kSummaryLines && m >= 0 && m <= kBreakdownLines);
    for (int i = 1; i <= m; ++i) {
        const int e = DetailCount(stores, i);
        Require(e >= 0 && e <= kDetailLines);
    }

    const std::string written = SerializeEstimate(header, stores);
    Require(written.size() >= kEstimateHeaderSize + 2 * kLineRecordSize);
    Require(written.size() <= kLargestFile);
    Require((written.size() - kEstimateHeaderSize) % kLineRecordSize == 0);

    EstimateHeader header2;
    Require(ParseEstimateFile(written, header2, stores2));
    Require(header2.SignatureKind() == EstimateSignature::Current);
    Require(SerializeEstimate(header2, stores2) == written);

    // Through the grids: opening and saving without a change keeps every figure, and every
    // text (a malformed one ending in a lone lead byte loses that byte).
    const LineRecord& summary = stores2.summary[1];
    RecordToRow(summary, SheetKind::Summary, document.Grid(SheetKind::Summary), 1);
    LineRecord back = summary;
    RowToRecord(document.Grid(SheetKind::Summary), 1, SheetKind::Summary, back);
    Require(back.Name() == CutToBytes(summary.Name(), 40));
    Require(back.Code() == CutToBytes(summary.Code(), 6));
    Require(back.Remarks() == CutToBytes(summary.Remarks(), 30));
    Require(SameFigure(back.Quantity(), summary.Quantity()));
    Require(SameFigure(back.UnitPrice(), summary.UnitPrice()));
    Require(SameFigure(back.Amount(), summary.Amount()));
    Require(SameFigure(back.CostUnitPrice(), summary.CostUnitPrice()));
    Require(SameFigure(back.Cost(), summary.Cost()));
    // Without a detail sheet for line 1 the grid would load empty and store nothing back:
    // its 300 rows would cost more than all the rest of the run and show nothing new.
    if (!stores2.details.HasSheet(1)) return 0;
    const int details = DetailCount(stores2, 1);
    std::swap(document.Stores(), stores2);
    document.LoadDetailSheet(1);
    document.StoreDetailSheet();
    Require(DetailCount(document.Stores(), 1) <= details);
    return 0;
}
