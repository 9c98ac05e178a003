#pragma once

// The screen windows are shown on. There is one: the display's.

#include <GraphicsDefs.h>
#include <Rect.h>

class BWindow;

class BScreen {
public:
    explicit BScreen(screen_id id = B_MAIN_SCREEN_ID);
    // The screen a window is on: the main one.
    explicit BScreen(BWindow* window);

    bool IsValid() const { return fValid; }
    // In BRect units, left top at 0, 0.
    BRect Frame() const;
    color_space ColorSpace() const;
    screen_id ID() const { return B_MAIN_SCREEN_ID; }

private:
    bool fValid;
};
