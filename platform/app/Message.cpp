#include <Message.h>

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <Handler.h>
#include <Messenger.h>

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>
#include <unistd.h>

BMessage::BMessage() = default;

BMessage::BMessage(uint32 what) : what(what) {}

BMessage::BMessage(const BMessage& other) = default;

BMessage::BMessage(BMessage&& other) noexcept = default;

BMessage& BMessage::operator=(const BMessage& other) = default;

BMessage& BMessage::operator=(BMessage&& other) noexcept = default;

BMessage::~BMessage() = default;

// #pragma mark - Fields

status_t BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound,
                           bool* fixedSize) const
{
    if (name == nullptr)
        return B_BAD_VALUE;
    const Field* field = _FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (typeFound != nullptr)
        *typeFound = field->type;
    if (countFound != nullptr)
        *countFound = field->CountItems();
    if (fixedSize != nullptr)
        *fixedSize = field->fixedSize;
    return B_OK;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound,
                           type_code* typeFound, int32* countFound) const
{
    int32 matching = 0;
    for (const Field& field : fFields) {
        if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
            continue;
        if (matching++ != index)
            continue;
        if (nameFound != nullptr)
            *nameFound = const_cast<char*>(field.name.c_str());
        if (typeFound != nullptr)
            *typeFound = field.type;
        if (countFound != nullptr)
            *countFound = field.CountItems();
        return B_OK;
    }
    return matching == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

int32 BMessage::CountNames(type_code type) const
{
    int32 count = 0;
    for (const Field& field : fFields) {
        if (type == B_ANY_TYPE || field.type == type)
            count++;
    }
    return count;
}

status_t BMessage::MakeEmpty()
{
    fFields.clear();
    fIndex.clear();
    return B_OK;
}

bool BMessage::HasData(const char* name, type_code type, int32 index) const
{
    const uint8* item;
    size_t size;
    return _FindItem(name, type, index, &item, &size) == B_OK;
}

status_t BMessage::RemoveName(const char* name)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    Field* field = _FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    fFields.erase(fFields.begin() + (field - fFields.data()));
    _RebuildIndex();
    return B_OK;
}

status_t BMessage::RemoveData(const char* name, int32 index)
{
    if (name == nullptr)
        return B_BAD_VALUE;
    Field* field = _FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (index < 0 || index >= field->CountItems())
        return B_BAD_INDEX;
    if (field->CountItems() == 1)
        return RemoveName(name);
    field->RemoveAt(index);
    return B_OK;
}

// #pragma mark - Raw data

status_t BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
                           bool isFixedSize, int32 /*count*/)
{
    if (numBytes < 0)
        return B_BAD_VALUE;
    return _AddItem(name, type, data, (size_t)numBytes, isFixedSize);
}

status_t BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
                            ssize_t* numBytes) const
{
    if (data == nullptr || numBytes == nullptr)
        return B_BAD_VALUE;
    const uint8* item;
    size_t size;
    status_t status = _FindItem(name, type, index, &item, &size);
    if (status != B_OK)
        return status;
    *data = item;
    *numBytes = (ssize_t)size;
    return B_OK;
}

status_t BMessage::ReplaceData(const char* name, type_code type, int32 index, const void* data,
                               ssize_t numBytes)
{
    if (numBytes < 0)
        return B_BAD_VALUE;
    return _ReplaceItem(name, type, index, data, (size_t)numBytes);
}

// #pragma mark - Typed values that need converting

status_t BMessage::_FindConverted(const char* name, type_code type, int32 index, bool* value) const
{
    if (value == nullptr)
        return B_BAD_VALUE;
    uint8 byte;
    status_t status = _FindFixed(name, type, index, &byte);
    if (status == B_OK)
        *value = byte != 0;
    return status;
}

status_t BMessage::_FindConverted(const char* name, type_code type, int32 index,
                                  void** pointer) const
{
    if (pointer == nullptr)
        return B_BAD_VALUE;
    uint64 address;
    status_t status = _FindFixed(name, type, index, &address);
    if (status == B_OK)
        *pointer = (void*)(uintptr_t)address;
    return status;
}

status_t BMessage::AddString(const char* name, const char* string)
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return _AddItem(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t BMessage::FindString(const char* name, int32 index, const char** string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const uint8* item;
    size_t size;
    status_t status = _FindItem(name, B_STRING_TYPE, index, &item, &size);
    if (status == B_OK)
        *string = reinterpret_cast<const char*>(item);
    return status;
}

status_t BMessage::FindString(const char* name, int32 index, BString* string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const char* found;
    status_t status = FindString(name, index, &found);
    if (status == B_OK)
        string->SetTo(found);
    return status;
}

status_t BMessage::FindString(const char* name, int32 index, std::string* string) const
{
    if (string == nullptr)
        return B_BAD_VALUE;
    const char* found;
    status_t status = FindString(name, index, &found);
    if (status == B_OK)
        string->assign(found);
    return status;
}

status_t BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
    if (string == nullptr)
        return B_BAD_VALUE;
    return _ReplaceItem(name, B_STRING_TYPE, index, string, strlen(string) + 1);
}

