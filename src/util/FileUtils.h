#pragma once

// File and icon helpers of the common library: copying a file with its attributes, listing a
// folder tree, and the running application's icons.

#include <SupportDefs.h>

#include <list>
#include <string>

class BBitmap;

// The longest target path copy_file accepts, in bytes.
inline constexpr size_t kMaxCopyTargetLength = 255;

// Copies the data and the attributes of the file source to destination: a file path (an
// existing file is overwritten) or a folder (the copy keeps the source's name). 0, or -1 when
// the source cannot be read, the target path is longer than kMaxCopyTargetLength, the target
// is the source itself, or the data cannot be written. Copying an attribute that the target's
// file system cannot keep does not fail the copy.
status_t copy_file(const char* source, const char* destination);

// Appends to list the folder's path with a final "/", then its entries' paths, in the order
// the folder gives them: files and links to files as they are; subfolders (with their own
// "/" line first, then their contents) and links to folders (with a final "/", never
// followed) only when recursive. -1 when a folder cannot be opened, at any depth; the lines
// appended before stay.
status_t get_files(const std::string& folder, std::list<std::string>* list, bool recursive);

// Stores in *large and *mini (either may be null) new B_CMAP8 bitmaps of 32 and 16 pixels
// square holding the running application's icons, owned by the caller; a missing icon leaves
// its bitmap transparent. Throws a status_t of value 0 when the application's type cannot be
// had (no application, or no valid signature). Returns 0.
status_t get_icons(BBitmap** large, BBitmap** mini);
