#include "ResourceDescription.h"

#include <File.h>
#include <Message.h>
#include <Resources.h>

#include "AppTestSupport.h"
#include "ChildProcess.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Compiled {
    bool ok = false;
    std::string error;
    std::vector<uint8> blob;
};

Compiled compile(const std::string& text, const std::string& folder = "")
{
    Compiled compiled;
    ResourceDescription result;
    compiled.ok = compile_resource_description(text, "test.rdef", folder, &result, &compiled.error);
    compiled.blob = result.writer.Blob();
    return compiled;
}

std::string resource_bytes(const std::vector<uint8>& blob, type_code type, int32 id)
{
    BResources resources;
    EXPECT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    size_t size = 0;
    const void* data = resources.LoadResource(type, id, &size);
    EXPECT_NE(data, nullptr);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string();
}

} // namespace

TEST(ResourceDescription, ItemsAreLaidEndToEndLittleEndian)
{
    Compiled compiled = compile(R"(
        # one of every kind of item
        resource 'DATA' 3 "all" {
            string "a\"b\\\n\t\x41"
            chars 6 "xy"
            int8 -1 127   uint8 255
            int16 -2      uint16 0x1234
            int32 -3      uint32 4000000000
            int64 -4      uint64 0xffffffffffffffff
            float 1.5     double -2.5e-1
            hex "DE ad be EF"
        }
    )");
    ASSERT_TRUE(compiled.ok) << compiled.error;
    const std::string expected =
        std::string("a\"b\\\n\tA\0", 8) + std::string("xy\0\0\0\0", 6) + "\xff\x7f\xff" +
        "\xfe\xff\x34\x12" + std::string("\xfd\xff\xff\xff\x00\x28\x6b\xee", 8) +
        "\xfc\xff\xff\xff\xff\xff\xff\xff" + std::string(8, '\xff') +
        std::string("\x00\x00\xc0\x3f", 4) + std::string("\x00\x00\x00\x00\x00\x00\xd0\xbf", 8) +
        "\xde\xad\xbe\xef";
    EXPECT_EQ(resource_bytes(compiled.blob, 'DATA', 3), expected);
}

TEST(ResourceDescription, MessagesAreFlattenedWithEveryField)
{
    Compiled compiled = compile(R"(
        resource 'MSGG' 2 {
            message 'abcd' {
                string "types" "audio/x-midi" "audio/midi"
                bool "flag" true false
                int32 "count" 7 -8
                int64 "big" 9000000000
                double "ratio" 0.5
                message "child" 42 { string "leaf" "x" }
            }
        }
    )");
    ASSERT_TRUE(compiled.ok) << compiled.error;
    BMessage child(42);
    child.AddString("leaf", "x");
    BMessage expected('abcd');
    expected.AddString("types", "audio/x-midi");
    expected.AddString("types", "audio/midi");
    expected.AddBool("flag", true);
    expected.AddBool("flag", false);
    expected.AddInt32("count", 7);
    expected.AddInt32("count", -8);
    expected.AddInt64("big", 9000000000LL);
    expected.AddDouble("ratio", 0.5);
    expected.AddMessage("child", &child);
    const std::vector<char> flat = app_test::flatten(expected);
    EXPECT_EQ(resource_bytes(compiled.blob, 'MSGG', 2), std::string(flat.begin(), flat.end()));
}