// A ref is kept as its folder path and its leaf name, each with its NUL.
static std::string encode_ref(const entry_ref& ref)
{
    std::string bytes = ref.directory;
    bytes.push_back('\0');
    bytes += ref.name;
    bytes.push_back('\0');
    return bytes;
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    std::string bytes = encode_ref(*ref);
    return _AddItem(name, B_REF_TYPE, bytes.data(), bytes.size(), false);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    const uint8* item;
    size_t size;
    status_t status = _FindItem(name, B_REF_TYPE, index, &item, &size);
    if (status != B_OK)
        return status;
    auto* directory = reinterpret_cast<const char*>(item);
    ref->directory = directory;
    ref->name = directory + strlen(directory) + 1;
    return B_OK;
}

status_t BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
    if (ref == nullptr)
        return B_BAD_VALUE;
    std::string bytes = encode_ref(*ref);
    return _ReplaceItem(name, B_REF_TYPE, index, bytes.data(), bytes.size());
}

// A nested message is kept flattened: adding it checks it once (its nesting included), and
// flattening the outer message copies it as it is.
status_t BMessage::AddMessage(const char* name, const BMessage* message)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    ssize_t size = message->FlattenedSize();
    if (size > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_VALUE;
    try {
        std::vector<uint8> bytes((size_t)size);
        message->_FlattenTo(bytes.data(), bytes.size());
        return _AddItem(name, B_MESSAGE_TYPE, bytes.data(), bytes.size(), false);
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    const uint8* item;
    size_t size;
    status_t status = _FindItem(name, B_MESSAGE_TYPE, index, &item, &size);
    if (status != B_OK)
        return status;
    BMessage found;
    status = found._Unflatten(item, size, 1);
    if (status == B_OK)
        *message = std::move(found);
    return status;
}

status_t BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    ssize_t size = message->FlattenedSize();
    if (size > B_MESSAGE_MAX_FLATTENED_SIZE)
        return B_BAD_VALUE;
    try {
        std::vector<uint8> bytes((size_t)size);
        message->_FlattenTo(bytes.data(), bytes.size());
        return _ReplaceItem(name, B_MESSAGE_TYPE, index, bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
}

// #pragma mark - Debugging

// Four printable characters as 'abcd', anything else in hex.
static void print_code(uint32 code)
{
    char chars[4] = {(char)(code >> 24), (char)(code >> 16), (char)(code >> 8), (char)code};
    bool printable = true;
    for (char c : chars)
        printable = printable && isprint((unsigned char)c);
    if (printable)
        printf("'%.4s'", chars);
    else
        printf("0x%08" PRIx32, code);
}

template <typename T>
static T read_as(const uint8* item)
{
    T value;
    memcpy(&value, item, sizeof(T));
    return value;
}

void BMessage::PrintToStream() const
{
    _PrintToStream(0);
}

void BMessage::_PrintToStream(int indent) const
{
    printf("BMessage(");
    print_code(what);
    printf(") {\n");
    for (const Field& field : fFields) {
        for (int32 i = 0; i < field.CountItems(); i++) {
            size_t size;
            const uint8* item = field.ItemAt(i, &size);
            printf("%*s\"%s\"[%" PRId32 "] ", indent + 4, "", field.name.c_str(), i);
            print_code(field.type);
            printf(" = ");
            switch (field.type) {
            case B_BOOL_TYPE:
                printf("%s", item[0] ? "true" : "false");
                break;
            case B_INT8_TYPE:
                printf("%d", (int)read_as<int8>(item));
                break;
            case B_INT16_TYPE:
                printf("%d", (int)read_as<int16>(item));
                break;
            case B_INT32_TYPE:
                printf("%" PRId32, read_as<int32>(item));
                break;
            case B_INT64_TYPE:
                printf("%" PRId64, read_as<int64>(item));
                break;
            case B_FLOAT_TYPE:
                printf("%.9g", (double)read_as<float>(item));
                break;
            case B_DOUBLE_TYPE:
                printf("%.17g", read_as<double>(item));
                break;
            case B_STRING_TYPE:
                printf("\"%s\"", reinterpret_cast<const char*>(item));
                break;
            case B_RECT_TYPE: {
                auto rect = read_as<BRect>(item);
                printf("BRect(%g, %g, %g, %g)", rect.left, rect.top, rect.right, rect.bottom);
                break;
            }
            case B_POINT_TYPE: {
                auto point = read_as<BPoint>(item);
                printf("BPoint(%g, %g)", point.x, point.y);
                break;
            }
            case B_REF_TYPE: {
                auto* directory = reinterpret_cast<const char*>(item);
                printf("entry_ref(\"%s\", \"%s\")", directory, directory + strlen(directory) + 1);
                break;
            }
            case B_POINTER_TYPE:
                printf("0x%" PRIx64, read_as<uint64>(item));
                break;
            case B_MESSAGE_TYPE: {
                BMessage nested;
                if (nested._Unflatten(item, size, 1) == B_OK)
                    nested._PrintToStream(indent + 4);
                break;
            }
            default:
                printf("%zu bytes:", size);
                for (size_t j = 0; j < size && j < 16; j++)
                    printf(" %02x", item[j]);
                if (size > 16)
                    printf(" ...");
                break;
            }
            // A nested message ends its own last line.
            if (field.type != B_MESSAGE_TYPE)
                printf("\n");
        }
    }
    printf("%*s}\n", indent, "");
}

// #pragma mark - Private

const BPrivate::MessageField* BMessage::_FieldNamed(const char* name) const
{
    std::string_view key(name);
    if (!fIndex.empty()) {
        auto found = fIndex.find(key);
        return found == fIndex.end() ? nullptr : &fFields[found->second];
    }
    for (const Field& field : fFields) {
        if (field.name == key)
            return &field;
    }
    return nullptr;
}

BPrivate::MessageField* BMessage::_FieldNamed(const char* name)
{
    return const_cast<Field*>(static_cast<const BMessage*>(this)->_FieldNamed(name));
}

void BMessage::_AppendField(Field&& field)
{
    fFields.push_back(std::move(field));
    if (fFields.size() <= kIndexThreshold)
        return;
    try {
        if (fIndex.empty())
            _RebuildIndex();
        else
            fIndex.emplace(fFields.back().name, fFields.size() - 1);
    } catch (...) {
        // Without its index entry the field could not be found again.
        fFields.pop_back();
        _RebuildIndex();
        throw;
    }
}

void BMessage::_RebuildIndex()
{
    fIndex.clear();
    if (fFields.size() <= kIndexThreshold)
        return;
    fIndex.reserve(fFields.size());
    for (size_t i = 0; i < fFields.size(); i++)
        fIndex.emplace(fFields[i].name, i);
}

status_t BMessage::_AddItem(const char* name, type_code type, const void* data, size_t size,
                            bool fixedSize)
{
    if (name == nullptr || (data == nullptr && size > 0))
        return B_BAD_VALUE;
    size_t nameLength = strlen(name);
    if (nameLength == 0 || nameLength > B_FIELD_NAME_LENGTH)
        return B_BAD_VALUE;
    if (type == B_ANY_TYPE)
        return B_BAD_TYPE;

    Field* field = _FieldNamed(name);
    if (field != nullptr) {
        if (field->type != type)
            return B_BAD_TYPE;
        if (field->fixedSize && size != field->itemSize)
            return B_BAD_VALUE;
        if (field->CountItems() == INT32_MAX)
            return B_NO_MEMORY;
    } else {
        // The kits' own types decide for themselves whether their values have one size.
        if (_FixedSizeOf(type) != 0)
            fixedSize = true;
        else if (type == B_STRING_TYPE || type == B_REF_TYPE || type == B_MESSAGE_TYPE)
            fixedSize = false;
        if (fixedSize && size == 0)
            return B_BAD_VALUE;
    }
    auto* bytes = static_cast<const uint8*>(data);
    try {
        if (_CheckItem(type, bytes, size, 1) != B_OK)
            return B_BAD_VALUE;
        if (field != nullptr) {
            field->Append(bytes, size);
            return B_OK;
        }
        Field newField;
        newField.name.assign(name, nameLength);
        newField.type = type;
        newField.fixedSize = fixedSize;
        newField.itemSize = fixedSize ? size : 0;
        newField.Append(bytes, size);
        _AppendField(std::move(newField));
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    return B_OK;
}

status_t BMessage::_FindItem(const char* name, type_code type, int32 index, const uint8** item,
                             size_t* size) const
{
    if (name == nullptr)
        return B_BAD_VALUE;
    const Field* field = _FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (type != B_ANY_TYPE && field->type != type)
        return B_BAD_TYPE;
    if (index < 0 || index >= field->CountItems())
        return B_BAD_INDEX;
    *item = field->ItemAt(index, size);
    return B_OK;
}

status_t BMessage::_CopyItem(const char* name, type_code type, int32 index, void* out,
                             size_t size) const
{
    if (out == nullptr)
        return B_BAD_VALUE;
    const uint8* item;
    size_t itemSize;
    status_t status = _FindItem(name, type, index, &item, &itemSize);
    if (status != B_OK)
        return status;
    if (itemSize != size)
        return B_BAD_TYPE;
    memcpy(out, item, size);
    return B_OK;
}

status_t BMessage::_ReplaceItem(const char* name, type_code type, int32 index, const void* data,
                                size_t size)
{
    if (name == nullptr || (data == nullptr && size > 0))
        return B_BAD_VALUE;
    Field* field = _FieldNamed(name);
    if (field == nullptr)
        return B_NAME_NOT_FOUND;
    if (field->type != type)
        return B_BAD_TYPE;
    if (index < 0 || index >= field->CountItems())
        return B_BAD_INDEX;
    if (field->fixedSize && size != field->itemSize)
        return B_BAD_VALUE;
    auto* bytes = static_cast<const uint8*>(data);
    try {
        if (_CheckItem(type, bytes, size, 1) != B_OK)
            return B_BAD_VALUE;
        field->ReplaceAt(index, bytes, size);
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    return B_OK;
}
