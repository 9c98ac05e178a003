#pragma once

// The format in which accelerator keys are merged into labels. Empty: labels show no key.
// Otherwise the first byte places the key (kAccKeyFormatBefore: in front of the label,
// kAccKeyFormatAfter: after it) and the rest is a template in which "a" stands for the key.

#include "iap/IAPItem.h"

#include <array>

class BMenu;

inline constexpr char kAccKeyFormatBefore = 0x01;
inline constexpr char kAccKeyFormatAfter = 0x02;

// A control of the common preferences window changed.
inline constexpr uint32 kIAPControlChanged = 'ictc';

// The formats offered, in menu order; the first is the default.
// The placement bytes are written in octal: a hexadecimal escape would swallow the "a".
inline const std::array<std::string, 5> kAccKeyFormats = {
    "\002(a)",     // File(F)
    "\001a) ",     // F) File
    "\001a\u30FB", // F・File
    "\001a - ",    // F - File
    "",            // File
};

class TIAPItemAccKeyFormat : public TIAPItem {
public:
    // Holds the stored format, or the default.
    TIAPItemAccKeyFormat();
    ~TIAPItemAccKeyFormat() override;

    // A pop-up menu of the formats offered, the current (or default) one marked.
    status_t MakeConfigurationView(BView** view, bool useDefault) override;
    // Adds the choice of format to menu: its item sends 'ictc' with the format as the value,
    // and is marked when the format is the current (or default) value.
    void AddMItem(BMenu* menu, const std::string& format, bool useDefault) const;

    status_t GetValue(BMessage* message, bool useDefault) const override;
    // Takes the format over; only a message from the application that registered the item
    // rewrites the file, so that the file is written once however many applications listen.
    status_t SetValue(const BMessage& message) override;
    status_t GetString(std::string* value, bool useDefault) const override;
    // Saves the format; a failed save still changes the value in memory.
    status_t SetString(const std::string& value) override;

private:
    std::string fValue;
};
