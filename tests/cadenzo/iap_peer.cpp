// Another application of the maker, for the common preferences tests: it registers the
// accelerator format, and on the test's word (a line on standard input) opens the common
// preferences window, asks it to close, or quits. It reports on standard output, one line
// each: "ready", "shown <1 when it made the window, else 0>", every value message it receives
// ("ipc <item> <value>"), and "closed <status>".
//
//   iap_peer SIGNATURE

#include "iap/IAPItemAccKeyFormat.h"
#include "iap/InterAppPrefs.h"

#include <Application.h>
#include <Window.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

constexpr uint32 kShow = 'shw ';
constexpr uint32 kClose = 'cls ';

void report(const std::string& line)
{
    printf("%s\n", line.c_str());
    fflush(stdout);
}

class Peer : public BApplication {
public:
    explicit Peer(const char* signature) : BApplication(signature) {}

    void ReadyToRun() override
    {
        report("ready");
        // The test's words arrive on standard input; its end quits.
        std::thread([] {
            std::string word;
            while (std::getline(std::cin, word)) {
                if (word == "show")
                    be_app_messenger.SendMessage(kShow);
                else if (word == "close")
                    be_app_messenger.SendMessage(kClose);
                else if (word == "quit")
                    break;
            }
            be_app_messenger.SendMessage(B_QUIT_REQUESTED);
        }).detach();
    }

    void MessageReceived(BMessage* message) override
    {
        switch (message->what) {
        case kShow:
            gIAPs->ShowWindow(BRect(400, 100, 600, 200));
            report(std::string("shown ") + (gIAPs->OwnWindow() != nullptr ? "1" : "0"));
            break;
        case kClose:
            report("closed " + std::to_string(gIAPs->CloseWindow(false)));
            break;
        case kIAPValueMessage: {
            const char* item = "";
            std::string value;
            message->FindString(kIAPSrcItemField, &item);
            message->FindString(item, &value);
            gIAPs->SetValue(*message);
            report(std::string("ipc ") + item + " " + value);
            break;
        }
        default:
            BApplication::MessageReceived(message);
            break;
        }
    }

    void Quit() override
    {
        gIAPs->QuitOwnWindow();
        BApplication::Quit();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    gIAPs->SetAppSignatureRef(argv[1]);
    gIAPs->AddItem(new TIAPItemAccKeyFormat);
    Peer peer(argv[1]);
    peer.Run();
    return 0;
}
