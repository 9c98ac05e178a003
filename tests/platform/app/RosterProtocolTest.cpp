#include <Message.h>
#include <RosterProtocol.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace BPrivate::roster_protocol;

namespace {

std::vector<char> flatten(const BMessage& message)
{
    std::vector<char> bytes((size_t)message.FlattenedSize());
    EXPECT_EQ(message.Flatten(bytes.data(), (ssize_t)bytes.size()), B_OK);
    return bytes;
}

} // namespace

TEST(RosterInboxName, HasOneSpellingThatFitsAPortName)
{
    const char* signature = "application/x-vnd.Some-Rather-Long-Application-Signature";
    // Port names are cut at B_OS_NAME_LENGTH - 1 bytes: an inbox name must survive whole.
    const std::string name = inbox_name(INT32_MAX, signature);
    EXPECT_LT(name.size(), (size_t)B_OS_NAME_LENGTH);
    team_id team = 0;
    uint32 hash = 0;
    ASSERT_TRUE(parse_inbox_name(name.c_str(), &team, &hash));
    EXPECT_EQ(team, INT32_MAX);
    EXPECT_EQ(hash, signature_hash(signature));
    // FNV-1a: every build and every process must publish the same names.
    EXPECT_EQ(signature_hash(""), 0x811c9dc5u);
    EXPECT_EQ(signature_hash("a"), 0xe40c292cu);

    for (const char* other :
         {"app-inbox:12", "app-inbox::0123abcd", "app-inbox:0:0123abcd", "app-inbox:-5:0123abcd",
          "app-inbox:075:0123abcd", "app-inbox:12345678901:0123abcd", "app-inbox:12:0123abc",
          "app-inbox:12:0123abcd0", "app-inbox:12:0123ABCD", "SomeOtherPort"}) {
        team = 77;
        EXPECT_FALSE(parse_inbox_name(other, &team, &hash)) << other;
        EXPECT_EQ(team, 77) << other;
    }
}

TEST(RosterInboxRecord, CarriesExactlyOneFlattenedMessage)
{
    BMessage sent('abcd');
    sent.AddString("text", "hello");
    const std::vector<char> bytes = flatten(sent);

    BMessage got;
    ASSERT_EQ(decode_inbox_record(kBroadcastRecord, bytes.data(), bytes.size(), &got), B_OK);
    EXPECT_EQ(got.what, (uint32)'abcd');
    EXPECT_TRUE(got.HasString("text"));

    // Another code, a record cut short, a byte too many, nothing at all: all dropped, and
    // the message left empty so that nothing of a bad record is handed on.
    EXPECT_NE(decode_inbox_record('abcd', bytes.data(), bytes.size(), &got), B_OK);
    EXPECT_TRUE(got.IsEmpty());
    EXPECT_EQ(got.what, 0u);
    EXPECT_NE(decode_inbox_record(kBroadcastRecord, bytes.data(), bytes.size() - 1, &got), B_OK);
    std::vector<char> longer = bytes;
    longer.push_back(0);
    EXPECT_NE(decode_inbox_record(kBroadcastRecord, longer.data(), longer.size(), &got), B_OK);
    EXPECT_NE(decode_inbox_record(kBroadcastRecord, nullptr, 0, &got), B_OK);
    EXPECT_NE(decode_inbox_record(kBroadcastRecord, nullptr, 20, &got), B_OK);
    EXPECT_TRUE(got.IsEmpty());
}

TEST(RosterInboxRecord, PointersAreRemovedAtEveryLevel)
{
    int anchor = 0;
    BMessage inner('innr');
    inner.AddPointer("target", &anchor);
    inner.AddInt32("kept", 3);
    BMessage middle('midl');
    middle.AddMessage("inner", &inner);
    middle.AddMessage("inner", &inner);
    middle.AddPointer("source", &anchor);
    BMessage sent('outr');
    sent.AddPointer("source", &anchor);
    sent.AddPointer("source", &anchor);
    sent.AddPointer("handler", &anchor);
    sent.AddInt32("value", 9);
    sent.AddMessage("middle", &middle);
    const std::vector<char> bytes = flatten(sent);

    BMessage got;
    ASSERT_EQ(decode_inbox_record(kBroadcastRecord, bytes.data(), bytes.size(), &got), B_OK);
    EXPECT_EQ(got.CountNames(B_POINTER_TYPE), 0);
    EXPECT_TRUE(got.HasInt32("value"));
    BMessage gotMiddle;
    ASSERT_EQ(got.FindMessage("middle", &gotMiddle), B_OK);
    EXPECT_EQ(gotMiddle.CountNames(B_POINTER_TYPE), 0);
    for (int32 i = 0; i < 2; i++) {
        BMessage gotInner;
        ASSERT_EQ(gotMiddle.FindMessage("inner", i, &gotInner), B_OK);
        EXPECT_EQ(gotInner.CountNames(B_POINTER_TYPE), 0) << i;
        EXPECT_TRUE(gotInner.HasInt32("kept")) << i;
    }
}
