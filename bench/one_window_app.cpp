// The smallest real program of the kit: an application that opens one 350 x 150 window with
// a grey panel and a line of text, as a program's main window would. window_start measures
// how long it takes from starting this process to seeing the window's first frame.

#include <Application.h>
#include <View.h>
#include <Window.h>

namespace {

class PanelView : public BView {
public:
    explicit PanelView(BRect frame) : BView(frame, "panel", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
    {
        SetViewColor(216, 216, 216);
    }
    void Draw(BRect) override
    {
        SetHighColor(0, 0, 0);
        DrawString("Drop files here.", BPoint(10, 24));
        SetHighColor(152, 152, 152);
        StrokeRect(BRect(10, 45, 340, 140));
    }
};

class OneWindowApp : public BApplication {
public:
    OneWindowApp() : BApplication("application/x-vnd.bench-one-window") {}
    void ReadyToRun() override
    {
        auto* window = new BWindow(BRect(100, 100, 449, 249), "One Window", B_TITLED_WINDOW,
                                   B_NOT_RESIZABLE | B_ASYNCHRONOUS_CONTROLS);
        window->AddChild(new PanelView(window->Bounds()));
        window->Show();
    }
};

} // namespace

int main()
{
    OneWindowApp application;
    application.Run();
    return 0;
}
