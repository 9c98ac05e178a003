// The display layer alone, as window_start --display-layer measures it: a process that
// opens the SDL display, creates one 350 x 150 window, presents one frame of the panel colour
// and shows it, then waits to be ended. No application, no looper, no drawing kit: what is
// left is what the window system and SDL cost.

#include <Display.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

int main()
{
    std::unique_ptr<BPrivate::Display> display = BPrivate::make_sdl_display();
    if (display == nullptr) {
        fprintf(stderr, "display_window: no X display\n");
        return 1;
    }
    BPrivate::DisplayWindowConfig config;
    config.frame = BRect(100, 100, 449, 249);
    config.title = "Display Window";
    config.resizable = false;
    BPrivate::display_window_id window = display->CreateWindow(config);

    const int32 width = 350, height = 150;
    std::vector<uint32_t> pixels((size_t)width * height, 0xffd8d8d8);
    display->Present(window, reinterpret_cast<const uint8*>(pixels.data()), width, height,
                     width * 4);
    display->Show(window);
    // The measuring side ends this process once it has seen the frame.
    for (;;)
        pause();
}
