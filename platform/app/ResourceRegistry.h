#pragma once

// How an executable's own resource blob reaches BApplication::AppResources. The resource tool
// generates a source file holding the blob and a static initializer that registers it; an
// executable built without one simply has no resources.

#include <SupportDefs.h>

class BResources;

namespace BPrivate {

// Makes data the running executable's blob. It must stay valid for the life of the process.
// An executable has one blob: a second registration is refused with B_NOT_ALLOWED, and so is
// any registration after app_resources() was first called.
status_t register_app_resources(const void* data, size_t size);

// The running executable's resources, made on first use from the registered blob: an empty,
// valid set when none was registered. Lives until the process ends.
BResources* app_resources();

} // namespace BPrivate
