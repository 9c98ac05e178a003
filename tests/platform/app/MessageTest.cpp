#include "AppTestSupport.h"
#include "MessageFields.h"

#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string string_at(const BMessage& message, const char* name, int32 index = 0)
{
    std::string text;
    return message.FindString(name, index, &text) == B_OK ? text : "<none>";
}

TEST(MessageTest, LookupFailuresSayWhyAndLeaveTheOutputAlone)
{
    BMessage message;
    message.AddInt32("number", 7);
    message.AddString("text", "seven");

    int32 number = 99;
    EXPECT_EQ(message.FindInt32("missing", &number), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindInt32("text", &number), B_BAD_TYPE);
    EXPECT_EQ(message.FindInt32("number", 1, &number), B_BAD_INDEX);
    EXPECT_EQ(message.FindInt32("number", -1, &number), B_BAD_INDEX);
    EXPECT_EQ(message.FindInt32(nullptr, &number), B_BAD_VALUE);
    EXPECT_EQ(message.FindInt32("number", (int32*)nullptr), B_BAD_VALUE);
    EXPECT_EQ(number, 99);

    const char* text = "kept";
    BString bstring("kept");
    std::string stdString("kept");
    bool flag = true;
    void* pointer = &flag;
    entry_ref ref("/dir", "leaf");
    BMessage nested('keep');
    nested.AddBool("kept", true);
    const void* data = &flag;
    ssize_t size = -7;
    type_code type = 0;
    EXPECT_EQ(message.FindString("number", &text), B_BAD_TYPE);
    EXPECT_EQ(message.FindString("text", 1, &bstring), B_BAD_INDEX);
    EXPECT_EQ(message.FindString("missing", &stdString), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindBool("number", &flag), B_BAD_TYPE);
    EXPECT_EQ(message.FindPointer("missing", &pointer), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.FindRef("text", &ref), B_BAD_TYPE);
    EXPECT_EQ(message.FindMessage("text", &nested), B_BAD_TYPE);
    EXPECT_EQ(message.FindData("text", B_INT32_TYPE, &data, &size), B_BAD_TYPE);
    EXPECT_EQ(message.FindData("text", B_ANY_TYPE, 1, &data, &size), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo("missing", &type), B_NAME_NOT_FOUND);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(bstring, "kept");
    EXPECT_EQ(stdString, "kept");
    EXPECT_TRUE(flag);
    EXPECT_EQ(pointer, &flag);
    EXPECT_EQ(ref, entry_ref("/dir", "leaf"));
    EXPECT_EQ(nested.what, uint32('keep'));
    EXPECT_TRUE(nested.HasBool("kept"));
    EXPECT_EQ(data, &flag);
    EXPECT_EQ(size, -7);
    EXPECT_EQ(type, 0u);

    EXPECT_TRUE(message.HasString("text"));
    EXPECT_FALSE(message.HasString("text", 1));
    EXPECT_FALSE(message.HasInt32("text"));
    EXPECT_TRUE(message.HasData("text", B_ANY_TYPE));
}

