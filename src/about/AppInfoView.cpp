#include "about/AppInfoView.h"

#include "app/AppConstants.h"
#include "ui/BasicWindow.h"
#include "util/Alerts.h"
#include "util/FileUtils.h"
#include "util/SpyFilter.h"

#include <Bitmap.h>
#include <Box.h>
#include <Font.h>
#include <StringView.h>
#include <Window.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kWidth = 320;
constexpr float kHeight = 198;
constexpr uint32 kChildResizing = B_FOLLOW_LEFT | B_FOLLOW_TOP;
constexpr uint32 kSeparatorFlags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP;
const BPoint kIconPlace(10, 10);
// The lines are 12 pixels high: a size whose descenders fit in them.
constexpr float kTextSize = 10;

BStringView* centred_text(BRect frame, const char* name)
{
    auto* view = new BStringView(frame, name, "", kChildResizing, B_WILL_DRAW);
    view->SetAlignment(B_ALIGN_CENTER);
    BFont font(be_plain_font);
    font.SetSize(kTextSize);
    view->SetFont(&font);
    return view;
}

// Shows text, widening the view about its centre, within the information view, when a
// translation is longer than the line was made for.
void set_centred_text(BStringView* view, const std::string& text)
{
    view->SetText(text.c_str());
    const float needed = std::ceil(view->StringWidth(text.c_str())) + 2;
    const BRect frame = view->Frame();
    if (needed <= frame.Width())
        return;
    const float centre = (frame.left + frame.right) / 2;
    const float left = std::max(0.0f, centre - needed / 2);
    const float right = std::min(kWidth, left + needed);
    view->MoveTo(left, frame.top);
    view->ResizeTo(right - left, frame.Height());
}

// Runs update with the view's window locked, when it has one; -1 when the lock fails.
template <typename Update>
status_t locked(BView* view, Update update)
{
    BWindow* window = view->Window();
    if (window != nullptr && !window->Lock())
        return -1;
    update();
    if (window != nullptr)
        window->Unlock();
    return 0;
}

} // namespace

TAppInfoView::TAppInfoView(BRect frame) : TDialogView(frame, "AppInfoView", 0, B_WILL_DRAW)
{
    ResizeTo(kWidth, kHeight);

    AddChild(fStrViewAppName = centred_text(BRect(50, 20, 230, 32), "StrViewAppName"));
    AddChild(fStrViewAppVer = centred_text(BRect(240, 20, 310, 32), "StrViewAppVer"));
    AddChild(fStrViewCright = centred_text(BRect(10, 50, 310, 62), "StrViewCright"));
    AddChild(fStrViewTranslator = centred_text(BRect(10, 80, 310, 92), "StrViewTranslator"));
    AddChild(fBoxSep1 = new BBox(BRect(0, 105, 320, 108), "BoxSep1", kChildResizing,
                                 kSeparatorFlags, B_FANCY_BORDER));
    AddChild(fBoxSep2 = new BBox(BRect(0, 195, 320, 198), "BoxSep2", kChildResizing,
                                 kSeparatorFlags, B_FANCY_BORDER));

    // The icon's transparent pixels let the panel colour through.
    SetDrawingMode(B_OP_ALPHA);
    SetBlendingMode(B_PIXEL_ALPHA, B_ALPHA_OVERLAY);

    // Without the application's type there is no icon: the box then shows none rather than
    // letting the exception end the program.
    try {
        get_icons(&fIcon, nullptr);
    } catch (status_t) {
        fIcon = nullptr;
    }
}

TAppInfoView::~TAppInfoView()
{
    delete fIcon;
}

void TAppInfoView::AttachedToWindow()
{
    TDialogView::AttachedToWindow();
    Window()->AddCommonFilter(new TSpyFilter(kLanguageChangedMessage, BMessenger(this)));
}

void TAppInfoView::Draw(BRect)
{
    if (fIcon != nullptr)
        DrawBitmap(fIcon, kIconPlace);
}

void TAppInfoView::LanguageChanged()
{
    TDialogView::LanguageChanged();
    SetAppInfo();
    SetTranslatorInfo();
}

status_t TAppInfoView::SetAppInfo(const char* name, const char* version, const char* notice)
{
    fAppName = name;
    fAppVer = version;
    fCright = notice;
    return SetAppInfo();
}

status_t TAppInfoView::SetAppInfo()
{
    return locked(this, [this] {
        set_centred_text(fStrViewAppName, locale_text(fAppName.c_str()));
        set_centred_text(fStrViewAppVer, locale_text(fAppVer.c_str()));
        set_centred_text(fStrViewCright,
                         replace_all(fCright, "%AppAuthor%", locale_text(gAppAuthorEnUs)));
    });
}

status_t TAppInfoView::SetTranslatorInfo(const char* format)
{
    fTranslatorFormat = format;
    return SetTranslatorInfo();
}

status_t TAppInfoView::SetTranslatorInfo()
{
    return locked(this, [this] {
        const std::string translator = locale_text_with_default("$TranslatorName$", "VANTOR");
        const std::string language = locale_text_with_default("$LangNameInNative$", "English");
        std::string text = locale_text(fTranslatorFormat.c_str());
        text = replace_all(text, "%LangNameInNative%", language);
        text = replace_all(text, "%TranslatorName%", translator);
        set_centred_text(fStrViewTranslator, text);
    });
}
