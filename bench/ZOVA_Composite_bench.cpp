// Composing one plate onto the view image, per plate of a letter page at
// 300 dpi (2550 x 3300), for a process ink and a spot ink; beside it, in
// the same run, the same composite written the plain way (each channel of
// each pixel subtracted on its own, with a branch), which is how the view
// was composed before. After the run it prints both times and their ratio.
#include "Exchange/ZOVA/ZOVA_ColorLookupTable.h"
#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int32_t kWidth = 2550, kHeight = 3300;

// A page's plate: white margins, a block of text-like noise and a ramp.
std::vector<unsigned char> LetterPlate() {
    std::vector<unsigned char> plate(static_cast<size_t>(kWidth) * kHeight, 255);
    std::mt19937 random(9);
    for (int32_t y = 300; y < 2000; ++y)
        for (int32_t x = 300; x < 2250; ++x)
            plate[static_cast<size_t>(y) * kWidth + x] = random() % 3 ? 255 : static_cast<unsigned char>(random());
    for (int32_t y = 2100; y < 3000; ++y)
        for (int32_t x = 300; x < 2250; ++x)
            plate[static_cast<size_t>(y) * kWidth + x] = static_cast<unsigned char>(x * 255 / kWidth);
    return plate;
}

CPDF_Color Cmyk(double c, double m, double y, double k) { return CPDF_Color(std::vector<double>{c, m, y, k}); }

void PlainComposite(ZOVA_OffscreenImage& image, const unsigned char* plate, const uint32_t* table) {
    uint32_t* pixels = image.LockData();
    for (size_t i = 0; i < static_cast<size_t>(kWidth) * kHeight; ++i) {
        const uint32_t pixel = pixels[i], absorbed = table[255 - plate[i]];
        uint32_t out = pixel & 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t have = (pixel >> shift) & 0xFF, take = (absorbed >> shift) & 0xFF;
            out |= (have >= take ? have - take : 0) << shift;
        }
        pixels[i] = out;
    }
    image.UnlockData();
}

double g_seconds[2][2];  // [spot][plain]
int64_t g_plates[2][2];

void BM_CompositePlate(benchmark::State& state) {
    const bool spot = state.range(0) != 0, plain = state.range(1) != 0;
    const std::vector<unsigned char> plate = LetterPlate();
    const CPDF_Color ink = spot ? Cmyk(0.3, 0.7, 0.1, 0.2) : Cmyk(1, 0, 0, 0);
    ZOVA_ColorLookupTable table;
    ZOVA_WinOffscreenImage image;
    image.Allocate(kWidth, kHeight, 32);
    const uint32_t* entries = table.TableFor(ink);
    for (auto _ : state) {
        // Back to white now and then, so the image keeps its ink's colours.
        state.PauseTiming();
        uint32_t* pixels = image.LockData();
        std::fill_n(pixels, static_cast<size_t>(kWidth) * kHeight, 0x00FFFFFFu);
        image.UnlockData();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        if (plain)
            PlainComposite(image, plate.data(), entries);
        else
            table.Composite(image, plate.data(), ink, kWidth, kHeight);
        g_seconds[spot][plain] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++g_plates[spot][plain];
        benchmark::DoNotOptimize(image.LockData());
        image.UnlockData();
    }
    state.SetLabel(std::string(spot ? "spot ink" : "process ink") + (plain ? ", plain" : ""));
}
BENCHMARK(BM_CompositePlate)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n%-12s %14s %14s %8s\n", "ink", "Composite ms", "plain ms", "ratio");
    for (int spot = 0; spot < 2; ++spot) {
        if (g_plates[spot][0] == 0 || g_plates[spot][1] == 0)
            continue;
        const double fast = g_seconds[spot][0] / g_plates[spot][0] * 1000, plain = g_seconds[spot][1] / g_plates[spot][1] * 1000;
        std::printf("%-12s %14.2f %14.2f %8.2f\n", spot ? "spot" : "process", fast, plain, plain / fast);
    }
    return 0;
}
