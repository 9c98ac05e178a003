#pragma once

// A message is a command code (`what`) and a set of named fields. A field holds one or more
// values, all of one type, and fields keep the order in which they were first added. A message
// can be flattened into the byte form described in docs/message-format.md and read back; the
// reading side treats the bytes as untrusted.
//
// Every call that looks something up answers B_OK, B_NAME_NOT_FOUND (no such field),
// B_BAD_TYPE (the field holds another type), B_BAD_INDEX (no value at that index) or
// B_BAD_VALUE (a null argument, or a value the type cannot hold). A Find that fails leaves
// its output alone.

#include <MessageField.h>
#include <Point.h>
#include <Rect.h>
#include <String.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class BDataIO;
class BHandler;
class BMessenger;
struct entry_ref;

namespace BPrivate {

class ReplySlot;

// What the kits know of a message they delivered to a looper: whether its sender waits for
// the reply, where replies go, how it came. It belongs to the one message the kits handed
// over, so a copy starts without it (copying a received message does not copy the duty to
// answer it), a move takes it along, and assigning over the message ends it as deleting the
// message does: a sender still waiting then gets B_NO_REPLY.
struct MessageDelivery {
    enum : uint32 {
        kDelivered = 0x01,
        kReplied = 0x02,
        kIsReply = 0x04,
        kRemote = 0x08,
        kDropped = 0x10,
    };

    MessageDelivery() = default;
    MessageDelivery(const MessageDelivery&) noexcept {}
    MessageDelivery(MessageDelivery&& other) noexcept;
    MessageDelivery& operator=(const MessageDelivery& other) noexcept;
    MessageDelivery& operator=(MessageDelivery&& other) noexcept;
    ~MessageDelivery();

    // Answers a waiting sender with B_NO_REPLY if nobody replied, and forgets everything.
    void End() noexcept;

    std::shared_ptr<ReplySlot> waitingSender;
    // The return address: tokens of a looper and of one of its handlers; -1 for the
    // application.
    int32 replyLooper = -1;
    int32 replyHandler = -1;
    uint32 flags = 0;
};

} // namespace BPrivate

enum {
    // Longest field name, in bytes; names are never empty.
    B_FIELD_NAME_LENGTH = 255,
    // Largest flattened message, nested messages included, in bytes.
    B_MESSAGE_MAX_FLATTENED_SIZE = 64 * 1024 * 1024,
    // Most messages in a chain of nested messages, the outermost one included.
    B_MESSAGE_MAX_NESTING = 64,
};

// The calls of one type whose values a message keeps as their own bytes: Add, Find,
// Replace and Has. FindType is what Find writes, ArgType what Add and Replace take; bool
// and pointers are kept converted (see _Stored and _FindConverted).
#define B_MESSAGE_FIXED_CALLS(Name, FindType, ArgType, typeCode)                                   \
    status_t Add##Name(const char* name, ArgType value)                                            \
    {                                                                                              \
        return _AddFixed(name, typeCode, _Stored(value));                                          \
    }                                                                                              \
    status_t Find##Name(const char* name, FindType* value) const                                   \
    {                                                                                              \
        return Find##Name(name, 0, value);                                                         \
    }                                                                                              \
    status_t Find##Name(const char* name, int32 index, FindType* value) const                      \
    {                                                                                              \
        return _FindConverted(name, typeCode, index, value);                                       \
    }                                                                                              \
    status_t Replace##Name(const char* name, ArgType value)                                        \
    {                                                                                              \
        return Replace##Name(name, 0, value);                                                      \
    }                                                                                              \
    status_t Replace##Name(const char* name, int32 index, ArgType value)                           \
    {                                                                                              \
        return _ReplaceFixed(name, typeCode, index, _Stored(value));                               \
    }                                                                                              \
    bool Has##Name(const char* name, int32 index = 0) const                                        \
    {                                                                                              \
        return HasData(name, typeCode, index);                                                     \
    }

