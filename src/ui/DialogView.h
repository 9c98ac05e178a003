#pragma once

// The base of every dialog's top view: it owns the keyboard shortcuts of the controls below
// it and can make itself their target.

#include "ui/BasicView.h"

class TDialogView : public TBasicView {
public:
    // Takes the panel background colour.
    TDialogView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    // Keeps the archived colour.
    explicit TDialogView(BMessage* archive);
    ~TDialogView() override;

    // A key the window's shortcut filter redirected: Enter clicks the focused or the default
    // button, Escape the cancel button, any other key the control whose label carries it.
    virtual void ShortCutDown(int32 rawChar, int32 key);

    // 0 when an enabled, labelled control below parent took the key, -1 otherwise.
    int32 ApplyShortCut(const BView* parent, int32 rawChar, int32 key) const;

    // Makes this view the target of the controls below root (root included) that have no
    // target or aim at their window; with force, of every control.
    void SetTargetToThis(BView* root, bool force) const;
};
