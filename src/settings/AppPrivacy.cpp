#include "settings/AppPrivacy.h"

#include "iap/InterAppPrefs.h"
#include "util/PathUtils.h"

#include <Entry.h>
#include <Path.h>

#include <utility>

TAppPrivacy::~TAppPrivacy() = default;

void TAppPrivacy::AnalyzeExePath(const char* path)
{
    BEntry entry(path, true);
    BPath absolute;
    entry.GetPath(&absolute);
    std::string full = absolute.Path() ? absolute.Path() : "";
    fExeName = extract_file_name(full);
    fExePath = extract_file_folder_path_kernel(full, 1);
}

TCadenzoAppPrivacy::~TCadenzoAppPrivacy() = default;

status_t TCadenzoAppPrivacy::UpdateAccFormat()
{
    std::string format;
    const status_t status = gIAPs->GetString("AccKeyFormat2", &format);
    if (status == 0)
        SetAccFormat(std::move(format));
    return status;
}

std::string TCadenzoAppPrivacy::AccFormat() const
{
    std::lock_guard<std::mutex> lock(fAccFormatLock);
    return fAccFormat;
}

void TCadenzoAppPrivacy::SetAccFormat(std::string format)
{
    std::lock_guard<std::mutex> lock(fAccFormatLock);
    fAccFormat = std::move(format);
}
