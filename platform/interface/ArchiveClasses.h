#pragma once

// Class names in the archives of the kit's views: the most-derived class first, then the
// kit's classes from the most specific to BView and BHandler, so that instantiate_object()
// makes the nearest class it knows of an archive written by a class it does not know.

#include <SupportDefs.h>

class BMessage;

namespace BPrivate {

// Puts className right after the most-derived class name, unless it is that name.
status_t add_archived_class(BMessage* archive, const char* className);

// Makes every class of the kit known to instantiate_object(). Called when the first view or
// window is made, and by programs that unarchive views before that.
void register_interface_classes();

} // namespace BPrivate
