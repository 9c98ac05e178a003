// What text costs the interface kit: measuring a label (the same one again, as a view that
// redraws does, and always another, which lays every one out), the font's height, drawing a
// label into an image, and the first measurement on a new thread, which sets up that
// thread's fonts.

#include "FontRendering.h"

#include <Font.h>

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kLabel = "Convert to format 0:"; // 20 characters

void BM_StringWidthSameLabel(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(be_plain_font->StringWidth(kLabel));
}
BENCHMARK(BM_StringWidthSameLabel);

void BM_StringWidthDistinctLabels(benchmark::State& state)
{
    // More labels than a thread keeps widths of: every one is laid out.
    std::vector<std::string> labels;
    for (int i = 0; i < 10000; i++)
        labels.push_back("Track " + std::to_string(i * 7919) + " of the song");
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(be_plain_font->StringWidth(labels[next].c_str()));
        next = (next + 1) % labels.size();
    }
}
BENCHMARK(BM_StringWidthDistinctLabels);

void BM_GetHeight(benchmark::State& state)
{
    font_height height;
    for (auto _ : state) {
        be_bold_font->GetHeight(&height);
        benchmark::DoNotOptimize(height);
    }
}
BENCHMARK(BM_GetHeight);

void BM_DrawLabel(benchmark::State& state)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 20);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (auto _ : state)
        BPrivate::draw_string(cr, *be_plain_font, kLabel, -1, BPoint(2, 15));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_DrawLabel);

void BM_FirstWidthOnNewThread(benchmark::State& state)
{
    for (auto _ : state) {
        std::thread([] { benchmark::DoNotOptimize(be_plain_font->StringWidth(kLabel)); }).join();
    }
}
BENCHMARK(BM_FirstWidthOnNewThread)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
