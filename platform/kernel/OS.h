#pragma once

// Kernel services: memory areas.

#include <SupportDefs.h>

typedef int32 area_id;

#define B_PAGE_SIZE 4096

// Where an area may be placed.
enum {
    B_ANY_ADDRESS = 0,
};

// How an area's memory is committed: B_NO_LOCK and B_LAZY_LOCK as it is first touched,
// B_FULL_LOCK all at once when the area is created, which is much cheaper per page than
// taking each page at its first touch.
enum {
    B_NO_LOCK = 0,
    B_LAZY_LOCK = 1,
    B_FULL_LOCK = 2,
};

enum {
    B_READ_AREA = 1,
    B_WRITE_AREA = 2,
};

// Creates an area of size bytes (a multiple of B_PAGE_SIZE) and stores its address in
// *address. Areas of 2 MB or more start on a 2 MB boundary. Returns the area's id, or an
// error.
area_id create_area(const char* name, void** address, uint32 addressSpec, size_t size,
                    uint32 lock, uint32 protection);
status_t delete_area(area_id area);
