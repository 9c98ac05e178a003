#pragma once

// Views built from the archived view trees the executable carries as 'ARCV' resources.

#include <Message.h>
#include <SupportDefs.h>

#include <memory>

// Reads the archived view tree called name from the executable's resources into archive:
// B_OK, or an error when the resource is missing or damaged.
status_t load_view_archive(const char* name, BMessage* archive);

// The view the archived tree called name makes, or null when the tree is missing, damaged or
// lacks a part the view needs (InitCheck() is not B_OK).
template <typename View>
View* view_from_resource(const char* name)
{
    BMessage archive;
    if (load_view_archive(name, &archive) != B_OK)
        return nullptr;
    auto view = std::make_unique<View>(&archive);
    return view->InitCheck() == B_OK ? view.release() : nullptr;
}