TEST(ResourceDescription, MistakesAreReportedWithTheirLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"resource 'TEXT' 1 { }\nresource 'TEXT' 1 { }", "test.rdef:2: the type already"},
        {"resource 'TEXT' 1 \"n\" { }\nresource 'TEXT' 2 \"n\" { }",
         "test.rdef:2: the type already"},
        {"\n\nresourse 'TEXT' 1 { }", "test.rdef:3: expected 'resource'"},
        {"resource 'TXT' 1 { }", "a type code is four characters"},
        {"resource 'TEXT' 1 {\n  strnig \"a\" }", "test.rdef:2: unknown item 'strnig'"},
        {"resource 'TEXT' 1 { string \"a }", "a string is not closed"},
        {"resource 'TEXT' 1 { string \"a\\x00b\" }", "cannot hold a NUL"},
        {"resource 'TEXT' 1 { int8 128 }", "'128' is not a int8"},
        {"resource 'TEXT' 1 { uint32 -1 }", "'-1' is not a uint32"},
        {"resource 'TEXT' 1 { int32 12abc }", "'12abc' is not a int32"},
        {"resource 'TEXT' 1 { chars 4 \"four\" }", "does not fit"},
        {"resource 'TEXT' 1 { hex \"abc\" }", "pairs of digits"},
        {"resource 'TEXT' 1 { file \"/nonexistent/file\" }", "cannot open '/nonexistent/file'"},
        {"resource 'MSGG' 1 { message 0 { int32 \"n\" } }", "the field 'n' has no value"},
        {"resource 'MSGG' 1 { message 0 { int32 \"n\" 1 string \"n\" \"x\" } }", "another type"},
        {"resource 'MSGG' 1 { message 0 { bool \"b\" yes } }", "a bool is true or false"},
        {"resource 'TEXT' 1 { string \"a\" ", "found the end"},
    };
    for (const auto& [text, error] : cases) {
        Compiled compiled = compile(text);
        EXPECT_FALSE(compiled.ok) << text;
        EXPECT_NE(compiled.error.find(error), std::string::npos)
            << text << "\n  gave: " << compiled.error;
    }

    // Nesting is bounded as in messages themselves.
    std::string nested = "resource 'MSGG' 1 { message 0 {";
    for (int i = 1; i < B_MESSAGE_MAX_NESTING; i++)
        nested += " message \"m\" 0 {";
    const std::string closing(B_MESSAGE_MAX_NESTING, '}');
    EXPECT_TRUE(compile(nested + closing + " }").ok);
    EXPECT_FALSE(compile(nested + " message \"m\" 0 { " + closing + "} }").ok);
}

TEST(MakeResources, WritesTheBlobTheSourceAndTheDependencies)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "icons");
    folder.WriteText("icons/logo.raw", "LOGO");
    const std::string description = folder.WriteText(
        "app.rdef", "resource 'MIMS' 1 \"BEOS:APP_SIG\" { string \"application/x-vnd.Test\" }\n"
                    "resource 'ICON' 5 { file \"icons/logo.raw\" }\n");
    ASSERT_EQ(run_process({MAKE_RESOURCES, description, "--blob", folder / "app.rsrc", "--cpp",
                           folder / "app.cpp", "--depfile", folder / "app.d"}),
              0);

    BFile file((folder / "app.rsrc").c_str(), B_READ_ONLY);
    BResources resources(&file);
    EXPECT_STREQ(static_cast<const char*>(resources.LoadResource('MIMS', "BEOS:APP_SIG", nullptr)),
                 "application/x-vnd.Test");
    size_t size;
    const void* logo = resources.LoadResource('ICON', 5, &size);
    EXPECT_EQ(std::string(static_cast<const char*>(logo), size), "LOGO")
        << "files are found beside the description";
    const std::string source = TempFolder::ReadText(folder / "app.cpp");
    EXPECT_NE(source.find("register_app_resources(kResourceBlob"), std::string::npos);
    EXPECT_NE(source.find("0x89, 0x42, 0x52, 0x53,"), std::string::npos) << "the blob's magic";
    EXPECT_EQ(TempFolder::ReadText(folder / "app.d"),
              folder / "app.cpp: " + description + " " + folder / "icons/logo.raw\n");

    // A mistake: the message names the line, and no output is left to pass for a good one.
    const std::string bad = folder.WriteText("bad.rdef", "resource 'TEXT' 1 {\n int8 300 }\n");
    EXPECT_EQ(run_process({MAKE_RESOURCES, bad, "--blob", folder / "out.rsrc"}, folder / "errors"),
              1);
    EXPECT_NE(TempFolder::ReadText(folder / "errors").find("bad.rdef:2: '300' is not a int8"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.rsrc"));
    EXPECT_EQ(run_process({MAKE_RESOURCES, description}, folder / "usage"), 2) << "no output named";
}
