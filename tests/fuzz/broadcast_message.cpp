// Feeds arbitrary records to an application's inbox, as any process of the user may write
// them: the first four bytes are the record's code (little-endian), the rest its bytes. What
// the inbox accepts must be a whole message with no pointer left in it at any level, and must
// read back the same once flattened again. The same bytes, taken as a port name, go through
// the parser of inbox names, since any process may publish any name.

#include <Message.h>
#include <RosterProtocol.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace BPrivate::roster_protocol;

namespace {

void check(bool condition)
{
    if (!condition)
        abort();
}

void check_no_pointers(const BMessage& message)
{
    check(message.CountNames(B_POINTER_TYPE) == 0);
    char* name;
    type_code type;
    int32 count;
    for (int32 i = 0; message.GetInfo(B_MESSAGE_TYPE, i, &name, &type, &count) == B_OK; i++) {
        for (int32 index = 0; index < count; index++) {
            BMessage nested;
            check(message.FindMessage(name, index, &nested) == B_OK);
            check_no_pointers(nested);
        }
    }
}

std::vector<char> flatten(const BMessage& message)
{
    std::vector<char> bytes((size_t)message.FlattenedSize());
    check(message.Flatten(bytes.data(), (ssize_t)bytes.size()) == B_OK);
    return bytes;
}

void exercise_name(const uint8_t* data, size_t size)
{
    std::string name(reinterpret_cast<const char*>(data), size < 40 ? size : 40);
    name = name.c_str(); // a port name ends at its first NUL
    team_id team;
    uint32 hash;
    if (!parse_inbox_name(name.c_str(), &team, &hash))
        return;
    // An accepted name has exactly one spelling.
    char spelled[64];
    snprintf(spelled, sizeof(spelled), "%s%d:%08x", kInboxPrefix, (int)team, (unsigned)hash);
    check(name == spelled && team > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    exercise_name(data, size);
    if (size < 4)
        return 0;
    const int32 code = (int32)((uint32)data[0] | (uint32)data[1] << 8 | (uint32)data[2] << 16 |
                               (uint32)data[3] << 24);
    const uint8_t* bytes = data + 4;
    const size_t length = size - 4;

    BMessage message;
    const status_t status = decode_inbox_record(code, bytes, length, &message);
    if (status != B_OK) {
        check(status < 0 && message.IsEmpty() && message.what == 0);
        return 0;
    }
    check(code == kBroadcastRecord);
    check_no_pointers(message);

    // Removing pointers may change the bytes, but what comes out is itself a good record,
    // and handing it on again changes nothing.
    const std::vector<char> flat = flatten(message);
    BMessage again;
    check(decode_inbox_record(kBroadcastRecord, flat.data(), flat.size(), &again) == B_OK);
    check(flatten(again) == flat);
    // Only pointers are taken out: a message without any comes through byte for byte, and
    // taking some out only ever makes it smaller.
    BMessage plain;
    check(plain.Unflatten(reinterpret_cast<const char*>(bytes), length) == B_OK);
    if (plain.CountNames(B_POINTER_TYPE) == 0 && plain.CountNames(B_MESSAGE_TYPE) == 0)
        check(flat.size() == length && memcmp(flat.data(), bytes, length) == 0);
    else
        check(flat.size() <= length);
    return 0;
}
