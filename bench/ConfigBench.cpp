// Start-up cost of the configuration we ship, as the control pays it: the configuration file,
// every theme and every scheme read, each schema's class trees built and the theme applied; and
// switching the theme of all schemes.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "config/ConfigManager.h"
#include "platform/CodePage.h"

namespace {

// bench/ lies beside config/.
std::wstring ShippedConfig() {
    std::filesystem::path path = std::filesystem::path(__FILE__).parent_path().parent_path() / "config" /
                                 "EditConfig" / "Penwright.ini";
    return pw::Widen(path.string());
}

void BM_LoadShippedConfiguration(benchmark::State& state) {
    auto config = pw::MakeRef<ConfigManager>();
    for (auto _ : state) {
        if (!config->SetConfigFile(ShippedConfig()) || config->GetSchemes().empty()) {
            state.SkipWithError("no shipped configuration");
            break;
        }
    }
    config->Close();
}
BENCHMARK(BM_LoadShippedConfiguration)->Unit(benchmark::kMillisecond);

void BM_SwitchTheme(benchmark::State& state) {
    auto config = pw::MakeRef<ConfigManager>();
    config->SetConfigFile(ShippedConfig());
    bool dark = false;
    for (auto _ : state) {
        dark = !dark;
        config->SetCurrentTheme(dark ? L"Dark" : L"Default");
    }
    config->Close();
}
BENCHMARK(BM_SwitchTheme)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
