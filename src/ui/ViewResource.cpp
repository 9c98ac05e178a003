#include "ui/ViewResource.h"

#include <Application.h>
#include <Resources.h>

status_t load_view_archive(const char* name, BMessage* archive)
{
    size_t size = 0;
    const void* flat = BApplication::AppResources()->LoadResource('ARCV', name, &size);
    if (flat == nullptr)
        return B_NAME_NOT_FOUND;
    return archive->Unflatten(static_cast<const char*>(flat), (ssize_t)size);
}
