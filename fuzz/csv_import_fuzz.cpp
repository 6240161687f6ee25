// Product CSV files from untrusted bytes, CP932, UTF-8 or UTF-16. Whatever a file holds, it
// is refused whole as no text, or every record is imported, named as refused or skipped as
// blank; each product that comes in is one well-formed product line of the chosen
// construction with a code of its own, and exporting what came in and importing that again
// gives the same products.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "core/foundation/cp932.h"
#include "core/masters/master_lines.h"
#include "core/masters/master_lists.h"
#include "core/masters/product_import.h"

using namespace quilto;

// A requirement that names itself when it fails.
#define REQUIRE(condition)                                                 \
    do {                                                                   \
        if (!(condition)) {                                                \
            std::fprintf(stderr, "requirement not met: %s\n", #condition); \
            std::abort();                                                  \
        }                                                                  \
    } while (false)

namespace {

bool HasControlBytes(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view csv(reinterpret_cast<const char*>(data), size);
    MasterLists lists;
    const ProductImportReport report = ImportProductCsv(lists, "001", csv);
    REQUIRE(lists.products.size() == static_cast<std::size_t>(report.imported));

    if (!report.isText) {
        // Refused whole: nothing came in and the reason says where.
        REQUIRE(report.imported == 0 && report.refused.empty() && !report.notTextReason.empty());
        return 0;
    }
    // Every record is imported, named as refused or counted as blank; a record is one line,
    // or more when a quoted field holds line breaks. UTF-16 is converted first, so only the
    // other encodings are counted against the bytes' lines.
    if (report.encoding != ImportEncoding::kUtf16) {
        if (csv.starts_with("\xEF\xBB\xBF")) csv.remove_prefix(3);
        if (csv.ends_with('\x1A')) csv.remove_suffix(1);
        const std::size_t lines = SplitMasterLines(csv).size();
        const std::size_t accounted =
            report.imported + report.refused.size() + static_cast<std::size_t>(report.blankLines);
        const bool oneLineRecords = csv.find('"') == std::string_view::npos;
        REQUIRE(report.capacityStopped || !oneLineRecords ? accounted <= lines
                                                          : accounted == lines);
        int previous = 0;
        for (const ImportRefusal& refusal : report.refused) {
            REQUIRE(refusal.line > previous && static_cast<std::size_t>(refusal.line) <= lines);
            REQUIRE(!refusal.reason.empty());
            previous = refusal.line;
        }
    }

    std::set<std::string> codes;
    for (const std::string& line : lists.products) {
        REQUIRE(line.size() == static_cast<std::size_t>(kProductLineWidth));
        REQUIRE(!HasControlBytes(line));
        REQUIRE(Cp932ToUtf8(line).has_value());  // no character cut in half
        const ProductFields fields = ProductFieldsOf(line);
        REQUIRE(fields.constructionCode == "001");
        REQUIRE(codes.insert(fields.productCode).second);
    }

    MasterLists again;
    const ProductImportReport second =
        ImportProductCsv(again, "001", ExportProductCsv(lists, "001"));
    REQUIRE(second.refused.empty() && !second.capacityStopped && second.blankLines == 0);
    // The same characters: CP932 has two codes for some (NEC's and IBM's extensions), and
    // the way back from Unicode takes one of them.
    REQUIRE(again.products.size() == lists.products.size());
    for (std::size_t i = 0; i < lists.products.size(); ++i)
        REQUIRE(Cp932ToUtf8(again.products[i]) == Cp932ToUtf8(lists.products[i]));
    return 0;
}
