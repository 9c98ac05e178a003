#pragma once

// entry_ref names an entry of the file system by the path of its folder and its leaf name;
// the entry itself need not exist. BEntry is an entry one can ask about, move and remove.

#include <SupportDefs.h>

#include <string>

struct entry_ref {
    entry_ref() = default;
    entry_ref(const char* folderPath, const char* leafName)
        : directory(folderPath ? folderPath : ""), name(leafName ? leafName : "")
    {
    }

    status_t set_name(const char* leafName)
    {
        name = leafName ? leafName : "";
        return B_OK;
    }

    // The absolute path of the entry: folder, "/", leaf. Empty for an unset ref.
    std::string Path() const;

    bool operator==(const entry_ref& other) const = default;

    std::string directory; // absolute path of the folder, without a trailing "/"
    std::string name;      // the leaf name
};