class BMessage {
public:
    uint32 what = 0;

    BMessage();
    BMessage(uint32 what);
    BMessage(const BMessage& other);
    BMessage(BMessage&& other) noexcept;
    BMessage& operator=(const BMessage& other);
    BMessage& operator=(BMessage&& other) noexcept;
    virtual ~BMessage();

    // Fields
    status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = nullptr,
                     bool* fixedSize = nullptr) const;
    // The index-th field of the given type (B_ANY_TYPE: of any type) in field order.
    // *nameFound points into the message and stays valid until the field is removed.
    // B_BAD_TYPE when no field has the type, B_BAD_INDEX when index is past the last one.
    status_t GetInfo(type_code typeRequested, int32 index, char** nameFound, type_code* typeFound,
                     int32* countFound = nullptr) const;
    int32 CountNames(type_code type) const;
    bool IsEmpty() const { return fFields.empty(); }
    // Removes every field and keeps `what`.
    status_t MakeEmpty();
    bool HasData(const char* name, type_code type, int32 index = 0) const;
    status_t RemoveName(const char* name);
    // Removes one value; the field goes when its last value does.
    status_t RemoveData(const char* name, int32 index = 0);

    // A readable dump on standard output, for debugging.
    void PrintToStream() const;

    // Flattened form
    ssize_t FlattenedSize() const;
    status_t Flatten(char* buffer, ssize_t size) const;
    status_t Flatten(BDataIO* stream, ssize_t* size = nullptr) const;
    // Takes the size from the header and so trusts the buffer to be as long as it claims:
    // use it only on bytes this process produced.
    status_t Unflatten(const char* flatBuffer);
    // The buffer must hold exactly one flattened message. On failure the message is empty
    // and its `what` is 0.
    status_t Unflatten(const char* buffer, size_t size);
    status_t Unflatten(BDataIO* stream);

    // Raw data. For the types the kits know (see docs/message-format.md) the bytes must be a
    // valid value of that type; for any other type they are kept as they are. isFixedSize
    // matters for other types only and is settled by the first value; count is a hint of how
    // many values will follow.
    status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
                     bool isFixedSize = true, int32 count = 1);
    // B_ANY_TYPE matches a field of any type. *data stays valid until the field changes.
    status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
    {
        return FindData(name, type, 0, data, numBytes);
    }
    status_t FindData(const char* name, type_code type, int32 index, const void** data,
                      ssize_t* numBytes) const;
    status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
    {
        return ReplaceData(name, type, 0, data, numBytes);
    }
    status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
                         ssize_t numBytes);

    // The values kept as their own bytes: Add, Find (the first or the index-th value),
    // Replace and Has for each type, all alike (see B_MESSAGE_FIXED_CALLS above).
    B_MESSAGE_FIXED_CALLS(Bool, bool, bool, B_BOOL_TYPE)
    B_MESSAGE_FIXED_CALLS(Int8, int8, int8, B_INT8_TYPE)
    B_MESSAGE_FIXED_CALLS(Int16, int16, int16, B_INT16_TYPE)
    B_MESSAGE_FIXED_CALLS(Int32, int32, int32, B_INT32_TYPE)
    B_MESSAGE_FIXED_CALLS(Int64, int64, int64, B_INT64_TYPE)
    B_MESSAGE_FIXED_CALLS(Float, float, float, B_FLOAT_TYPE)
    B_MESSAGE_FIXED_CALLS(Double, double, double, B_DOUBLE_TYPE)
    B_MESSAGE_FIXED_CALLS(Rect, BRect, BRect, B_RECT_TYPE)
    B_MESSAGE_FIXED_CALLS(Point, BPoint, BPoint, B_POINT_TYPE)
    // Pointers mean something only inside the process that added them; they are flattened
    // as 8 bytes but are not portable.
    B_MESSAGE_FIXED_CALLS(Pointer, void*, const void*, B_POINTER_TYPE)

    // Strings are UTF-8 (or any bytes) up to the first NUL; a std::string is taken up to its
    // first NUL as well. A const char* found stays valid until the field changes.
    status_t AddString(const char* name, const char* string);
    status_t AddString(const char* name, const BString& string)
    {
        return AddString(name, string.String());
    }
    status_t AddString(const char* name, const std::string& string)
    {
        return AddString(name, string.c_str());
    }
    status_t FindString(const char* name, const char** string) const
    {
        return FindString(name, 0, string);
    }
    status_t FindString(const char* name, int32 index, const char** string) const;
    status_t FindString(const char* name, BString* string) const
    {
        return FindString(name, 0, string);
    }
    status_t FindString(const char* name, int32 index, BString* string) const;
    status_t FindString(const char* name, std::string* string) const
    {
        return FindString(name, 0, string);
    }
    status_t FindString(const char* name, int32 index, std::string* string) const;
    status_t ReplaceString(const char* name, const char* string)
    {
        return ReplaceString(name, 0, string);
    }
    status_t ReplaceString(const char* name, int32 index, const char* string);
    status_t ReplaceString(const char* name, const BString& string)
    {
        return ReplaceString(name, 0, string.String());
    }
    status_t ReplaceString(const char* name, int32 index, const BString& string)
    {
        return ReplaceString(name, index, string.String());
    }
    status_t ReplaceString(const char* name, const std::string& string)
    {
        return ReplaceString(name, 0, string.c_str());
    }
    status_t ReplaceString(const char* name, int32 index, const std::string& string)
    {
        return ReplaceString(name, index, string.c_str());
    }
    bool HasString(const char* name, int32 index = 0) const
    {
        return HasData(name, B_STRING_TYPE, index);
    }

    // entry_ref
    status_t AddRef(const char* name, const entry_ref* ref);
    status_t FindRef(const char* name, entry_ref* ref) const { return FindRef(name, 0, ref); }
    status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
    status_t ReplaceRef(const char* name, const entry_ref* ref) { return ReplaceRef(name, 0, ref); }
    status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
    bool HasRef(const char* name, int32 index = 0) const
    {
        return HasData(name, B_REF_TYPE, index);
    }

    // Nested messages are copied in; B_BAD_VALUE when nesting would pass
    // B_MESSAGE_MAX_NESTING.
    status_t AddMessage(const char* name, const BMessage* message);
    status_t FindMessage(const char* name, BMessage* message) const
    {
        return FindMessage(name, 0, message);
    }
    status_t FindMessage(const char* name, int32 index, BMessage* message) const;
    status_t ReplaceMessage(const char* name, const BMessage* message)
    {
        return ReplaceMessage(name, 0, message);
    }
    status_t ReplaceMessage(const char* name, int32 index, const BMessage* message);
    bool HasMessage(const char* name, int32 index = 0) const
    {
        return HasData(name, B_MESSAGE_TYPE, index);
    }

    // Delivery and replies. These describe a message as a looper received it; a message made
    // or copied here was not delivered, has no sender and cannot be replied to (B_BAD_REPLY).
    bool WasDelivered() const;
    // A sender waits (synchronously) for the reply and has not had it yet.
    bool IsSourceWaiting() const;
    // The sender waits, or said where replies should go.
    bool IsReplyRequested() const;
    bool IsSourceRemote() const;
    bool IsReply() const;
    bool WasDropped() const;
    // Where SendReply() sends to when the sender does not wait: the handler the sender named,
    // else the application.
    BMessenger ReturnAddress() const;

    // One reply per message goes to a waiting sender (B_DUPLICATE_REPLY after); replies to a
    // sender that does not wait go to the return address, as many as wanted. replyTo is where
    // replies to the reply go. The reply is copied. The forms with replyToReply wait for the
    // answer to the reply in turn.
    status_t SendReply(uint32 command, BHandler* replyTo = nullptr);
    status_t SendReply(BMessage* reply, BHandler* replyTo = nullptr,
                       bigtime_t timeout = B_INFINITE_TIMEOUT);
    status_t SendReply(BMessage* reply, BMessenger replyTo, bigtime_t timeout = B_INFINITE_TIMEOUT);
    status_t SendReply(uint32 command, BMessage* replyToReply);
    status_t SendReply(BMessage* reply, BMessage* replyToReply,
                       bigtime_t sendTimeout = B_INFINITE_TIMEOUT,
                       bigtime_t replyTimeout = B_INFINITE_TIMEOUT);

