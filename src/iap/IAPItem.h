#pragma once

// One common preference: a setting shared by every application of the maker, stored in a file
// of its own in the shared settings folder, and exchanged between the applications as a value
// message. An item knows its name, its current and default values and the application that
// registered it.
//
// The value message (GetValue, SetValue):
//   what             kIAPValueMessage ('_ipc')
//   "IAP:SrcApp"     string, the signature of the application that built the message
//   "IAP:SrcIAPItem" string, the item's name
//   <item name>      the value: bool or string, as the item defines it
// The item file <settings>/VANTOR/Shared/<item name>.arc is one flattened message with
// <item name> and "IAP:SrcApp" (the application that wrote it).

#include <Message.h>
#include <SupportDefs.h>

#include <string>

class BView;

inline constexpr uint32 kIAPValueMessage = '_ipc';
inline constexpr char kIAPSrcAppField[] = "IAP:SrcApp";
inline constexpr char kIAPSrcItemField[] = "IAP:SrcIAPItem";

class TIAPItem {
public:
    explicit TIAPItem(const std::string& name);
    virtual ~TIAPItem();

    TIAPItem(const TIAPItem&) = delete;
    TIAPItem& operator=(const TIAPItem&) = delete;

    // The control that edits the item in the common preferences window, in a container view
    // named after the item; the control's name is its accelerator key followed by the
    // catalogue key of its label, which the window turns into the label.
    virtual status_t MakeConfigurationView(BView** view, bool useDefault);
    // The operations a kind of item does not support answer -1. useDefault asks for the
    // item's default value instead of its current one.
    virtual status_t GetValue(BMessage* message, bool useDefault) const;
    virtual status_t SetValue(const BMessage& message);
    virtual status_t GetBool(bool* value, bool useDefault) const;
    virtual status_t SetBool(bool value);
    virtual status_t GetString(std::string* value, bool useDefault) const;
    virtual status_t SetString(const std::string& value);

    std::string Name() const { return fName; }
    // The signature is borrowed and must outlive the item.
    const char* AppSignatureRef() const { return fAppSignatureRef; }
    status_t SetAppSignatureRef(const char* signature);

    // Adds "IAP:SrcApp" and "IAP:SrcIAPItem".
    status_t AddDefaultInfo(BMessage* message) const;

    // The item file as a message, or the error that kept it from being read.
    status_t Load(BMessage* message) const;
    // Writes message, with "IAP:SrcApp" added, as the item file. The file is replaced only
    // by a complete new one.
    status_t Save(BMessage message) const;

    // The stored value, or the default when the file is missing, unreadable or lacks it.
    status_t LoadBool(bool* value) const;
    status_t LoadString(std::string* value) const;
    status_t SaveBool(bool value) const;
    status_t SaveString(const std::string& value) const;

private:
    const char* fAppSignatureRef = nullptr;
    const std::string fName;
};
