// Drawing a whole window: a 350 x 150 window laid out as a program's main window (a status
// line, a box of sixteen check boxes), redrawn entirely, on the offscreen display so that
// only the kit's own work is measured. Run: build/default/bin/window_bench

#include <Box.h>
#include <CheckBox.h>
#include <Display.h>
#include <StringView.h>
#include <View.h>
#include <Window.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

BWindow* make_main_window()
{
    auto* window = new BWindow(BRect(100, 100, 449, 249), "Bench", B_TITLED_WINDOW,
                               B_NOT_RESIZABLE | B_ASYNCHRONOUS_CONTROLS);
    auto* root =
        new BView(window->Bounds(), "BGView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS);
    root->SetViewColor(216, 216, 216);
    auto* status =
        new BStringView(BRect(10, 10, 340, 30), "StrViewStatus", "Drop MIDI files here.");
    root->AddChild(status);
    auto* box = new BBox(BRect(10, 45, 340, 140), "BoxChMasks");
    box->SetLabel("Channels");
    for (int i = 0; i < 16; i++) {
        const float left = 10 + 40 * (i % 8);
        const float top = i < 8 ? 20 : 45;
        auto* check = new BCheckBox(BRect(left, top, left + 30, top + 20), "New BCheckBox",
                                    std::to_string(i + 1).c_str(), nullptr);
        check->SetValue(i % 3 != 0);
        box->AddChild(check);
    }
    root->AddChild(box);
    window->AddChild(root);
    return window;
}

void BM_FullWindowRedraw(benchmark::State& state)
{
    BPrivate::select_display("offscreen");
    BWindow* window = make_main_window();
    window->Show();
    window->Lock();
    window->UpdateIfNeeded(); // the first layout of each font is paid once per thread
    for (auto _ : state) {
        window->ChildAt(0)->Invalidate();
        window->UpdateIfNeeded();
    }
    window->Quit();
}
BENCHMARK(BM_FullWindowRedraw)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
