#pragma once

// How BMessage keeps one named field. Private to the application kit: the message and its
// flattening code share it, nothing else should include it.

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace BPrivate {

// Every value of a field has the field's type. The values sit back to back in `data` in the
// encoding they have when flattened, so that flattening a field is a copy, and FindData() can
// hand out a pointer that stays valid until the field changes.
struct MessageField {
    std::string name;
    type_code type = 0;
    bool fixedSize = true;
    size_t itemSize = 0;      // fixed-size fields: the size of every value, never 0
    std::vector<uint8> data;  // the values, back to back
    std::vector<size_t> ends; // variable-size fields: where each value ends in data

    int32 CountItems() const { return (int32)(fixedSize ? data.size() / itemSize : ends.size()); }

    const uint8* ItemAt(int32 index, size_t* size) const;
    void Append(const void* value, size_t size);
    void ReplaceAt(int32 index, const void* value, size_t size);
    void RemoveAt(int32 index);
};

} // namespace BPrivate
