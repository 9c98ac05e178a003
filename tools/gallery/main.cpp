// The gallery of the interface kit. Shows its window; every file dropped on the drop zone is
// named on standard output ("dropped: PATH"). With --screenshot FILE it saves the window's
// first complete frame as a PNG and quits. --offscreen runs it without a window system.

#include "GalleryWindow.h"

#include <Application.h>
#include <Display.h>

#include "WindowPrivate.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class GalleryApp : public BApplication {
public:
    explicit GalleryApp(std::string screenshot)
        : BApplication("application/x-vnd.be-gallery"), fScreenshot(std::move(screenshot))
    {
    }

    void ReadyToRun() override
    {
        fWindow = new GalleryWindow();
        fWindow->SetDropHook([](const std::string& path) {
            printf("dropped: %s\n", path.c_str());
            fflush(stdout);
        });
        fWindow->Show();
        if (!fScreenshot.empty()) {
            PostMessage('shot');
        }
    }

    void MessageReceived(BMessage* message) override
    {
        if (message->what != 'shot') {
            BApplication::MessageReceived(message);
            return;
        }
        BMessage reply;
        BMessenger window(nullptr, fWindow);
        window.SendMessage('sYnC', &reply);
        window.SendMessage('sYnC', &reply);
        BPrivate::DisplayFrame frame;
        const bool saved =
            BPrivate::display()->CopyFrame(BPrivate::display_window_of(fWindow), frame) &&
            frame.WritePNG(fScreenshot.c_str()) == B_OK;
        if (!saved) {
            fprintf(stderr, "gallery: cannot save %s\n", fScreenshot.c_str());
            fStatus = 1;
        }
        PostMessage(B_QUIT_REQUESTED);
    }

    int Status() const { return fStatus; }

private:
    std::string fScreenshot;
    GalleryWindow* fWindow = nullptr;
    int fStatus = 0;
};

} // namespace

int main(int argc, char** argv)
{
    std::string screenshot;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (strcmp(argv[i], "--offscreen") != 0) {
            fprintf(stderr, "usage: gallery [--offscreen] [--screenshot FILE]\n");
            return 2;
        }
    }
    GalleryApp application(screenshot);
    application.Run();
    return application.Status();
}
