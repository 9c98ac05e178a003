#include <MessageField.h>

#include <cstring>
#include <functional>

namespace BPrivate {

// A value handed in may have been found in this very field (a value added again, or put in
// the place of another); it must then be copied before the buffer moves under it.
static bool points_into(const std::vector<uint8>& buffer, const void* pointer)
{
    auto* bytes = static_cast<const uint8*>(pointer);
    return std::less_equal<const uint8*>()(buffer.data(), bytes) &&
           std::less<const uint8*>()(bytes, buffer.data() + buffer.size());
}

const uint8* MessageField::ItemAt(int32 index, size_t* size) const
{
    if (fixedSize) {
        *size = itemSize;
        return data.data() + (size_t)index * itemSize;
    }
    size_t start = index == 0 ? 0 : ends[(size_t)index - 1];
    *size = ends[(size_t)index] - start;
    return data.data() + start;
}

void MessageField::Append(const void* value, size_t size)
{
    auto* bytes = static_cast<const uint8*>(value);
    if (points_into(data, value)) {
        std::vector<uint8> copy(bytes, bytes + size);
        data.insert(data.end(), copy.begin(), copy.end());
    } else {
        data.insert(data.end(), bytes, bytes + size);
    }
    if (!fixedSize)
        ends.push_back(data.size());
}

void MessageField::ReplaceAt(int32 index, const void* value, size_t size)
{
    size_t oldSize;
    const uint8* old = ItemAt(index, &oldSize);
    size_t start = (size_t)(old - data.data());
    std::vector<uint8> copy;
    if (points_into(data, value)) {
        copy.assign(static_cast<const uint8*>(value), static_cast<const uint8*>(value) + size);
        value = copy.data();
    }
    if (size != oldSize) {
        // Only variable-size values change size; the values after this one move along.
        auto end = data.begin() + (ptrdiff_t)(start + oldSize);
        if (size > oldSize)
            data.insert(end, size - oldSize, 0);
        else
            data.erase(end - (ptrdiff_t)(oldSize - size), end);
        for (size_t i = (size_t)index; i < ends.size(); i++)
            ends[i] = ends[i] - oldSize + size;
    }
    if (size > 0)
        memmove(data.data() + start, value, size);
}

void MessageField::RemoveAt(int32 index)
{
    size_t size;
    const uint8* item = ItemAt(index, &size);
    size_t start = (size_t)(item - data.data());
    data.erase(data.begin() + (ptrdiff_t)start, data.begin() + (ptrdiff_t)(start + size));
    if (!fixedSize) {
        ends.erase(ends.begin() + index);
        for (size_t i = (size_t)index; i < ends.size(); i++)
            ends[i] -= size;
    }
}

} // namespace BPrivate
