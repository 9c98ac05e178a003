#include <Archivable.h>
#include <View.h>

#include "ArchiveClasses.h"

#include <mutex>

namespace BPrivate {

void register_interface_classes()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        register_instantiation_func("BView", BView::Instantiate);
    });
}

} // namespace BPrivate
