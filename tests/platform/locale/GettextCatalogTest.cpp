#include <GettextCatalog.h>

#include "MoFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using BPrivate::GettextCatalog;

static const Messages kMessages = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"Open", "Öffnen"},
    {"Quit", "Beenden"},
    {"Untranslated", ""},
};

static std::string lookup(const GettextCatalog& catalog, const char* key)
{
    const char* text = catalog.Lookup(key);
    return text != nullptr ? text : "(none)";
}

TEST(GettextCatalogTest, ReadsBothByteOrdersAndRefusesEveryTruncation)
{
    for (bool bigEndian : {false, true}) {
        GettextCatalog catalog;
        ASSERT_EQ(catalog.SetTo(mo_bytes(kMessages, bigEndian)), B_OK);
        EXPECT_EQ(lookup(catalog, "Open"), "Öffnen");
        EXPECT_EQ(lookup(catalog, "Quit"), "Beenden");
        // Neither the header nor an empty translation counts as a message.
        EXPECT_EQ(catalog.CountMessages(), 2u);
        EXPECT_EQ(catalog.Lookup(""), nullptr);
        EXPECT_EQ(catalog.Lookup("Untranslated"), nullptr);

        const std::vector<char> valid = mo_bytes(kMessages, bigEndian);
        for (size_t length = 0; length < valid.size(); length++) {
            std::vector<char> cut(valid.begin(), valid.begin() + (ptrdiff_t)length);
            EXPECT_EQ(catalog.SetTo(cut), B_BAD_DATA) << "cut at " << length;
        }
    }
}

TEST(GettextCatalogTest, RefusesFalsifiedFields)
{
    const std::vector<char> valid = mo_bytes(kMessages);
    const uint32_t size = (uint32_t)valid.size();
    const uint32_t originals = 28;
    const uint32_t translations = 28 + 8 * 4;
    struct {
        const char* what;
        size_t offset;
        uint32_t value;
    } falsifications[] = {
        {"wrong magic", 0, 0x950412df},
        {"unknown major revision", 4, 0x00020000},
        {"more messages than the file holds", 8, 0x10000000},
        {"originals table past the end", 12, size - 8},
        {"translations table far past the end", 16, 0xfffffff0},
        {"string offset past the end", originals + 4, size},
        {"string length past the end", originals + 8, size},
        {"length overflowing with its offset", translations + 8, 0xffffffff},
        {"translation at the last byte", translations + 4, size - 1},
    };
    // A refused file also takes away what was loaded before.
    GettextCatalog catalog;
    for (const auto& falsification : falsifications) {
        ASSERT_EQ(catalog.SetTo(valid), B_OK);
        std::vector<char> bytes = valid;
        put32(bytes, falsification.offset, falsification.value, false);
        EXPECT_EQ(catalog.SetTo(bytes), B_BAD_DATA) << falsification.what;
        EXPECT_EQ(catalog.Lookup("Open"), nullptr) << falsification.what;
    }

    // A string whose NUL is missing would run into the next one.
    std::vector<char> unterminated = valid;
    unterminated[std::string(valid.data(), valid.size()).find("Open") + 4] = 'x';
    EXPECT_EQ(catalog.SetTo(unterminated), B_BAD_DATA);
}

TEST(GettextCatalogTest, ReadsFilesThatMsgfmtWritesWithinLimits)
{
    TempFolder folder;
    GettextCatalog catalog;
    EXPECT_EQ(catalog.SetTo((folder / "missing.mo").c_str()), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(catalog.SetTo(folder.Path().c_str()), B_BAD_DATA);
    std::string large = folder / "large.mo";
    write_bytes(large, mo_bytes(kMessages));
    ASSERT_EQ(truncate(large.c_str(), GettextCatalog::kMaxFileSize + 1), 0);
    EXPECT_EQ(catalog.SetTo(large.c_str()), B_BAD_DATA);

    std::string path = folder / "full.mo";
    ASSERT_TRUE(compile_po(path, "msgid \"Open\"\nmsgstr \"Öffnen\"\n\n"
                                 "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Öffnen…\"\n\n"
                                 "msgid \"%d file\"\nmsgid_plural \"%d files\"\n"
                                 "msgstr[0] \"%d Datei\"\nmsgstr[1] \"%d Dateien\"\n"));
    ASSERT_EQ(catalog.SetTo(path.c_str()), B_OK);
    EXPECT_EQ(lookup(catalog, "Open"), "Öffnen");
    // Context and plural forms are keyed by their full original bytes.
    EXPECT_EQ(lookup(catalog, "menu\x04Open"), "Öffnen…");
    const char* plural = catalog.Lookup(std::string_view("%d file\0%d files", 16));
    ASSERT_NE(plural, nullptr);
    EXPECT_STREQ(plural, "%d Datei");
    EXPECT_STREQ(plural + strlen(plural) + 1, "%d Dateien");
}
