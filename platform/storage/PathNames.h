#pragma once

// Path arithmetic shared by the storage kit. Everything here is lexical: nothing asks the file
// system, so entries that do not exist yet can be named, moved towards and created.

#include <SupportDefs.h>

#include <string>
#include <string_view>

namespace BPrivate {

// Turns path into an absolute path without ".", ".." or repeated "/" and without a trailing
// "/" (except for the root itself). A relative path is taken from the current folder.
status_t make_absolute_path(std::string_view path, std::string& result);

// Folder and leaf of an absolute, normalised path; the root has the folder "/" and no leaf.
std::string parent_path(std::string_view absolutePath);
std::string_view leaf_name(std::string_view absolutePath);

// folder + "/" + leaf, without doubling the "/" after the root.
std::string join_path(std::string_view folder, std::string_view leaf);

} // namespace BPrivate
