// Builds the archived view trees that Cadenzo's windows are made of, with the interface kit's
// own views, and writes each as a flattened message into FOLDER, named after its resource
// ("CadenzoViewRsrc"). The resource description takes them in with `file` items.
//
//     make_view_archives FOLDER

#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Entry.h>
#include <File.h>
#include <Font.h>
#include <Message.h>
#include <StringView.h>
#include <TextControl.h>
#include <View.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The main window's content: a status line over a box of sixteen channel check boxes, in two
// rows of eight.
std::unique_ptr<BView> cadenzo_view()
{
    auto root = std::make_unique<BView>(BRect(0, 0, 350, 130), "BGView", B_FOLLOW_ALL_SIDES,
                                        B_WILL_DRAW | B_FRAME_EVENTS);
    root->SetViewColor(216, 216, 216);

    auto* status = new BStringView(BRect(10, 10, 340, 30), "StrViewStatus", "");
    BFont plain(be_plain_font);
    plain.SetSize(12);
    status->SetFont(&plain);
    status->SetAlignment(B_ALIGN_LEFT);
    root->AddChild(status);

    auto* box = new BBox(BRect(10, 45, 340, 120), "BoxChMasks");
    BFont bold(be_bold_font);
    bold.SetSize(10);
    box->SetFont(&bold);
    root->AddChild(box);

    const float rowTops[] = {20, 45};
    for (float top : rowTops) {
        for (int column = 0; column < 8; column++) {
            const float left = 10 + 40 * column;
            box->AddChild(
                new BCheckBox(BRect(left, top, left + 30, top + 20), "New BCheckBox", "", nullptr));
        }
    }
    return root;
}

// The Preferences window's content: two check boxes, the seconds field beside the second,
// Cancel and OK. Labels and messages are set when the window is built.
std::unique_ptr<BView> prefs_view()
{
    auto root = std::make_unique<BView>(BRect(0, 0, 320, 115), "BGView", B_FOLLOW_ALL_SIDES,
                                        B_WILL_DRAW | B_FRAME_EVENTS);
    root->SetViewColor(216, 216, 216);
    root->AddChild(new BCheckBox(BRect(10, 10, 310, 30), "CBoxTrimHead", "", nullptr));
    root->AddChild(new BCheckBox(BRect(10, 40, 160, 60), "CBoxAddTail", "", nullptr));
    auto* tail = new BTextControl(BRect(160, 45, 310, 62), "TxtCtrlTailMargin", "", "", nullptr);
    tail->SetDivider(0);
    root->AddChild(tail);
    root->AddChild(new BButton(BRect(140, 80, 220, 102), "ButtonCancel", "", nullptr));
    root->AddChild(new BButton(BRect(230, 80, 310, 102), "ButtonOK", "", nullptr));
    return root;
}

bool write_archive(const std::string& path, const BView& view)
{
    BMessage archive;
    if (view.Archive(&archive, true) != B_OK)
        return false;
    const ssize_t size = archive.FlattenedSize();
    std::vector<char> bytes((size_t)size);
    if (size <= 0 || archive.Flatten(bytes.data(), size) != B_OK)
        return false;
    BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
    if (file.InitCheck() == B_OK && file.Write(bytes.data(), bytes.size()) == size)
        return true;
    // A half-written archive must not pass for a finished one at the next build.
    BEntry(path.c_str()).Remove();
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "Usage: make_view_archives FOLDER\n");
        return 2;
    }
    const std::pair<const char*, std::unique_ptr<BView>> trees[] = {
        {"CadenzoViewRsrc", cadenzo_view()},
        {"PrefsViewRsrc", prefs_view()},
    };
    for (const auto& [name, view] : trees) {
        const std::string path = std::string(argv[1]) + "/" + name;
        if (!write_archive(path, *view)) {
            fprintf(stderr, "make_view_archives: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
