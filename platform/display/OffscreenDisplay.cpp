// Windows without a window system: each window is the frame it last presented. Nothing is
// shown; input comes only from the injection calls of Display, which tests and programs that
// drive windows themselves use. The screen is a fixed 1280 by 800.

#include "Display.h"

#include <InterfaceDefs.h>

namespace BPrivate {

namespace {

class OffscreenDisplay : public Display {
public:
    // No window system stands behind it: the keyboard is what its callers say, nothing held
    // until they say otherwise.
    OffscreenDisplay() { set_modifiers(0); }

    const char* Name() const override { return "offscreen"; }
    BRect ScreenFrame() override { return BRect(0, 0, 1279, 799); }

    display_window_id CreateWindow(const DisplayWindowConfig& config) override
    {
        return RegisterWindow(config);
    }
    void DestroyWindow(display_window_id window) override { UnregisterWindow(window); }
    void SetTitle(display_window_id, const char*) override {}
    void Show(display_window_id) override {}
    void Hide(display_window_id) override {}
    void Activate(display_window_id) override {}
    void MoveTo(display_window_id, BPoint) override {}
    void ResizeTo(display_window_id, float, float) override {}

    void Present(display_window_id window, const uint8* pixels, int32 width, int32 height,
                 int32 bytesPerRow) override
    {
        KeepFrame(window, pixels, width, height, bytesPerRow);
    }
};

} // namespace

std::unique_ptr<Display> make_offscreen_display()
{
    return std::make_unique<OffscreenDisplay>();
}

} // namespace BPrivate
