#include <Node.h>
#include <String.h>
#include <TypeConstants.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/xattr.h>

class NodeTest : public testing::Test {
protected:
    void SetUp() override
    {
        fPath = fFolder.WriteText("tune.mid", "MThd");
        ASSERT_EQ(fNode.SetTo(fPath.c_str()), B_OK);
        if (fNode.WriteAttr("probe", B_RAW_TYPE, 0, "", 0) == B_UNSUPPORTED)
            GTEST_SKIP() << "the temporary folder keeps no attributes";
    }

    std::string ReadAll(const char* name)
    {
        char buffer[64];
        ssize_t count = fNode.ReadAttr(name, B_RAW_TYPE, 0, buffer, sizeof(buffer));
        return count < 0 ? "error " + std::to_string(count) : std::string(buffer, (size_t)count);
    }

    TempFolder fFolder;
    std::string fPath;
    BNode fNode;
};

TEST_F(NodeTest, AttributesLiveInTheUserNamespaceTextsWithoutTheirNul)
{
    EXPECT_EQ(fNode.WriteAttr("comment", B_STRING_TYPE, 0, "first take", 10), 10);
    char raw[32];
    EXPECT_EQ(getxattr(fPath.c_str(), "user.comment", raw, sizeof(raw)), 10);

    // Offset 0 replaces the whole value; further in, what comes before is kept.
    EXPECT_EQ(fNode.WriteAttr("comment", B_STRING_TYPE, 0, "second", 6), 6);
    EXPECT_EQ(fNode.WriteAttr("comment", B_STRING_TYPE, 8, "!", 1), 1);
    EXPECT_EQ(ReadAll("comment"), std::string("second\0\0!", 9));
    EXPECT_EQ(fNode.ReadAttr("comment", B_STRING_TYPE, 2, raw, 4), 4);
    EXPECT_EQ(std::string(raw, 4), "cond");
    EXPECT_EQ(fNode.ReadAttr("comment", B_STRING_TYPE, 100, raw, 4), 0);

    EXPECT_EQ(fNode.RemoveAttr("comment"), B_OK);
    EXPECT_EQ(fNode.ReadAttr("comment", B_STRING_TYPE, 0, raw, 4), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(fNode.RemoveAttr("comment"), B_ENTRY_NOT_FOUND);

    BString type("audio/midi");
    EXPECT_EQ(fNode.WriteAttrString("mime_type", &type), B_OK);
    EXPECT_EQ(ReadAll("mime_type"), "audio/midi"); // without a NUL, as desktop tools write it

    // Other programs may store the terminating NUL; it is not part of the text.
    ASSERT_EQ(setxattr(fPath.c_str(), "user.mime_type", "audio/x-midi", 13, 0), 0);
    BString read;
    EXPECT_EQ(fNode.ReadAttrString("mime_type", &read), B_OK);
    EXPECT_EQ(read, "audio/x-midi");
}

TEST_F(NodeTest, BadAttributeRequests)
{
    std::string longName(B_ATTR_NAME_LENGTH + 1, 'n');
    EXPECT_EQ(fNode.WriteAttr(longName.c_str(), B_RAW_TYPE, 0, "x", 1), B_NAME_TOO_LONG);
    EXPECT_EQ(fNode.WriteAttr(nullptr, B_RAW_TYPE, 0, "x", 1), B_BAD_VALUE);
    EXPECT_EQ(fNode.WriteAttr("a", B_RAW_TYPE, -1, "x", 1), B_BAD_VALUE);
    // An offset far beyond what an attribute can hold is refused before anything is sized.
    EXPECT_EQ(fNode.WriteAttr("a", B_RAW_TYPE, (off_t)1 << 40, "x", 1), B_BAD_VALUE);

    BNode missing((fFolder / "missing").c_str());
    EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(missing.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), B_NO_INIT);
}

TEST(NodeWithoutAttributesTest, CallsFailCleanly)
{
    // procfs keeps no user attributes.
    BNode node("/proc/self/stat");
    if (node.InitCheck() != B_OK)
        GTEST_SKIP() << "no /proc here";
    char buffer[4];
    EXPECT_LT(node.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), 0);
    EXPECT_LT(node.ReadAttr("a", B_RAW_TYPE, 0, buffer, 4), 0);
}

TEST_F(NodeTest, AttributesAreListedWithTheirSizes)
{
    fNode.WriteAttr("comment", B_STRING_TYPE, 0, "first take", 10);
    fNode.WriteAttr("empty", B_RAW_TYPE, 0, "", 0);
    // Attributes outside the user namespace (where the system lets us write one) are not
    // the node's attributes here.
    (void)setxattr(fPath.c_str(), "trusted.x", "1", 1, 0);

    std::map<std::string, off_t> listed;
    char name[B_ATTR_NAME_LENGTH + 1];
    while (fNode.GetNextAttrName(name) == B_OK) {
        // Written during the walk: not seen before a rewind.
        fNode.WriteAttr("late", B_RAW_TYPE, 0, "x", 1);
        attr_info info;
        ASSERT_EQ(fNode.GetAttrInfo(name, &info), B_OK);
        listed[name] = info.size;
    }
    EXPECT_EQ(listed, (std::map<std::string, off_t>{{"comment", 10}, {"empty", 0}, {"probe", 0}}));
    EXPECT_EQ(fNode.GetNextAttrName(name), B_ENTRY_NOT_FOUND);

    EXPECT_EQ(fNode.RewindAttrs(), B_OK);
    int count = 0;
    while (fNode.GetNextAttrName(name) == B_OK)
        count++;
    EXPECT_EQ(count, 4);
    attr_info info;
    EXPECT_EQ(fNode.GetAttrInfo("missing", &info), B_ENTRY_NOT_FOUND);
}
