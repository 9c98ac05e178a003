#include <RosterProtocol.h>

#include <cstdio>
#include <cstring>

namespace BPrivate {
namespace roster_protocol {

namespace {

// Pointer fields go, in nested messages too: a pointer from another process leads nowhere.
void remove_pointers(BMessage& message)
{
    char* name;
    type_code type;
    int32 count;
    while (message.GetInfo(B_POINTER_TYPE, 0, &name, &type, &count) == B_OK) {
        // The name lives in the field that goes.
        const std::string doomed = name;
        message.RemoveName(doomed.c_str());
    }
    for (int32 i = 0; message.GetInfo(B_MESSAGE_TYPE, i, &name, &type, &count) == B_OK; i++) {
        for (int32 index = 0; index < count; index++) {
            BMessage nested;
            if (message.FindMessage(name, index, &nested) != B_OK)
                continue;
            if (nested.CountNames(B_POINTER_TYPE) == 0 && nested.CountNames(B_MESSAGE_TYPE) == 0)
                continue;
            remove_pointers(nested);
            message.ReplaceMessage(name, index, &nested);
        }
    }
}

} // namespace

uint32 signature_hash(const char* signature)
{
    uint32 hash = 2166136261u;
    for (const char* c = signature; *c != '\0'; c++) {
        hash ^= (uint8)*c;
        hash *= 16777619u;
    }
    return hash;
}

std::string inbox_name(team_id team, const char* signature)
{
    char name[B_OS_NAME_LENGTH];
    snprintf(name, sizeof(name), "%s%d:%08x", kInboxPrefix, (int)team,
             (unsigned)signature_hash(signature));
    return name;
}

bool parse_inbox_name(const char* name, team_id* team, uint32* signatureHash)
{
    const size_t prefixLength = sizeof(kInboxPrefix) - 1;
    if (strncmp(name, kInboxPrefix, prefixLength) != 0)
        return false;
    const char* at = name + prefixLength;
    // One spelling per name: no sign, no leading zero.
    if (*at < '1' || *at > '9')
        return false;
    int64 pid = 0;
    const char* digits = at;
    for (; *at >= '0' && *at <= '9' && at - digits < 10; at++)
        pid = pid * 10 + (*at - '0');
    if (*at != ':' || pid > INT32_MAX)
        return false;
    at++;
    uint32 hash = 0;
    int hexDigits = 0;
    for (; hexDigits < 8; hexDigits++, at++) {
        const char c = *at;
        if (c >= '0' && c <= '9')
            hash = hash << 4 | (uint32)(c - '0');
        else if (c >= 'a' && c <= 'f')
            hash = hash << 4 | (uint32)(c - 'a' + 10);
        else
            return false;
    }
    if (*at != '\0')
        return false;
    *team = (team_id)pid;
    *signatureHash = hash;
    return true;
}

status_t decode_inbox_record(int32 code, const void* bytes, size_t size, BMessage* message)
{
    if (code != kBroadcastRecord || (bytes == nullptr && size > 0)) {
        message->MakeEmpty();
        message->what = 0;
        return B_BAD_VALUE;
    }
    status_t status = message->Unflatten(static_cast<const char*>(bytes), size);
    if (status != B_OK)
        return status;
    remove_pointers(*message);
    return B_OK;
}

} // namespace roster_protocol
} // namespace BPrivate
