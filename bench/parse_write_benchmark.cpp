// Parsing and writing alone, over a form held in memory: how fast the tree and
// the RC text are built, apart from the disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "convert_form.h"

namespace {

// A block as the reader leaves it: top-level POPUPs with sub-menus, flags,
// separators and a control array, every line ended by CR LF.
std::string MenuBlock(int topLevel) {
    std::string block;
    auto line = [&](int depth, const std::string& text) { block.append(3 * depth, ' ').append(text).append("\r\n"); };
    for (int top = 0; top < topLevel; ++top) {
        const std::string t = std::to_string(top);
        line(1, "Begin VB.Menu mnuTop" + t);
        line(2, "Caption         =   \"&Menu " + t + "\"");
        for (int sub = 0; sub < 8; ++sub) {
            const std::string s = t + "_" + std::to_string(sub);
            line(2, "Begin VB.Menu mnuSub" + s);
            line(3, "Caption         =   \"Sub " + s + "\"");
            for (int leaf = 0; leaf < 10; ++leaf) {
                line(3, "Begin VB.Menu mnuItem" + s + "_" + std::to_string(leaf));
                line(4, leaf == 8 ? "Caption         =   \"-\"" : "Caption         =   \"Item &" + std::to_string(leaf) + "\"");
                if (leaf % 7 == 3) line(4, "Enabled         =   0   'False");
                if (leaf % 5 == 1) line(4, "Checked         =   -1  'True");
                if (leaf == 9) line(4, "Index           =   " + std::to_string(sub));
                line(3, "End");
            }
            line(2, "End");
        }
        line(1, "End");
    }
    line(0, "End");
    return block;
}

void BM_ParseAndWrite(benchmark::State& state) {
    const std::string block = MenuBlock(static_cast<int>(state.range(0)));
    tarvel::ConversionRequest request;
    request.form = std::filesystem::temp_directory_path() / "Bench.frm";  // the block refers to no .frx
    request.formBytes = block;
    request.rc.useDefines = state.range(1) != 0;
    for (auto _ : state) {
        std::string text;
        tarvel::Destination destination;
        destination.text = &text;
        const auto converted = tarvel::ConvertForm(request, destination);
        if (!converted) state.SkipWithError("the conversion failed");
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(block.size()));
    state.counters["items"] = static_cast<double>(state.range(0) * 8 * 11 + state.range(0));
}
BENCHMARK(BM_ParseAndWrite)->ArgsProduct({{100, 600}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
