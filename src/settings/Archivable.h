#pragma once

// Settings records that archive themselves into a message and live as one flattened message
// in a named file of a named folder under the user's settings folder.

#include <Archivable.h>
#include <Entry.h>
#include <GraphicsDefs.h>
#include <Message.h>
#include <Rect.h>

#include <string>

class BEntry;

// The settings file fileName in the folder <user settings>/VANTOR/<folder>, which is created
// when missing. The file itself need not exist.
status_t get_settings_entry(const char* folder, const char* fileName, BEntry* entry);

class TArchivable : public BArchivable {
public:
    TArchivable() = default;
    explicit TArchivable(BMessage* archive) : BArchivable(archive) {}
    ~TArchivable() override;

    // 0, or -1 when the file cannot be read, is not a message, or lacks a field.
    int32 Load(const BEntry& entry);
    // 0 or -1. The file is replaced only by a complete new one: a failure leaves the old file.
    int32 Save(const BEntry& entry) const;

    status_t Archive(BMessage* archive, bool deep = true) const override;
    virtual status_t Unarchive(const BMessage& archive);

    static BArchivable* Instantiate(BMessage* archive);

    // Readers that leave the output as it was when the field is missing or of another type.
    status_t FindString(const BMessage& archive, const char* name, int32 index,
                        std::string* out) const;
    status_t FindString(const BMessage& archive, const char* name, std::string* out) const;
    status_t FindString(const BMessage& archive, const char* name, int32 index,
                        const char** out) const;
    status_t FindString(const BMessage& archive, const char* name, const char** out) const;
    status_t FindRGBColor(const BMessage& archive, const char* name, int32 index,
                          rgb_color* out) const;
    status_t FindRGBColor(const BMessage& archive, const char* name, rgb_color* out) const;
    status_t FindRef(const BMessage& archive, const char* name, int32 index, entry_ref* out) const;
    status_t FindRef(const BMessage& archive, const char* name, entry_ref* out) const;
    status_t FindRect(const BMessage& archive, const char* name, int32 index, BRect* out) const;
    status_t FindRect(const BMessage& archive, const char* name, BRect* out) const;
    status_t FindMessage(const BMessage& archive, const char* name, int32 index,
                         BMessage* out) const;
    status_t FindMessage(const BMessage& archive, const char* name, BMessage* out) const;
    status_t FindInt64(const BMessage& archive, const char* name, int32 index, int64* out) const;
    status_t FindInt64(const BMessage& archive, const char* name, int64* out) const;
    status_t FindInt32(const BMessage& archive, const char* name, int32 index, int32* out) const;
    status_t FindInt32(const BMessage& archive, const char* name, int32* out) const;
    status_t FindInt16(const BMessage& archive, const char* name, int32 index, int16* out) const;
    status_t FindInt16(const BMessage& archive, const char* name, int16* out) const;
    status_t FindInt8(const BMessage& archive, const char* name, int32 index, int8* out) const;
    status_t FindInt8(const BMessage& archive, const char* name, int8* out) const;
    status_t FindFloat(const BMessage& archive, const char* name, int32 index, float* out) const;
    status_t FindFloat(const BMessage& archive, const char* name, float* out) const;
    status_t FindDouble(const BMessage& archive, const char* name, int32 index, double* out) const;
    status_t FindDouble(const BMessage& archive, const char* name, double* out) const;
    status_t FindData(const BMessage& archive, const char* name, type_code type, int32 index,
                      const void** data, ssize_t* size) const;
    status_t FindData(const BMessage& archive, const char* name, type_code type, const void** data,
                      ssize_t* size) const;
    status_t FindBool(const BMessage& archive, const char* name, int32 index, bool* out) const;
    status_t FindBool(const BMessage& archive, const char* name, bool* out) const;
};

class TVANTORArchivable : public TArchivable {
public:
    TVANTORArchivable() = default;
    explicit TVANTORArchivable(BMessage* archive) : TArchivable(archive) {}
    ~TVANTORArchivable() override;

    // Holding Shift, Command, Control and Option together discards: loading then deletes
    // the file, saving writes nothing; both answer -1.
    int32 SaveByName(const char* folder, const char* fileName) const;
    int32 LoadByName(const char* folder, const char* fileName);
    int32 DeleteByName(const char* folder, const char* fileName) const;
};