private:
    friend class BLooper;
    friend class BMessenger;
    friend class BPrivate::ReplySlot;
    friend struct BPrivate::MessageDelivery;

    using Field = BPrivate::MessageField;

    // Looks a name up among the fields: by scanning while the message is small, through
    // fIndex once it has more than this many fields.
    static constexpr size_t kIndexThreshold = 16;

    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const
        {
            return std::hash<std::string_view>()(name);
        }
    };

    template <typename T>
    status_t _AddFixed(const char* name, type_code type, const T& value)
    {
        return _AddItem(name, type, &value, sizeof(T), true);
    }
    template <typename T>
    status_t _FindFixed(const char* name, type_code type, int32 index, T* value) const
    {
        return _CopyItem(name, type, index, value, sizeof(T));
    }
    // bool is kept as one byte, a pointer as eight; everything else as itself.
    static uint8 _Stored(bool value) { return value ? 1 : 0; }
    static uint64 _Stored(const void* pointer) { return (uint64)(uintptr_t)pointer; }
    template <typename T>
    static const T& _Stored(const T& value)
    {
        return value;
    }
    template <typename T>
    status_t _FindConverted(const char* name, type_code type, int32 index, T* value) const
    {
        return _FindFixed(name, type, index, value);
    }
    status_t _FindConverted(const char* name, type_code type, int32 index, bool* value) const;
    status_t _FindConverted(const char* name, type_code type, int32 index, void** value) const;
    template <typename T>
    status_t _ReplaceFixed(const char* name, type_code type, int32 index, const T& value)
    {
        return _ReplaceItem(name, type, index, &value, sizeof(T));
    }

    const Field* _FieldNamed(const char* name) const;
    Field* _FieldNamed(const char* name);
    void _AppendField(Field&& field);
    void _RebuildIndex();

    status_t _AddItem(const char* name, type_code type, const void* data, size_t size,
                      bool fixedSize);
    status_t _FindItem(const char* name, type_code type, int32 index, const uint8** item,
                       size_t* size) const;
    status_t _CopyItem(const char* name, type_code type, int32 index, void* out, size_t size) const;
    status_t _ReplaceItem(const char* name, type_code type, int32 index, const void* data,
                          size_t size);
    void _PrintToStream(int indent) const;
    status_t _SendReply(const BMessage* reply, const BMessenger& replyTo, bigtime_t timeout,
                        BMessage* replyToReply, bigtime_t replyTimeout);

    // Flattened form (MessageFlatten.cpp)
    class Reader;
    void _FlattenTo(uint8* buffer, size_t size) const;
    status_t _Unflatten(const uint8* buffer, size_t size, int32 nesting);
    status_t _ReadField(Reader& reader, int32 nesting);
    static status_t _ReadFixedSizeValues(Reader& reader, Field& field, uint32 count, int32 nesting);
    static status_t _ReadVariableSizeValues(Reader& reader, Field& field, uint32 count,
                                            int32 nesting);
    // Whether bytes are a valid value of a type; nesting is the level of the message holding
    // it, 1 for the outermost.
    static status_t _CheckItem(type_code type, const uint8* item, size_t size, int32 nesting);
    static size_t _FixedSizeOf(type_code type);

    std::vector<Field> fFields;
    std::unordered_map<std::string, size_t, NameHash, std::equal_to<>> fIndex;
    BPrivate::MessageDelivery fDelivery;
};

#undef B_MESSAGE_FIXED_CALLS
