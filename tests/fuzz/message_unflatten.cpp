// Feeds arbitrary bytes to BMessage::Unflatten, as a settings file or another process might.
// Whatever is accepted must read back in full and flatten to the very same bytes: the
// flattened form has exactly one spelling for each message.

#include <DataIO.h>
#include <Entry.h>
#include <Message.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

void exercise_value(const BMessage& message, const char* name, type_code type, int32 index)
{
    const void* data;
    ssize_t size;
    check(message.FindData(name, type, index, &data, &size) == B_OK);
    switch (type) {
    case B_BOOL_TYPE: {
        bool value;
        check(message.FindBool(name, index, &value) == B_OK);
        break;
    }
    case B_INT32_TYPE: {
        int32 value;
        check(message.FindInt32(name, index, &value) == B_OK);
        break;
    }
    case B_DOUBLE_TYPE: {
        double value;
        check(message.FindDouble(name, index, &value) == B_OK);
        break;
    }
    case B_RECT_TYPE: {
        BRect value;
        check(message.FindRect(name, index, &value) == B_OK);
        break;
    }
    case B_STRING_TYPE: {
        const char* value;
        check(message.FindString(name, index, &value) == B_OK);
        check((ssize_t)strlen(value) + 1 == size);
        break;
    }
    case B_REF_TYPE: {
        entry_ref ref;
        check(message.FindRef(name, index, &ref) == B_OK);
        check((ssize_t)(ref.directory.size() + ref.name.size() + 2) == size);
        break;
    }
    case B_MESSAGE_TYPE: {
        BMessage nested;
        check(message.FindMessage(name, index, &nested) == B_OK);
        check(nested.FlattenedSize() == size);
        break;
    }
    default:
        break;
    }
}

void exercise(const BMessage& message)
{
    char* name;
    type_code type;
    int32 count;
    int32 fields = 0;
    for (; message.GetInfo(B_ANY_TYPE, fields, &name, &type, &count) == B_OK; fields++) {
        type_code typeByName;
        int32 countByName;
        check(message.GetInfo(name, &typeByName, &countByName) == B_OK);
        check(typeByName == type && countByName == count && count > 0);
        for (int32 i = 0; i < count; i++)
            exercise_value(message, name, type, i);
        const void* data;
        ssize_t size;
        check(message.FindData(name, type, count, &data, &size) == B_BAD_INDEX);
    }
    check(fields == message.CountNames(B_ANY_TYPE));

    // Every value read can be added again, from where it lies inside the field it is added
    // to, and removing it leaves the message as it was.
    BMessage copy(message);
    for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
        bool fixedSize;
        const void* data;
        ssize_t size;
        check(copy.GetInfo(name, &type, &count, &fixedSize) == B_OK);
        check(copy.FindData(name, type, count - 1, &data, &size) == B_OK);
        check(copy.AddData(name, type, data, size, fixedSize) == B_OK);
        check(copy.RemoveData(name, count) == B_OK);
    }
    std::vector<char> bytes((size_t)copy.FlattenedSize());
    check(copy.Flatten(bytes.data(), (ssize_t)bytes.size()) == B_OK);
    std::vector<char> original((size_t)message.FlattenedSize());
    check(message.Flatten(original.data(), (ssize_t)original.size()) == B_OK);
    check(bytes == original);
    BMessage again;
    check(again.Unflatten(bytes.data(), bytes.size()) == B_OK);
    check(again.FlattenedSize() == message.FlattenedSize());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BMessage message;
    status_t status = message.Unflatten(reinterpret_cast<const char*>(data), size);

    // A stream holds messages one after another, so the stream form may accept a message at
    // the front of bytes that the bounded form refuses for what follows it.
    BMemoryIO stream(data, size);
    BMessage fromStream;
    status_t streamStatus = fromStream.Unflatten(&stream);
    check(streamStatus == B_OK || (fromStream.IsEmpty() && fromStream.what == 0));

    if (status != B_OK) {
        check(status < 0 && message.IsEmpty() && message.what == 0);
        return 0;
    }
    check(streamStatus == B_OK && fromStream.FlattenedSize() == (ssize_t)size);

    std::vector<char> bytes((size_t)message.FlattenedSize());
    check(message.Flatten(bytes.data(), (ssize_t)bytes.size()) == B_OK);
    check(bytes.size() == size && memcmp(bytes.data(), data, size) == 0);
    exercise(message);
    return 0;
}
