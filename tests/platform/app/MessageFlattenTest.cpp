#include "AppTestSupport.h"

#include <DataIO.h>
#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

// The largest single allocation while a test is watching: a stream that merely claims a
// large size must not make the reader allocate it.
static std::atomic<bool> sWatchAllocations{false};
static std::atomic<size_t> sLargestAllocation{0};

// ThreadSanitizer brings its own operator new; there the allocations are not watched.
#if defined(__SANITIZE_THREAD__)
#define WATCHES_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define WATCHES_ALLOCATIONS 0
#endif
#endif
#ifndef WATCHES_ALLOCATIONS
#define WATCHES_ALLOCATIONS 1
#endif

#if WATCHES_ALLOCATIONS
// These replacements pair malloc with free themselves; GCC cannot see that through the
// library's inlined new and delete calls and would warn about every one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t size)
{
    if (sWatchAllocations && size > sLargestAllocation)
        sLargestAllocation = size;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}
#endif

namespace {

using app_test::flatten;

int sAnchor;

// A message with a field of every kind, nested messages and awkward values.
BMessage rich_message()
{
    BMessage grandchild('gchd');
    grandchild.AddString("leaf", "bottom");
    BMessage child('chld');
    child.AddMessage("grandchild", &grandchild);
    BMessage empty;
    float nanWithPayload;
    memcpy(&nanWithPayload, "\x45\x23\xc1\x7f", 4);
    entry_ref ref("/home/user/Music", "Zoë.mid");
    entry_ref unset;

    BMessage message('rich');
    message.AddBool("bool", true);
    message.AddBool("bool", false);
    message.AddInt8("int8", -128);
    message.AddInt16("int16", 32767);
    message.AddInt32("int32", -1);
    message.AddInt64("int64", std::numeric_limits<int64>::min());
    message.AddFloat("float", nanWithPayload);
    message.AddFloat("float", -0.0f);
    message.AddDouble("double", 1.0 / 3.0);
    message.AddString("string", "");
    message.AddString("string", BString("Grüße, 日本語 \xe3\x83\xbb"));
    message.AddString("string", std::string("std"));
    message.AddRect("rect", BRect(0.5f, -1, 1e30f, 7));
    message.AddPoint("point", BPoint(3, -4));
    message.AddRef("refs", &ref);
    message.AddRef("refs", &unset);
    message.AddMessage("child", &child);
    message.AddMessage("child", &empty);
    message.AddPointer("pointer", &sAnchor);
    message.AddData("raw", 'Blob', "\0\xff\x80", 3, false);
    message.AddData("raw", 'Blob', "", 0, false);
    message.AddData("color", B_RGB_COLOR_TYPE, "\x10\x20\x30\xff", 4);
    return message;
}

TEST(MessageFlattenTest, EveryTypeRoundTripsExactly)
{
    std::vector<char> bytes = flatten(rich_message());
    BMessage copy;
    ASSERT_EQ(copy.Unflatten(bytes.data(), bytes.size()), B_OK);
    EXPECT_EQ(flatten(copy), bytes);
    EXPECT_EQ(copy.what, uint32('rich'));
    EXPECT_EQ(copy.CountNames(B_ANY_TYPE), 15) << "a value of every type was added";

    // Fixed-size values all read through one path, which the other suites use for every type;
    // what takes a path of its own is read here. Floats come back bit for bit, NaN payload and
    // negative zero included; pointers are converted on the way.
    float f[2];
    ASSERT_EQ(copy.FindFloat("float", 0, &f[0]), B_OK);
    ASSERT_EQ(copy.FindFloat("float", 1, &f[1]), B_OK);
    EXPECT_EQ(memcmp(f, "\x45\x23\xc1\x7f\0\0\0\x80", 8), 0);
    void* pointer = nullptr;
    EXPECT_TRUE(copy.FindPointer("pointer", &pointer) == B_OK && pointer == &sAnchor);
    BString bstring;
    EXPECT_TRUE(copy.FindString("string", 1, &bstring) == B_OK &&
                bstring == "Grüße, 日本語 \xe3\x83\xbb");
    entry_ref ref("x", "y");
    EXPECT_TRUE(copy.FindRef("refs", 1, &ref) == B_OK && ref == entry_ref());
    const void* data;
    ssize_t size;
    EXPECT_TRUE(copy.FindData("raw", 'Blob', 1, &data, &size) == B_OK && size == 0);
}

TEST(MessageFlattenTest, TheLayoutIsTheDocumentedOne)
{
    BMessage message('abcd');
    message.AddInt32("n", 5);
    message.AddString("s", "hi");
    message.AddString("s", "");

    // clang-format off
    const uint8 expected[] = {
        0x89, 'B', 'M', 'F', 1, 0, 0, 0,     // magic, version 1, flags
        64, 0, 0, 0,                         // total size
        'd', 'c', 'b', 'a', 2, 0, 0, 0,      // what, field count
        'G', 'N', 'O', 'L', 1, 0, 0, 0,      // B_INT32_TYPE, one value
        1, 1, 'n', 0,                        // fixed size, name
        4, 0, 0, 0, 5, 0, 0, 0,              // item size, the value
        'R', 'T', 'S', 'C', 2, 0, 0, 0,      // B_STRING_TYPE, two values
        0, 1, 's', 0,                        // variable size, name
        3, 0, 0, 0, 1, 0, 0, 0, 'h', 'i', 0, 0, // sizes, then the values
    };
    // clang-format on
    std::vector<char> bytes = flatten(message);
    ASSERT_EQ(bytes.size(), sizeof(expected));
    EXPECT_EQ(memcmp(bytes.data(), expected, sizeof(expected)), 0);
}

void expect_rejected(const std::vector<char>& bytes, const char* why)
{
    BMessage message('junk');
    message.AddInt32("stale", 1);
    status_t status = message.Unflatten(bytes.data(), bytes.size());
    EXPECT_LT(status, 0) << why;
    EXPECT_TRUE(message.IsEmpty()) << why;
    EXPECT_EQ(message.what, 0u) << why;
}

TEST(MessageFlattenTest, TruncationsAreRejectedAndCorruptionsRejectedOrReadAsAValidMessage)
{
    std::vector<char> bytes = flatten(rich_message());
    for (size_t length = 0; length < bytes.size(); length++) {
        std::vector<char> prefix(bytes.begin(), bytes.begin() + (ptrdiff_t)length);
        expect_rejected(prefix, ("prefix of " + std::to_string(length)).c_str());
    }
    std::vector<char> longer = bytes;
    longer.push_back(0);
    expect_rejected(longer, "a trailing byte");

    for (size_t offset = 0; offset < bytes.size(); offset++) {
        for (uint8 pattern : {0x01, 0x80, 0xff}) {
            std::vector<char> corrupted = bytes;
            corrupted[offset] = (char)(corrupted[offset] ^ pattern);
            BMessage message;
            if (message.Unflatten(corrupted.data(), corrupted.size()) == B_OK) {
                // Whatever was accepted must be a message that reads and writes back the same.
                EXPECT_EQ(flatten(message), corrupted) << offset;
            } else {
                EXPECT_TRUE(message.IsEmpty()) << offset;
            }
        }
    }
}

// Builds flattened messages by hand, to break one rule at a time.
class Bytes {
public:
    Bytes& u8(uint8 value)
    {
        fBytes.push_back((char)value);
        return *this;
    }
    Bytes& u16(uint16 value) { return u8((uint8)value).u8((uint8)(value >> 8)); }
    Bytes& u32(uint32 value)
    {
        for (int i = 0; i < 4; i++)
            u8((uint8)(value >> (8 * i)));
        return *this;
    }
    Bytes& raw(const char* bytes, size_t size)
    {
        fBytes.insert(fBytes.end(), bytes, bytes + size);
        return *this;
    }
    Bytes& header(uint32 fieldCount, uint32 what = 'test')
    {
        // magic, version, flags, size (see Sized()), what, field count
        return u8(0x89).raw("BMF", 3).u16(1).u16(0).u32(0).u32(what).u32(fieldCount);
    }
    Bytes& field(type_code type, uint32 count, uint8 flags, const std::string& name)
    {
        u32(type).u32(count).u8(flags).u8((uint8)name.size());
        return raw(name.c_str(), name.size() + 1);
    }
    // Puts the total size into the header, as a writer would.
    std::vector<char> Sized() const
    {
        std::vector<char> bytes = fBytes;
        for (int i = 0; i < 4; i++)
            bytes[8 + i] = (char)(bytes.size() >> (8 * i));
        return bytes;
    }

private:
    std::vector<char> fBytes;
};

TEST(MessageFlattenTest, MalformedMessagesAreRejected)
{
    auto one = [] { return Bytes().header(1); };
    auto blob = [](Bytes bytes) { return bytes.field('Blob', 1, 1, "n").u32(1).u8(0); };
    auto nested = [](const std::vector<char>& inner) {
        return Bytes()
            .header(1)
            .field(B_MESSAGE_TYPE, 1, 0, "m")
            .u32((uint32)inner.size())
            .raw(inner.data(), inner.size());
    };
    std::vector<char> valid = one().field(B_INT32_TYPE, 2, 1, "n").u32(4).u32(7).u32(8).Sized();
    BMessage message;
    ASSERT_EQ(message.Unflatten(valid.data(), valid.size()), B_OK);
    std::vector<char> badMagic = valid;
    badMagic[1] = 'b';
    EXPECT_EQ(message.Unflatten(badMagic.data(), badMagic.size()), B_NOT_A_MESSAGE);

    auto changed = [&](size_t offset, char value) {
        std::vector<char> bytes = valid;
        bytes[offset] = value;
        return bytes;
    };
    std::vector<char> innerTooLong = Bytes().header(0).Sized();
    innerTooLong[8] = 21;
    // The deepest chain allowed is read; one level more is not.
    std::vector<char> chain = Bytes().header(0).Sized();
    for (int32 level = 1; level < B_MESSAGE_MAX_NESTING; level++)
        chain = nested(chain).Sized();
    ASSERT_EQ(message.Unflatten(chain.data(), chain.size()), B_OK);

    const struct {
        const char* why;
        std::vector<char> bytes;
    } cases[] = {
        {"unknown version", changed(4, 2)},
        {"reserved header flags", changed(6, 1)},
        {"total size disagrees with the buffer", changed(8, (char)(valid.size() - 1))},
        {"fewer fields than counted", changed(16, 2)},
        {"a field without values", changed(24, 0)},
        {"unknown field flags", changed(28, 3)},
        {"empty name", changed(29, 0)},
        {"name not terminated", changed(31, 'n')},
        {"duplicate name", blob(blob(Bytes().header(2))).Sized()},
        {"an int32 of three bytes",
         one().field(B_INT32_TYPE, 1, 1, "n").u32(3).raw("abc", 3).Sized()},
        {"an int32 field not fixed-size",
         one().field(B_INT32_TYPE, 1, 0, "n").u32(4).u32(7).Sized()},
        {"a bool neither 0 nor 1", one().field(B_BOOL_TYPE, 1, 1, "b").u32(1).u8(2).Sized()},
        {"fixed-size values of size 0", one().field('Blob', 3, 1, "z").u32(0).Sized()},
        {"more fixed-size values than bytes", one().field('Blob', 1u << 30, 1, "z").u32(4).Sized()},
        {"more value sizes than bytes", one().field('Blob', 1u << 30, 0, "z").u32(0).Sized()},
        {"a field of any type", one().field(B_ANY_TYPE, 1, 0, "a").u32(0).Sized()},
        {"a string without NUL",
         one().field(B_STRING_TYPE, 1, 0, "s").u32(3).raw("abc", 3).Sized()},
        {"a string with two NULs",
         one().field(B_STRING_TYPE, 1, 0, "s").u32(3).raw("a\0", 3).Sized()},
        {"a string of no bytes", one().field(B_STRING_TYPE, 1, 0, "s").u32(0).Sized()},
        {"a fixed-size string", one().field(B_STRING_TYPE, 1, 1, "s").u32(2).raw("a", 2).Sized()},
        {"a ref not ending in NUL",
         one().field(B_REF_TYPE, 1, 0, "r").u32(5).raw("a\0b\0c", 5).Sized()},
        {"a ref of three strings",
         one().field(B_REF_TYPE, 1, 0, "r").u32(6).raw("a\0b\0c", 6).Sized()},
        {"a trailing byte", nested(Bytes().header(0).Sized()).u8(0).Sized()},
        {"nested size disagrees with its value", nested(innerTooLong).Sized()},
        {"nested bytes that are no message", nested(badMagic).Sized()},
        {"nested too deep", nested(chain).Sized()},
    };
    for (const auto& malformed : cases)
        expect_rejected(malformed.bytes, malformed.why);
}

TEST(MessageFlattenTest, BufferFormsCheckTheirArgumentsAndStreamFormsReadOneMessageEach)
{
    std::vector<char> bytes = flatten(rich_message());
    EXPECT_EQ(rich_message().Flatten(bytes.data(), (ssize_t)bytes.size() - 1), B_BAD_VALUE);
    EXPECT_EQ(rich_message().Flatten((char*)nullptr, 1000), B_BAD_VALUE);

    // The unbounded form reads as many bytes as the header says, and no more.
    bytes.resize(bytes.size() + 16, 'x');
    BMessage message;
    ASSERT_EQ(message.Unflatten(bytes.data()), B_OK);
    EXPECT_EQ(message.what, uint32('rich'));
    EXPECT_EQ(message.Unflatten("not a message"), B_NOT_A_MESSAGE);
    EXPECT_EQ(message.Unflatten((const char*)nullptr), B_BAD_VALUE);

    // In a stream, messages follow each other.
    BMallocIO stream;
    BMessage first = rich_message();
    // Large enough to arrive in several pieces.
    std::vector<char> blob(200000);
    for (size_t i = 0; i < blob.size(); i++)
        blob[i] = (char)(i * 7);
    BMessage second('2nd ');
    second.AddData("blob", 'Blob', blob.data(), (ssize_t)blob.size());
    ssize_t written = 0;
    ASSERT_EQ(first.Flatten(&stream, &written), B_OK);
    EXPECT_EQ(written, first.FlattenedSize());
    ASSERT_EQ(second.Flatten(&stream), B_OK);
    stream.Seek(0, SEEK_SET);

    BMessage readFirst;
    BMessage readSecond;
    BMessage readThird('left');
    ASSERT_EQ(readFirst.Unflatten(&stream), B_OK);
    ASSERT_EQ(readSecond.Unflatten(&stream), B_OK);
    EXPECT_EQ(flatten(readFirst), flatten(first));
    EXPECT_EQ(flatten(readSecond), flatten(second));
    EXPECT_EQ(readThird.Unflatten(&stream), B_NOT_A_MESSAGE);
    EXPECT_EQ(readThird.what, 0u);
}

TEST(MessageFlattenTest, AStreamClaimingAHugeSizeIsNotBelieved)
{
    if (!WATCHES_ALLOCATIONS)
        GTEST_SKIP() << "allocations are not watched under ThreadSanitizer";
    for (uint32 claimed : {uint32(B_MESSAGE_MAX_FLATTENED_SIZE), uint32(0xffffffff)}) {
        std::vector<char> bytes = Bytes().header(1).field(B_INT32_TYPE, 1, 1, "n").Sized();
        for (int i = 0; i < 4; i++)
            bytes[8 + i] = (char)(claimed >> (8 * i));
        BMemoryIO stream(bytes.data(), bytes.size());
        BMessage message;
        sLargestAllocation = 0;
        sWatchAllocations = true;
        status_t status = message.Unflatten(&stream);
        sWatchAllocations = false;
        EXPECT_EQ(status, B_BAD_DATA) << claimed;
        EXPECT_LE(sLargestAllocation.load(), 256u * 1024) << claimed;
    }
}

} // namespace
