#include "settings/Archivable.h"

#include "util/PathUtils.h"
#include "util/SafeFile.h"

#include <DataIO.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <FindDirectory.h>
#include <InterfaceDefs.h>
#include <Path.h>

#include <cstring>

status_t get_settings_entry(const char* folder, const char* fileName, BEntry* entry)
{
    BPath path;
    if (find_directory(B_USER_SETTINGS_DIRECTORY, &path, true) != B_OK)
        return -1;
    path.Append("VANTOR");
    path.Append(folder);
    // A folder that cannot be made shows up when the file is opened.
    create_directory(path.Path(), 0777);
    path.Append(fileName);
    return entry->SetTo(path.Path(), false);
}

// #pragma mark - TArchivable

TArchivable::~TArchivable() = default;

int32 TArchivable::Load(const BEntry& entry)
{
    BFile file(&entry, B_READ_ONLY);
    if (file.InitCheck() != B_OK)
        return -1;
    BMessage archive;
    if (archive.Unflatten(&file) != B_OK)
        return -1;
    return Unarchive(archive) == B_OK ? 0 : -1;
}

int32 TArchivable::Save(const BEntry& entry) const
{
    BPath path;
    if (entry.GetPath(&path) != B_OK)
        return -1;
    TSafeFile file(path.Path());
    if (file.InitCheck() != B_OK)
        return -1;
    BMessage archive;
    if (Archive(&archive, true) != B_OK)
        return -1;
    if (archive.Flatten(file.File()) != B_OK)
        return -1;
    return file.Commit() == B_OK ? 0 : -1;
}

status_t TArchivable::Archive(BMessage* archive, bool deep) const
{
    status_t status = BArchivable::Archive(archive, deep);
    status |= archive->AddString("class", "TArchivable");
    return status;
}

status_t TArchivable::Unarchive(const BMessage&)
{
    return B_OK;
}

BArchivable* TArchivable::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "TArchivable"))
        return nullptr;
    return new TArchivable(archive);
}

// Every reader fills a temporary and copies it out only on success, so that a missing field
// leaves the member at its default.
#define DEFINE_READER(Name, Type)                                                                  \
    status_t TArchivable::Name(const BMessage& archive, const char* name, int32 index, Type* out)  \
        const                                                                                      \
    {                                                                                              \
        Type value{};                                                                              \
        status_t status = archive.Name(name, index, &value);                                       \
        if (status == B_OK)                                                                        \
            *out = value;                                                                          \
        return status;                                                                             \
    }                                                                                              \
    status_t TArchivable::Name(const BMessage& archive, const char* name, Type* out) const         \
    {                                                                                              \
        return Name(archive, name, 0, out);                                                        \
    }

DEFINE_READER(FindString, std::string)
DEFINE_READER(FindString, const char*)
DEFINE_READER(FindRef, entry_ref)
DEFINE_READER(FindRect, BRect)
DEFINE_READER(FindMessage, BMessage)
DEFINE_READER(FindInt64, int64)
DEFINE_READER(FindInt32, int32)
DEFINE_READER(FindInt16, int16)
DEFINE_READER(FindInt8, int8)
DEFINE_READER(FindFloat, float)
DEFINE_READER(FindDouble, double)
DEFINE_READER(FindBool, bool)

#undef DEFINE_READER

status_t TArchivable::FindRGBColor(const BMessage& archive, const char* name, int32 index,
                                   rgb_color* out) const
{
    const void* data;
    ssize_t size;
    status_t status = archive.FindData(name, B_RGB_COLOR_TYPE, index, &data, &size);
    if (status != B_OK)
        return status;
    if (size < (ssize_t)sizeof(rgb_color))
        return B_BAD_DATA;
    memcpy(out, data, sizeof(rgb_color));
    return B_OK;
}

status_t TArchivable::FindRGBColor(const BMessage& archive, const char* name, rgb_color* out) const
{
    return FindRGBColor(archive, name, 0, out);
}

status_t TArchivable::FindData(const BMessage& archive, const char* name, type_code type,
                               int32 index, const void** data, ssize_t* size) const
{
    const void* foundData;
    ssize_t foundSize;
    status_t status = archive.FindData(name, type, index, &foundData, &foundSize);
    if (status == B_OK) {
        *data = foundData;
        *size = foundSize;
    }
    return status;
}

status_t TArchivable::FindData(const BMessage& archive, const char* name, type_code type,
                               const void** data, ssize_t* size) const
{
    return FindData(archive, name, type, 0, data, size);
}

// #pragma mark - TVANTORArchivable

TVANTORArchivable::~TVANTORArchivable() = default;

// Shift, Command, Control and Option held together.
static bool discard_gesture_held()
{
    const uint32 mask = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;
    return (modifiers() & mask) == mask;
}

int32 TVANTORArchivable::SaveByName(const char* folder, const char* fileName) const
{
    BEntry entry;
    if (get_settings_entry(folder, fileName, &entry) != B_OK)
        return -1;
    if (discard_gesture_held())
        return -1;
    return Save(entry);
}

int32 TVANTORArchivable::LoadByName(const char* folder, const char* fileName)
{
    BEntry entry;
    if (get_settings_entry(folder, fileName, &entry) != B_OK)
        return -1;
    if (discard_gesture_held()) {
        entry.Remove();
        return -1;
    }
    return Load(entry);
}

int32 TVANTORArchivable::DeleteByName(const char* folder, const char* fileName) const
{
    BEntry entry;
    if (get_settings_entry(folder, fileName, &entry) != B_OK)
        return -1;
    return entry.Remove();
}
