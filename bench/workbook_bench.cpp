// The workbook layer on a shipped template: open, copy the detail sheet into pages, write
// every line cell of every page, save to bytes. Items are cells written.
//   build/release/bench/workbook_bench

#include <benchmark/benchmark.h>

#include <QString>
#include <string>

#include "core/excel/workbook.h"
#include "core/foundation/atomic_file.h"

namespace quilto {
namespace {

const std::string& Template() {
    static const std::string bytes =
        ReadWholeFile(QStringLiteral(QUILTO_XLSBASE_DIR "/見積書00.xlsx"), 64 << 20).value();
    return bytes;
}

void BM_FillAndSave(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const char* columns[] = {"B", "C", "D", "E", "F", "G", "H", "I"};
    const char* values[] = {"12", "外壁 高圧洗浄", "150kgf/c",  "   1,280.5",
                            "m2", "   1,250",      "1,600,625", "'007"};
    std::int64_t cells = 0;
    for (auto _ : state) {
        QString error;
        auto book = Workbook::OpenBytes(Template(), &error);
        for (int i = 1; i < pages; ++i) book->CopySheetAfter(4, 3 + i, &error);
        for (int page = 0; page < pages; ++page) {
            book->ActivateSheet(4 + page, &error);
            book->WriteCell("C1", "2-外壁改修工事", &error);
            for (int line = 0; line < 20; ++line)
                for (int c = 0; c < 8; ++c) {
                    const std::string address = columns[c] + std::to_string(3 + line);
                    book->WriteCell(address, values[c], &error);
                    ++cells;
                }
        }
        std::string bytes;
        if (!book->SaveBytes(&bytes, &error)) state.SkipWithError("save failed");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(cells);
}
BENCHMARK(BM_FillAndSave)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilto
