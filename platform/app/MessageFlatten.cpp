// The flattened form of a message, as docs/message-format.md describes it. Reading treats the
// bytes as hostile: they come from settings files and from other processes.

#include <Message.h>

#include <DataIO.h>
#include <Point.h>
#include <Rect.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

// Values are kept in memory in their flattened encoding so that flattening is a copy; that
// encoding is little-endian, as is every machine this library is built for.
static_assert(std::endian::native == std::endian::little,
              "message values are stored in their little-endian flattened form");
static_assert(sizeof(BRect) == 16 && sizeof(BPoint) == 8);

namespace {

const uint8 kMagic[4] = {0x89, 'B', 'M', 'F'};
const uint16 kVersion = 1;
const size_t kHeaderSize = 20;
// type, count, flags and name length; the name and its NUL follow
const size_t kFieldHeaderSize = 10;
// with a one-byte name, its NUL, and at least four bytes of values
const size_t kSmallestField = kFieldHeaderSize + 2 + 4;
const uint8 kFixedSizeFlag = 0x01;
// Streams are read in pieces of this size, so that a header claiming a large message costs
// memory only as the bytes actually arrive.
const size_t kStreamChunk = 64 * 1024;

uint8* put16(uint8* out, uint16 value)
{
    out[0] = (uint8)value;
    out[1] = (uint8)(value >> 8);
    return out + 2;
}

uint8* put32(uint8* out, uint32 value)
{
    for (int i = 0; i < 4; i++)
        out[i] = (uint8)(value >> (8 * i));
    return out + 4;
}

uint8* put_bytes(uint8* out, const void* bytes, size_t size)
{
    if (size > 0)
        memcpy(out, bytes, size);
    return out + size;
}

uint16 get16(const uint8* in)
{
    return (uint16)(in[0] | in[1] << 8);
}

uint32 get32(const uint8* in)
{
    return (uint32)in[0] | (uint32)in[1] << 8 | (uint32)in[2] << 16 | (uint32)in[3] << 24;
}

bool is_variable_size_type(type_code type)
{
    return type == B_STRING_TYPE || type == B_REF_TYPE || type == B_MESSAGE_TYPE;
}

// Reads until size bytes have arrived or the stream ends; returns how many arrived.
ssize_t read_fully(BDataIO* stream, uint8* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t result = stream->Read(buffer + done, size - done);
        if (result < 0)
            return result;
        if (result == 0)
            break;
        done += (size_t)result;
    }
    return (ssize_t)done;
}

