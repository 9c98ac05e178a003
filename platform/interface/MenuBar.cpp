#include <MenuBar.h>

#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "MenuTracker.h"

#include <cmath>

namespace {

float bar_height()
{
    font_height metrics;
    be_plain_font->GetHeight(&metrics);
    // Frame units: one less than the pixels, which are the text and 3 pixels above and below.
    return std::ceil(metrics.ascent + metrics.descent + metrics.leading) + 6 - 1;
}

} // namespace

BMenuBar::BMenuBar(BRect frame, const char* name, uint32 resizingMode, menu_layout layout,
                   bool resizeToFit)
    : BMenu(frame, name, resizingMode, B_WILL_DRAW | B_FRAME_EVENTS, layout),
      fResizeToFit(resizeToFit)
{
    if (fResizeToFit)
        ResizeTo(Frame().Width(), bar_height());
    _Init();
}

BMenuBar::BMenuBar(BMessage* archive) : BMenu(archive)
{
    bool flag;
    if (archive->FindBool("_rsize_to_fit", &flag) == B_OK)
        fResizeToFit = flag;
    _Init();
}

void BMenuBar::_Init()
{
    fTracker = std::make_unique<BPrivate::MenuTracker>(this);
    fTracker->onArrow = [this](int32 direction) {
        const int32 count = CountItems();
        for (int32 step = 1; step <= count; step++) {
            const int32 index = ((fOpenIndex + direction * step) % count + count) % count;
            BMenuItem* item = ItemAt(index);
            if (item->Submenu() != nullptr && item->IsEnabled()) {
                _OpenTitle(index, true);
                return;
            }
        }
    };
    fTracker->onClosed = [this] {
        fOpenIndex = -1;
        _Select(-1);
    };
}

BMenuBar::~BMenuBar()
{
    // The tracker closes the open menu before the items go.
    fTracker.reset();
}

BArchivable* BMenuBar::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BMenuBar"))
        return nullptr;
    return new BMenuBar(archive);
}

status_t BMenuBar::Archive(BMessage* into, bool deep) const
{
    status_t status = BMenu::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BMenuBar");
    if (status == B_OK)
        status = into->AddBool("_rsize_to_fit", fResizeToFit);
    return status;
}

void BMenuBar::AttachedToWindow()
{
    if (fResizeToFit) {
        const float width = Parent() != nullptr ? Parent()->Bounds().Width()
                                                : Window()->Bounds().Width();
        ResizeTo(width - Frame().left, bar_height());
    }
    if (Window()->KeyMenuBar() == nullptr)
        Window()->SetKeyMenuBar(this);
    fTracker->Attach();
    BMenu::AttachedToWindow();
}

void BMenuBar::DetachedFromWindow()
{
    fTracker->Detach();
    fTracking = false;
    if (Window()->KeyMenuBar() == this)
        Window()->SetKeyMenuBar(nullptr);
    BMenu::DetachedFromWindow();
}

void BMenuBar::_OpenTitle(int32 index, bool selectFirst)
{
    BMenuItem* item = ItemAt(index);
    if (item == nullptr || item->Submenu() == nullptr || !item->IsEnabled()) {
        fTracker->Close();
        return;
    }
    BMenu* menu = item->Submenu();
    const BPoint where = ConvertToScreen(BPoint(item->Frame().left, Bounds().bottom + 1));
    if (fTracker->Open(menu, where, selectFirst ? menu->_NextSelectable(-1, 1) : -1)) {
        fOpenIndex = index;
        _Select(index);
    }
}

void BMenuBar::MouseDown(BPoint where)
{
    const int32 index = _ItemIndexAt(where);
    if (index < 0 || index == fOpenIndex) {
        // The open menu's title again, or no title: a click that closes.
        fTracker->Close();
        return;
    }
    _OpenTitle(index, false);
    if (fTracker->IsOpen()) {
        fTracking = true;
        SetMouseEventMask(B_POINTER_EVENTS);
    }
}

void BMenuBar::MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage)
{
    if (!fTracking) {
        // With a menu open, the pointer passing over another title opens that one.
        const int32 index = _ItemIndexAt(where);
        if (fTracker->IsOpen() && transit != B_EXITED_VIEW && index >= 0 &&
            index != fOpenIndex)
            _OpenTitle(index, false);
        BView::MouseMoved(where, transit, dragMessage);
        return;
    }
    if (Bounds().Contains(where)) {
        const int32 index = _ItemIndexAt(where);
        if (index >= 0 && index != fOpenIndex)
            _OpenTitle(index, false);
        return;
    }
    fTracker->PointerMoved(ConvertToScreen(where));
}

void BMenuBar::MouseUp(BPoint where)
{
    if (!fTracking)
        return;
    fTracking = false;
    if (fTracker->PointerReleased(ConvertToScreen(where)))
        return;
    // Let go on the bar: the menu stays open for a second click. Anywhere else after
    // dragging: nothing chosen.
    if (!Bounds().Contains(where))
        fTracker->Close();
}

void BMenuBar::MessageReceived(BMessage* message)
{
    BMenu* menu = nullptr;
    int32 index = -1;
    if (fTracker->TakeChoice(message, &menu, &index)) {
        if (menu != nullptr)
            menu->_ItemChosen(index);
        return;
    }
    BMenu::MessageReceived(message);
}
