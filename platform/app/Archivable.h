#pragma once

// An archivable object can write itself into a message and be made again from one. An archive
// names its classes in the string field "class", most-derived first; instantiate_object()
// makes an object from the first of those names that has a registered instantiation function.

#include <SupportDefs.h>

class BMessage;

class BArchivable {
public:
    BArchivable();
    BArchivable(BMessage* from);
    virtual ~BArchivable();

    // Adds the name of the object's most-derived class to "class". A base class that can
    // stand in for the classes derived from it appends its own name after calling its base's
    // Archive(), so that an archive of a class this program does not know still makes an
    // object of the nearest class it does.
    virtual status_t Archive(BMessage* into, bool deep = true) const;
    // Nothing can be made of a bare BArchivable: always nullptr.
    static BArchivable* Instantiate(BMessage* from);

    virtual status_t Perform(perform_code d, void* arg);
};

typedef BArchivable* (*instantiation_func)(BMessage*);

// Whether one of the values of "class" in the archive is className.
bool validate_instantiation(BMessage* from, const char* className);
// nullptr when no function is registered under the name.
instantiation_func find_instantiation_func(const char* className);
// Makes an object with the function of the first class named in the archive that has one;
// nullptr when none has, or when that function fails.
BArchivable* instantiate_object(BMessage* from);

namespace BPrivate {

// Makes a class known to instantiate_object(). Class names are written as Archive() writes
// them: fully qualified C++ names ("ns::TPrefs"), so that classes of the same name in
// different namespaces stay apart. Registering a name again replaces its function; a null
// function removes it. Safe from any thread, static initialisers included. A registration in
// a static initialiser only runs if the linker keeps its object file, so a class in a static
// library is better registered explicitly.
void register_instantiation_func(const char* className, instantiation_func function);

} // namespace BPrivate
