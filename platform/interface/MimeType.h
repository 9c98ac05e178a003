#pragma once

// A MIME type ("audio/midi", "application/x-vnd.Maker-App") and what the system knows of it.
// There is no system-wide type database here: the types the process knows are the running
// executable's own signature, whose icons are resources of the executable ('ICON'
// "BEOS:L:STD_ICON", 'MICN' "BEOS:M:STD_ICON", palette indices row by row), as the original
// system installed them from the application when it was first run.

#include <StorageDefs.h>
#include <SupportDefs.h>

#include <string>

#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#endif

class BBitmap;

enum icon_size {
    B_MINI_ICON = 16,
    B_LARGE_ICON = 32,
};

class BMimeType {
public:
    BMimeType() = default;
    explicit BMimeType(const char* type);
    virtual ~BMimeType();

    BMimeType(const BMimeType&) = delete;
    BMimeType& operator=(const BMimeType&) = delete;

    // B_BAD_VALUE, and an unset type, for anything that is not "supertype[/subtype]" of MIME
    // token characters within B_MIME_TYPE_LENGTH.
    status_t SetTo(const char* type);
    void Unset();
    status_t InitCheck() const { return fStatus; }
    // nullptr while unset.
    const char* Type() const { return fStatus == B_OK ? fType.c_str() : nullptr; }
    bool IsValid() const { return fStatus == B_OK; }
    static bool IsValid(const char* type);
    bool IsSupertypeOnly() const;
    bool operator==(const char* type) const;

    // Copies the type's icon of the given size into icon, a B_CMAP8 bitmap of exactly that
    // many pixels square (B_BAD_VALUE for any other). B_ENTRY_NOT_FOUND when the type has
    // no such icon: the bitmap is then left as it was.
    status_t GetIcon(BBitmap* icon, icon_size which) const;

private:
    std::string fType;
    status_t fStatus = B_NO_INIT;
};
