// Any bytes as the environment record: filling the settings and rebuilding the record give
// defined results, the record keeps its size, what the dialog can store stays within its
// codes, and a rebuilt record reads back to itself (fill and rebuild settle at once).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/store/environment.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quilto;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    Environment env;
    env.Load(bytes);
    Require(env.Record().size() == kEnvironmentRecordSize);
    Require(!env.OtherTrade());
    for (const auto caption : {LineCaption::Subtotal, LineCaption::Discount, LineCaption::Total,
                               LineCaption::Tax, LineCaption::GrandTotal}) {
        const std::string text = env.Caption(caption);
        Require(!text.empty() && text.size() <= 20);
    }
    for (const auto& name : EnvironmentSettings::TextControlNames()) {
        Require(env.Settings().Text(name).size() <= 200);
    }
    Require(DataFolder(env).size() <= 201);
    Require(MasterFolder(env).size() <= 201);
    Require(env.DataFolderSetting().size() <= 200);
    DataFilePath(env, "m_000001.dat");

    env.BuildRecord();
    Require(env.Record().size() == kEnvironmentRecordSize);
    Require(env.TaxRate().raw > 0);
    Require(env.TaxRounding() >= 0 && env.TaxRounding() <= 2);
    Require(env.AmountRounding() >= 0 && env.AmountRounding() <= 2);
    Require(env.QuantityDecimals() == 1 || env.QuantityDecimals() == 2);

    const std::string rebuilt = env.Record();
    Environment again;
    again.Load(rebuilt);
    again.BuildRecord();
    Require(again.Record() == rebuilt);
    return 0;
}
