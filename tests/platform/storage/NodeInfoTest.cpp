#include <Node.h>
#include <NodeInfo.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string type_of(BNode* node)
{
    BNodeInfo info(node);
    char type[B_MIME_TYPE_LENGTH];
    status_t status = info.GetType(type);
    return status == B_OK ? type : "error " + std::to_string(status);
}

} // namespace

TEST(NodeInfoTest, AStoredTypeWinsOverTheExtensionAndNeedsAnOpenNode)
{
    TempFolder folder;
    const struct {
        const char* leaf;
        const char* type;
    } cases[] = {
        {"ReadMe_enUS.txt", "text/plain"},
        {"Page.HTML", "text/html"},
        {"tune.mid", "audio/midi"},
        {"no-extension", "application/octet-stream"},
        {"archive.xyz", "application/octet-stream"},
    };
    for (const auto& each : cases) {
        BNode node(folder.WriteText(each.leaf, "x").c_str());
        EXPECT_EQ(type_of(&node), each.type) << each.leaf;
    }

    // A node that is not open, or none at all, has no type.
    BNode missing("/nonexistent/file.txt");
    EXPECT_NE(BNodeInfo(&missing).InitCheck(), B_OK);
    EXPECT_EQ(type_of(&missing), "error " + std::to_string(B_NO_INIT));
    char type[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(BNodeInfo().GetType(type), B_NO_INIT);

    // A stored type wins over the extension (where the folder keeps attributes).
    BNode notes(folder.WriteText("notes.txt", "x").c_str());
    EXPECT_TRUE(BNodeInfo(&notes).SetType("text/x-notes") == B_UNSUPPORTED ||
                type_of(&notes) == "text/x-notes")
        << type_of(&notes);
}
