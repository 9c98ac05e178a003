#include <Screen.h>

#include "Display.h"

BScreen::BScreen(screen_id id) : fValid(id == B_MAIN_SCREEN_ID) {}

BScreen::BScreen(BWindow*) : fValid(true) {}

BRect BScreen::Frame() const
{
    return fValid ? BPrivate::display()->ScreenFrame() : BRect();
}

color_space BScreen::ColorSpace() const
{
    return fValid ? B_RGB32 : B_NO_COLOR_SPACE;
}
