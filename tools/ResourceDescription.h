#pragma once

// Compiles a resource description, the text form of the resources an executable carries, into
// a resource blob. The language is in docs/resources.md; a short example:
//
//     resource 'MIMS' 1 "BEOS:APP_SIG" { string "application/x-vnd.Maker-App" }
//     resource 'APPF' 1 "BEOS:APP_FLAGS" { int32 1 }
//     resource 'MSGG' 1 "BEOS:FILE_TYPES" { message 0 { string "types" "text/plain" } }
//     resource 'ICON' 101 "BEOS:L:STD_ICON" { file "icons/large.raw" }

#include <ResourceWriter.h>

#include <string>
#include <vector>

struct ResourceDescription {
    BPrivate::ResourceWriter writer;
    // Where `file` items with a relative name are looked for after the description's folder:
    // files made during the build live in the build tree. Set before compiling.
    std::vector<std::string> searchFolders;
    // The files that `file` items read, as opened, for the build's dependency tracking.
    std::vector<std::string> filesRead;
};

// Compiles text; sourceName labels error messages and `file` items are found relative to
// folder, then to result->searchFolders. Returns false with *error as "sourceName:line: what is
// wrong" at the first mistake.
bool compile_resource_description(const std::string& text, const std::string& sourceName,
                                  const std::string& folder, ResourceDescription* result,
                                  std::string* error);
