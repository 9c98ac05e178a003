#include "util/FileUtils.h"

#include "util/PathUtils.h"

#include <AppDefs.h>
#include <Application.h>
#include <Bitmap.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <MimeType.h>
#include <Node.h>
#include <Path.h>

#include <cstring>
#include <vector>

// The data are copied by the kit, never by a shell command: a path holding a quote, "$" or
// a backquote would otherwise change the command, or run one of its own.
static status_t copy_data(BFile& source, BFile& target)
{
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t count = source.Read(buffer.data(), buffer.size());
        if (count < 0)
            return -1;
        if (count == 0)
            return 0;
        if (target.Write(buffer.data(), (size_t)count) != count)
            return -1;
    }
}

static bool same_node(const BNode& a, const BNode& b)
{
    struct stat first;
    struct stat second;
    return a.GetStat(&first) == B_OK && b.GetStat(&second) == B_OK &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

static void copy_attributes(BNode& source, BNode& target)
{
    char name[B_ATTR_NAME_LENGTH + 1];
    source.RewindAttrs();
    while (source.GetNextAttrName(name) == B_OK) {
        attr_info info;
        if (source.GetAttrInfo(name, &info) != B_OK)
            continue;
        std::vector<char> value((size_t)info.size);
        ssize_t read = source.ReadAttr(name, info.type, 0, value.data(), value.size());
        if (read >= 0)
            target.WriteAttr(name, info.type, 0, value.data(), (size_t)read);
    }
}

status_t copy_file(const char* source, const char* destination)
{
    if (source == nullptr || destination == nullptr)
        return -1;
    BFile sourceFile(source, B_READ_ONLY);
    if (sourceFile.InitCheck() != B_OK)
        return -1;

    std::string target = destination;
    if (BEntry(destination, true).IsDirectory()) {
        if (target.empty() || target.back() != '/')
            target += "/";
        target += extract_file_name(source);
    }
    if (target.size() > kMaxCopyTargetLength)
        return -1;

    // Opened without emptying it first: copying a file onto itself would otherwise erase it.
    BFile targetFile(target.c_str(), B_READ_WRITE | B_CREATE_FILE);
    if (targetFile.InitCheck() != B_OK || same_node(sourceFile, targetFile) ||
        targetFile.SetSize(0) != B_OK || copy_data(sourceFile, targetFile) != 0)
        return -1;
    copy_attributes(sourceFile, targetFile);
    return 0;
}

status_t get_files(const std::string& folder, std::list<std::string>* list, bool recursive)
{
    BDirectory directory(folder.c_str());
    if (list == nullptr || directory.InitCheck() != B_OK)
        return -1;
    list->push_back(folder.empty() || folder.back() != '/' ? folder + "/" : folder);

    BEntry entry;
    while (directory.GetNextEntry(&entry, false) == B_OK) {
        BPath path;
        if (entry.GetPath(&path) != B_OK)
            continue;
        if (entry.IsDirectory()) {
            if (recursive && get_files(path.Path(), list, true) != 0)
                return -1;
        } else if (entry.IsSymLink()) {
            // Listed, never followed: a link back up the tree cannot make the walk loop.
            if (!BEntry(path.Path(), true).IsDirectory())
                list->push_back(path.Path());
            else if (recursive)
                list->push_back(std::string(path.Path()) + "/");
        } else {
            list->push_back(path.Path());
        }
    }
    return 0;
}

static BBitmap* app_icon(const BMimeType& type, icon_size which)
{
    auto* icon = new BBitmap(BRect(0, 0, which - 1, which - 1), B_CMAP8);
    if (icon->IsValid()) {
        memset(icon->Bits(), B_TRANSPARENT_MAGIC_CMAP8, (size_t)icon->BitsLength());
        type.GetIcon(icon, which);
    }
    return icon;
}

status_t get_icons(BBitmap** large, BBitmap** mini)
{
    app_info info;
    BMimeType type;
    if (be_app == nullptr || be_app->GetAppInfo(&info) != B_OK ||
        type.SetTo(info.signature) != B_OK)
        throw status_t{0};
    if (large != nullptr)
        *large = app_icon(type, B_LARGE_ICON);
    if (mini != nullptr)
        *mini = app_icon(type, B_MINI_ICON);
    return 0;
}