// Reads the bytes of one message: its header, then as many bytes as the header claims, in
// pieces, so that memory grows only with the bytes that actually arrive.
status_t read_message(BDataIO* stream, std::vector<uint8>* buffer)
{
    uint8 header[kHeaderSize];
    ssize_t result = read_fully(stream, header, sizeof(header));
    if (result < 0)
        return (status_t)result;
    if ((size_t)result < sizeof(kMagic) || memcmp(header, kMagic, sizeof(kMagic)) != 0)
        return B_NOT_A_MESSAGE;
    size_t size = get32(header + 8);
    if ((size_t)result < sizeof(header) || size < kHeaderSize ||
        size > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_DATA;

    try {
        buffer->assign(header, header + sizeof(header));
        while (buffer->size() < size) {
            size_t start = buffer->size();
            size_t chunk = std::min(size - start, kStreamChunk);
            buffer->resize(start + chunk);
            result = read_fully(stream, buffer->data() + start, chunk);
            if (result < 0)
                return (status_t)result;
            if ((size_t)result < chunk)
                return B_BAD_DATA;
        }
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    return B_OK;
}

} // namespace

// Hands out the bytes of a buffer front to back and refuses to go past its end.
class BMessage::Reader {
public:
    Reader(const uint8* data, size_t size) : fPosition(data), fEnd(data + size) {}

    size_t Remaining() const { return (size_t)(fEnd - fPosition); }

    // Sizes come from the bytes themselves, hence 64 bits: a count times an item size
    // cannot wrap around.
    const uint8* Take(uint64 size)
    {
        if (size > Remaining())
            return nullptr;
        const uint8* taken = fPosition;
        fPosition += size;
        return taken;
    }

    bool Read8(uint8* value)
    {
        const uint8* bytes = Take(1);
        if (bytes != nullptr)
            *value = bytes[0];
        return bytes != nullptr;
    }

    bool Read32(uint32* value)
    {
        const uint8* bytes = Take(4);
        if (bytes != nullptr)
            *value = get32(bytes);
        return bytes != nullptr;
    }

private:
    const uint8* fPosition;
    const uint8* fEnd;
};

// #pragma mark - Writing

ssize_t BMessage::FlattenedSize() const
{
    size_t size = kHeaderSize;
    for (const Field& field : fFields) {
        size += kFieldHeaderSize + field.name.size() + 1;
        size += field.fixedSize ? 4 : 4 * field.ends.size();
        size += field.data.size();
    }
    return (ssize_t)size;
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
    ssize_t needed = FlattenedSize();
    if (buffer == nullptr || size < needed || needed > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_VALUE;
    _FlattenTo(reinterpret_cast<uint8*>(buffer), (size_t)needed);
    return B_OK;
}

status_t BMessage::Flatten(BDataIO* stream, ssize_t* size) const
{
    ssize_t needed = FlattenedSize();
    if (stream == nullptr || needed > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_VALUE;
    std::vector<uint8> buffer;
    try {
        buffer.resize((size_t)needed);
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    _FlattenTo(buffer.data(), buffer.size());

    size_t written = 0;
    while (written < buffer.size()) {
        ssize_t result = stream->Write(buffer.data() + written, buffer.size() - written);
        if (result < 0)
            return (status_t)result;
        if (result == 0)
            return B_IO_ERROR;
        written += (size_t)result;
    }
    if (size != nullptr)
        *size = (ssize_t)written;
    return B_OK;
}

void BMessage::_FlattenTo(uint8* buffer, size_t size) const
{
    uint8* out = put_bytes(buffer, kMagic, sizeof(kMagic));
    out = put16(out, kVersion);
    out = put16(out, 0);
    out = put32(out, (uint32)size);
    out = put32(out, what);
    out = put32(out, (uint32)fFields.size());

    for (const Field& field : fFields) {
        out = put32(out, field.type);
        out = put32(out, (uint32)field.CountItems());
        *out++ = field.fixedSize ? kFixedSizeFlag : 0;
        *out++ = (uint8)field.name.size();
        out = put_bytes(out, field.name.c_str(), field.name.size() + 1);
        if (field.fixedSize) {
            out = put32(out, (uint32)field.itemSize);
        } else {
            size_t start = 0;
            for (size_t end : field.ends) {
                out = put32(out, (uint32)(end - start));
                start = end;
            }
        }
        out = put_bytes(out, field.data.data(), field.data.size());
    }
}

// #pragma mark - Reading

status_t BMessage::Unflatten(const char* flatBuffer)
{
    if (flatBuffer == nullptr)
        return Unflatten(nullptr, 0);
    if (memcmp(flatBuffer, kMagic, sizeof(kMagic)) != 0) {
        MakeEmpty();
        what = 0;
        return B_NOT_A_MESSAGE;
    }
    size_t size = get32(reinterpret_cast<const uint8*>(flatBuffer) + 8);
    return Unflatten(flatBuffer, size);
}

status_t BMessage::Unflatten(const char* buffer, size_t size)
{
    MakeEmpty();
    what = 0;
    status_t status = B_BAD_VALUE;
    if (buffer != nullptr) {
        try {
            status = _Unflatten(reinterpret_cast<const uint8*>(buffer), size, 1);
        } catch (const std::bad_alloc&) {
            status = B_NO_MEMORY;
        }
    }
    if (status != B_OK) {
        MakeEmpty();
        what = 0;
    }
    return status;
}

status_t BMessage::Unflatten(BDataIO* stream)
{
    std::vector<uint8> buffer;
    status_t status = stream != nullptr ? read_message(stream, &buffer) : B_BAD_VALUE;
    if (status != B_OK) {
        MakeEmpty();
        what = 0;
        return status;
    }
    return Unflatten(reinterpret_cast<const char*>(buffer.data()), buffer.size());
}

status_t BMessage::_Unflatten(const uint8* buffer, size_t size, int32 nesting)
{
    if (size < sizeof(kMagic) || memcmp(buffer, kMagic, sizeof(kMagic)) != 0)
        return B_NOT_A_MESSAGE;
    if (nesting > B_MESSAGE_MAX_NESTING || size < kHeaderSize ||
        size > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_DATA;
    if (get16(buffer + 4) != kVersion || get16(buffer + 6) != 0 || get32(buffer + 8) != size)
        return B_BAD_DATA;
    what = get32(buffer + 12);
    uint32 fieldCount = get32(buffer + 16);
    if (fieldCount > (size - kHeaderSize) / kSmallestField)
        return B_BAD_DATA;

    fFields.reserve(fieldCount);
    Reader reader(buffer + kHeaderSize, size - kHeaderSize);
    for (uint32 i = 0; i < fieldCount; i++) {
        status_t status = _ReadField(reader, nesting);
        if (status != B_OK)
            return status;
    }
    return reader.Remaining() == 0 ? B_OK : B_BAD_DATA;
}

status_t BMessage::_ReadField(Reader& reader, int32 nesting)
{
    uint32 type;
    uint32 count;
    uint8 flags;
    uint8 nameLength;
    if (!reader.Read32(&type) || !reader.Read32(&count) || !reader.Read8(&flags) ||
        !reader.Read8(&nameLength))
        return B_BAD_DATA;
    if (type == B_ANY_TYPE || count == 0 || count > INT32_MAX || (flags & ~kFixedSizeFlag) != 0 ||
        nameLength == 0)
        return B_BAD_DATA;

    const uint8* name = reader.Take(nameLength + 1u);
    if (name == nullptr || name[nameLength] != 0 || memchr(name, 0, nameLength) != nullptr)
        return B_BAD_DATA;
    if (_FieldNamed(reinterpret_cast<const char*>(name)) != nullptr)
        return B_BAD_DATA;

    bool fixedSize = (flags & kFixedSizeFlag) != 0;
    if ((_FixedSizeOf(type) != 0 && !fixedSize) || (is_variable_size_type(type) && fixedSize))
        return B_BAD_DATA;

    Field field;
    field.name.assign(reinterpret_cast<const char*>(name), nameLength);
    field.type = type;
    field.fixedSize = fixedSize;
    status_t status = fixedSize ? _ReadFixedSizeValues(reader, field, count, nesting)
                                : _ReadVariableSizeValues(reader, field, count, nesting);
    if (status == B_OK)
        _AppendField(std::move(field));
    return status;
}

status_t BMessage::_ReadFixedSizeValues(Reader& reader, Field& field, uint32 count, int32 nesting)
{
    uint32 itemSize;
    size_t knownSize = _FixedSizeOf(field.type);
    if (!reader.Read32(&itemSize) || itemSize == 0 || (knownSize != 0 && itemSize != knownSize))
        return B_BAD_DATA;
    uint64 total = (uint64)itemSize * count;
    const uint8* values = reader.Take(total);
    if (values == nullptr)
        return B_BAD_DATA;
    for (uint32 i = 0; i < count; i++) {
        if (_CheckItem(field.type, values + (size_t)i * itemSize, itemSize, nesting) != B_OK)
            return B_BAD_DATA;
    }
    field.itemSize = itemSize;
    field.data.assign(values, values + total);
    return B_OK;
}

status_t BMessage::_ReadVariableSizeValues(Reader& reader, Field& field, uint32 count,
                                           int32 nesting)
{
    // Every value costs four bytes of size before any of its own, which bounds what the
    // count can make us reserve.
    const uint8* sizes = reader.Take((uint64)count * 4);
    if (sizes == nullptr)
        return B_BAD_DATA;
    field.ends.reserve(count);
    uint64 end = 0;
    for (uint32 i = 0; i < count; i++) {
        end += get32(sizes + 4 * (size_t)i);
        if (end > reader.Remaining())
            return B_BAD_DATA;
        field.ends.push_back((size_t)end);
    }
    const uint8* values = reader.Take(end);
    size_t start = 0;
    for (size_t itemEnd : field.ends) {
        if (_CheckItem(field.type, values + start, itemEnd - start, nesting) != B_OK)
            return B_BAD_DATA;
        start = itemEnd;
    }
    field.data.assign(values, values + end);
    return B_OK;
}

// #pragma mark - Values

size_t BMessage::_FixedSizeOf(type_code type)
{
    switch (type) {
    case B_BOOL_TYPE:
    case B_CHAR_TYPE:
    case B_INT8_TYPE:
    case B_UINT8_TYPE:
        return 1;
    case B_INT16_TYPE:
    case B_UINT16_TYPE:
        return 2;
    case B_INT32_TYPE:
    case B_UINT32_TYPE:
    case B_FLOAT_TYPE:
    case B_RGB_COLOR_TYPE:
        return 4;
    case B_INT64_TYPE:
    case B_UINT64_TYPE:
    case B_DOUBLE_TYPE:
    case B_POINT_TYPE:
    case B_POINTER_TYPE:
    case B_TIME_TYPE:
    case B_OFF_T_TYPE:
        return 8;
    case B_RECT_TYPE:
        return 16;
    default:
        return 0;
    }
}

status_t BMessage::_CheckItem(type_code type, const uint8* item, size_t size, int32 nesting)
{
    size_t knownSize = _FixedSizeOf(type);
    if (knownSize != 0) {
        if (size != knownSize)
            return B_BAD_DATA;
        // Any other byte would be a bool that is neither true nor false once read back.
        return type == B_BOOL_TYPE && item[0] > 1 ? B_BAD_DATA : B_OK;
    }
    switch (type) {
    case B_STRING_TYPE:
        // One NUL, the last byte.
        if (size == 0 || item[size - 1] != 0 || memchr(item, 0, size - 1) != nullptr)
            return B_BAD_DATA;
        return B_OK;
    case B_REF_TYPE: {
        // Two NUL-terminated strings: the folder path and the leaf name.
        if (size < 2 || item[size - 1] != 0)
            return B_BAD_DATA;
        auto* separator = static_cast<const uint8*>(memchr(item, 0, size - 1));
        if (separator == nullptr)
            return B_BAD_DATA;
        size_t rest = (size_t)(item + size - 1 - (separator + 1));
        return memchr(separator + 1, 0, rest) == nullptr ? B_OK : B_BAD_DATA;
    }
    case B_MESSAGE_TYPE: {
        BMessage nested;
        return nested._Unflatten(item, size, nesting + 1) == B_OK ? B_OK : B_BAD_DATA;
    }
    default:
        return B_OK;
    }
}
