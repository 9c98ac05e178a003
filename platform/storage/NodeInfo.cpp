#include <NodeInfo.h>

#include <Node.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>
#include <unistd.h>

namespace {

constexpr char kTypeAttribute[] = "mime_type";
constexpr char kUnknownType[] = "application/octet-stream";

struct ExtensionType {
    const char* extension;
    const char* type;
};

// The types programs here ask about; anything else is "application/octet-stream", which the
// desktop's opener still resolves from the file itself.
constexpr ExtensionType kExtensionTypes[] = {
    {"txt", "text/plain"}, {"text", "text/plain"}, {"md", "text/markdown"},
    {"htm", "text/html"},  {"html", "text/html"},  {"pdf", "application/pdf"},
    {"png", "image/png"},  {"mid", "audio/midi"},  {"midi", "audio/midi"},
    {"kar", "audio/midi"}, {"smf", "audio/midi"},
};

const char* type_of_extension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return kUnknownType;
    const char* extension = path.c_str() + dot + 1;
    for (const ExtensionType& each : kExtensionTypes) {
        if (strcasecmp(each.extension, extension) == 0)
            return each.type;
    }
    return kUnknownType;
}

// The path the open descriptor was opened by, which the kernel keeps for it.
std::string path_of(int descriptor)
{
    char link[64];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", descriptor);
    char path[4096];
    const ssize_t length = readlink(link, path, sizeof(path) - 1);
    return length > 0 ? std::string(path, (size_t)length) : std::string();
}

} // namespace

BNodeInfo::BNodeInfo(BNode* node)
{
    SetTo(node);
}

BNodeInfo::~BNodeInfo() = default;

status_t BNodeInfo::SetTo(BNode* node)
{
    fNode = node;
    fStatus = node != nullptr && node->InitCheck() == B_OK ? B_OK : B_BAD_VALUE;
    return fStatus;
}

status_t BNodeInfo::GetType(char* type) const
{
    if (type == nullptr)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    char stored[B_MIME_TYPE_LENGTH];
    const ssize_t length = fNode->ReadAttr(kTypeAttribute, 0, 0, stored, sizeof(stored));
    if (length > 0 && length < (ssize_t)sizeof(stored) && memchr(stored, '\0', length) == nullptr) {
        memcpy(type, stored, (size_t)length);
        type[length] = '\0';
        return B_OK;
    }
    const char* guessed = type_of_extension(path_of(fNode->Descriptor()));
    strcpy(type, guessed);
    return B_OK;
}

status_t BNodeInfo::SetType(const char* type)
{
    if (type == nullptr || strlen(type) >= B_MIME_TYPE_LENGTH)
        return B_BAD_VALUE;
    if (fStatus != B_OK)
        return B_NO_INIT;
    const ssize_t written = fNode->WriteAttr(kTypeAttribute, 0, 0, type, strlen(type));
    return written < 0 ? (status_t)written : B_OK;
}
