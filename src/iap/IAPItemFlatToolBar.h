#pragma once

// Whether tool bars are drawn flat.

#include "iap/IAPItem.h"

class TIAPItemFlatToolBar : public TIAPItem {
public:
    // Holds the stored switch, or true.
    TIAPItemFlatToolBar();
    ~TIAPItemFlatToolBar() override;

    // A check box showing the current (or default) switch.
    status_t MakeConfigurationView(BView** view, bool useDefault) override;

    status_t GetValue(BMessage* message, bool useDefault) const override;
    // Takes the switch from its field or, failing that, from the check box of an archived
    // configuration view, and saves it whoever sent the message.
    status_t SetValue(const BMessage& message) override;
    status_t GetBool(bool* value, bool useDefault) const override;
    // Changes the switch in memory only.
    status_t SetBool(bool value) override;

private:
    bool fValue;
};