TEST(MessageTest, AddingRefusesValuesTheFieldOrTypeCannotHold)
{
    BMessage message;
    message.AddInt32("number", 1);
    EXPECT_EQ(message.AddString("number", "one"), B_BAD_TYPE);
    EXPECT_EQ(message.AddData("number", B_INT32_TYPE, "abc", 3), B_BAD_VALUE);
    EXPECT_EQ(message.AddString("text", nullptr), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32(nullptr, 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32("", 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32(std::string(256, 'n').c_str(), 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddInt32(std::string(255, 'n').c_str(), 1), B_OK);
    EXPECT_EQ(message.AddData("any", B_ANY_TYPE, "x", 1), B_BAD_TYPE);
    EXPECT_EQ(message.AddData("neg", 'Blob', "x", -1), B_BAD_VALUE);

    // Typed data added raw must be a value of its type: it will be read back as one.
    EXPECT_EQ(message.AddData("bool", B_BOOL_TYPE, "\x02", 1), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("string", B_STRING_TYPE, "no nul", 6), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("string", B_STRING_TYPE, "a\0b", 4), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("ref", B_REF_TYPE, "only one", 9), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("message", B_MESSAGE_TYPE, "not a message", 13), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("string", B_STRING_TYPE, "ok", 3), B_OK);

    // Other types: a fixed-size field keeps the size of its first value.
    EXPECT_EQ(message.AddData("fixed", 'Blob', "ab", 2), B_OK);
    EXPECT_EQ(message.AddData("fixed", 'Blob', "abc", 3), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("fixed", 'Blob', "cd", 2), B_OK);
    EXPECT_EQ(message.AddData("empty", 'Blob', "", 0), B_BAD_VALUE);
    EXPECT_EQ(message.AddData("loose", 'Blob', "", 0, false), B_OK);
    EXPECT_EQ(message.AddData("loose", 'Blob', "abc", 3, true), B_OK);

    bool fixedSize = false;
    int32 count = 0;
    EXPECT_EQ(message.GetInfo("fixed", nullptr, &count, &fixedSize), B_OK);
    EXPECT_TRUE(fixedSize);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(message.GetInfo("loose", nullptr, &count, &fixedSize), B_OK);
    EXPECT_FALSE(fixedSize);
    EXPECT_EQ(count, 2);

    // Strings end at their first NUL, whatever holds them.
    message.AddString("cut", std::string("before\0after", 12));
    EXPECT_EQ(string_at(message, "cut"), "before");

    // Messages nest only up to the limit.
    BMessage chain('deep');
    for (int32 level = 1; level < B_MESSAGE_MAX_NESTING; level++) {
        BMessage outer('deep');
        ASSERT_EQ(outer.AddMessage("inner", &chain), B_OK) << level;
        chain = outer;
    }
    EXPECT_EQ(message.AddMessage("inner", &chain), B_BAD_VALUE);
    EXPECT_EQ(message.AddMessage("inner", nullptr), B_BAD_VALUE);
}

TEST(MessageTest, ReplacingOrAddingAValueKeepsItsNeighboursEvenWhenItComesFromTheField)
{
    BMessage message;
    for (const char* text : {"first", "second", "third"})
        message.AddString("text", text);
    message.AddInt32("number", 1);
    message.AddInt32("number", 2);

    ASSERT_EQ(message.ReplaceString("text", 1, "a much longer second value"), B_OK);
    ASSERT_EQ(message.ReplaceString("text", "1st"), B_OK);
    ASSERT_EQ(message.ReplaceInt32("number", 1, 20), B_OK);
    EXPECT_EQ(string_at(message, "text", 0), "1st");
    EXPECT_EQ(string_at(message, "text", 1), "a much longer second value");
    EXPECT_EQ(string_at(message, "text", 2), "third");
    int32 number = 0;
    EXPECT_TRUE(message.FindInt32("number", 1, &number) == B_OK && number == 20);

    EXPECT_EQ(message.ReplaceInt32("missing", 1), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.ReplaceInt64("number", 1), B_BAD_TYPE);
    EXPECT_EQ(message.ReplaceInt32("number", 2, 1), B_BAD_INDEX);
    EXPECT_EQ(message.ReplaceData("number", B_INT32_TYPE, "ab", 2), B_BAD_VALUE);
    EXPECT_EQ(message.ReplaceString("text", (const char*)nullptr), B_BAD_VALUE);

    BMessage child('chld');
    BMessage other('othr');
    message.AddMessage("child", &child);
    ASSERT_EQ(message.ReplaceMessage("child", &other), B_OK);
    BMessage found;
    message.FindMessage("child", &found);
    EXPECT_EQ(found.what, uint32('othr'));

    // A value found in a field can be added to it again: it then lives in the buffer that
    // grows under it.
    message.AddString("echo", "an echo that repeats itself");
    for (int i = 0; i < 64; i++) {
        const char* last;
        ASSERT_EQ(message.FindString("echo", i, &last), B_OK);
        ASSERT_EQ(message.AddString("echo", last), B_OK);
    }
    EXPECT_EQ(string_at(message, "echo", 64), "an echo that repeats itself");

    // Growing the first value moves the second, which is the new value.
    BMessage two;
    two.AddString("text", "short");
    two.AddString("text", "a much longer value");
    const char* second;
    two.FindString("text", 1, &second);
    ASSERT_EQ(two.ReplaceString("text", 0, second), B_OK);
    EXPECT_EQ(string_at(two, "text", 0), "a much longer value");
}

TEST(MessageTest, FieldsKeepTheOrderOfTheirFirstValueAndGoWithTheirLast)
{
    BMessage message('keep');
    message.AddInt32("zulu", 1);
    message.AddString("alpha", "a");
    message.AddInt32("mike", 2);
    message.AddInt32("zulu", 3);

    auto names = [&](type_code type) {
        std::string joined;
        char* name;
        type_code found;
        for (int32 i = 0; message.GetInfo(type, i, &name, &found) == B_OK; i++)
            joined += std::string(name) + " ";
        return joined;
    };
    EXPECT_EQ(names(B_ANY_TYPE), "zulu alpha mike ");
    EXPECT_EQ(names(B_INT32_TYPE), "zulu mike ");

    char* name = nullptr;
    type_code type = 0;
    int32 count = 0;
    ASSERT_EQ(message.GetInfo(B_ANY_TYPE, 0, &name, &type, &count), B_OK);
    EXPECT_EQ(type, (type_code)B_INT32_TYPE);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(message.GetInfo(B_ANY_TYPE, 3, &name, &type), B_BAD_INDEX);
    EXPECT_EQ(message.GetInfo(B_FLOAT_TYPE, 0, &name, &type), B_BAD_TYPE);

    EXPECT_EQ(message.RemoveName("alpha"), B_OK);
    EXPECT_EQ(message.RemoveName("alpha"), B_NAME_NOT_FOUND);
    message.AddString("alpha", "again");
    EXPECT_EQ(names(B_ANY_TYPE), "zulu mike alpha ");

    // Removing the last value removes the field.
    EXPECT_EQ(message.RemoveData("zulu", 2), B_BAD_INDEX);
    EXPECT_EQ(message.RemoveData("zulu", 0), B_OK);
    EXPECT_EQ(int32_of(message, "zulu"), 3);
    EXPECT_EQ(message.RemoveData("zulu"), B_OK);
    EXPECT_FALSE(message.HasInt32("zulu"));
    EXPECT_EQ(names(B_ANY_TYPE), "mike alpha ");

    message.AddString("alpha", "yy");
    message.AddString("alpha", "zzz");
    ASSERT_EQ(message.RemoveData("alpha", 1), B_OK);
    const void* data;
    ssize_t size;
    ASSERT_EQ(message.FindData("alpha", B_STRING_TYPE, 1, &data, &size), B_OK);
    EXPECT_EQ(size, 4);
    EXPECT_STREQ(static_cast<const char*>(data), "zzz");

    message.MakeEmpty();
    EXPECT_TRUE(message.IsEmpty());
    EXPECT_EQ(message.what, uint32('keep'));
}

TEST(MessageTest, ManyFieldsAreFoundByName)
{
    // Enough fields for lookups to go through the name index, including after removals.
    BMessage message;
    for (int32 i = 0; i < 500; i++)
        ASSERT_EQ(message.AddInt32(("field " + std::to_string(i)).c_str(), i), B_OK);
    for (int32 i = 0; i < 500; i += 3)
        ASSERT_EQ(message.RemoveName(("field " + std::to_string(i)).c_str()), B_OK);
    // The copy goes through the flattened form, where order must survive as well.
    const std::vector<char> bytes = app_test::flatten(message);
    BMessage copy;
    ASSERT_EQ(copy.Unflatten(bytes.data(), bytes.size()), B_OK);

    for (int32 i = 0; i < 500; i++) {
        int32 value = -1;
        status_t status = copy.FindInt32(("field " + std::to_string(i)).c_str(), &value);
        if (i % 3 == 0) {
            EXPECT_EQ(status, B_NAME_NOT_FOUND) << i;
        } else {
            EXPECT_EQ(status, B_OK) << i;
            EXPECT_EQ(value, i);
        }
    }
    char* name;
    type_code type;
    ASSERT_EQ(copy.GetInfo(B_ANY_TYPE, 0, &name, &type), B_OK);
    EXPECT_STREQ(name, "field 1");
    EXPECT_EQ(copy.AddInt64("field 2", 0), B_BAD_TYPE);
}

TEST(MessageTest, PrintToStreamShowsNestedMessagesIndented)
{
    BMessage child('chld');
    child.AddString("name", "inner");
    BMessage message(0x01020304);
    message.AddInt32("count", -3);
    message.AddMessage("child", &child);
    message.AddData("blob", 'Blob', "\x01\xfe", 2);

    testing::internal::CaptureStdout();
    message.PrintToStream();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "BMessage(0x01020304) {\n"
              "    \"count\"[0] 'LONG' = -3\n"
              "    \"child\"[0] 'MSGG' = BMessage('chld') {\n"
              "        \"name\"[0] 'CSTR' = \"inner\"\n"
              "    }\n"
              "    \"blob\"[0] 'Blob' = 2 bytes: 01 fe\n"
              "}\n");
}

} // namespace
