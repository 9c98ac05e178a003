#include "app/DroppedFiles.h"

#include "app/CadenzoView.h"
#include "util/Alerts.h"
#include "util/PathUtils.h"

#include <Directory.h>
#include <File.h>
#include <Path.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

bool is_midi_file(const std::string& path)
{
    const std::string name = lower(extract_file_name(path));
    const size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (ext == "fem")
        return false;
    if (ext == "mid" || ext == "midi" || ext == "kar" || ext == "smf")
        return true;
    // Only regular files are read: the first bytes of a pipe or a device could block.
    BEntry target(path.c_str(), true);
    if (!target.IsFile())
        return false;
    char magic[4];
    BFile file(path.c_str(), B_READ_ONLY);
    return file.InitCheck() == B_OK && file.Read(magic, sizeof(magic)) == (ssize_t)sizeof(magic) &&
           memcmp(magic, "MThd", 4) == 0;
}

void collect_midi_files(const std::string& folder, std::vector<std::string>* paths)
{
    BDirectory directory(folder.c_str());
    if (directory.InitCheck() != B_OK)
        return;
    BEntry entry;
    while (directory.GetNextEntry(&entry, false) == B_OK) {
        BPath path;
        if (entry.GetPath(&path) != B_OK)
            continue;
        if (entry.IsDirectory())
            collect_midi_files(path.Path(), paths);
        else if (is_midi_file(path.Path()))
            paths->push_back(path.Path());
    }
}

} // namespace

std::vector<entry_ref> expand_folders(const std::vector<entry_ref>& refs)
{
    std::vector<entry_ref> expanded;
    for (const entry_ref& ref : refs) {
        BEntry entry(&ref, false);
        if (!entry.IsDirectory()) {
            expanded.push_back(ref);
            continue;
        }
        std::vector<std::string> paths;
        collect_midi_files(ref.Path(), &paths);
        if (paths.empty()) {
            expanded.push_back(ref);
            continue;
        }
        std::sort(paths.begin(), paths.end());
        for (const std::string& path : paths) {
            entry_ref file;
            if (get_ref_for_path(path.c_str(), &file) == B_OK)
                expanded.push_back(file);
        }
    }
    return expanded;
}

int32 convert_dropped_entry(const TCadenzoView& view, const entry_ref& ref)
{
    if (!BEntry(&ref, false).IsDirectory())
        return view.Convert(ref);
    show_alert3(alert_caption(),
                replace_all(locale_text("@Err_No_MIDI_Files_In_Folder %FolderPath%@"),
                            "%FolderPath%", ref.Path()),
                locale_text("Understand"), "", "", -1, B_WARNING_ALERT);
    return -1;
}
