// Feeds arbitrary bytes to the common preferences window as records arriving at its port from
// any process of the user: what unflattens within the record's size goes to the window's view
// as the port's thread would send it ('iacr' with view archives, 'iawr', '_QRQ', 'ictc',
// '_ipc', or anything else). Whatever comes, the window must neither crash nor hang, and must
// still be deleted cleanly.

#include "iap/IAPView.h"
#include "iap/IAPWindow.h"

#include <Display.h>
#include <Message.h>
#include <Messenger.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// fontconfig keeps what it parsed of its configuration to the end of the process.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" IAP_PORT_RECORD_LSAN_SUPPRESSIONS;
}

namespace {

// Settings and ports of this run only: a request may make the window save an item file, and
// its port must not meet a real window's.
void set_up()
{
    static bool done = [] {
        char folder[] = "/tmp/fuzz-iap-XXXXXX";
        if (mkdtemp(folder) == nullptr)
            abort();
        setenv("XDG_CONFIG_HOME", folder, 1);
        setenv("XDG_RUNTIME_DIR", folder, 1);
        BPrivate::select_display("offscreen");
        return true;
    }();
    (void)done;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    set_up();
    BMessage message;
    if (message.Unflatten(reinterpret_cast<const char*>(data), size) != B_OK)
        return 0;
    auto* window = new TIAPWindow(BRect(0, 0, 200, 100));
    window->Show();
    // Waits until the view has handled it: an unanswered message is answered B_NO_REPLY
    // when it is done with.
    BMessage reply;
    BMessenger(window->View()).SendMessage(&message, &reply);
    window->Lock();
    window->Quit();
    return 0;
}
