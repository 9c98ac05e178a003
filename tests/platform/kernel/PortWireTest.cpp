// The runtime folder's rules, port file names, and the owner's reading of a writer's packets.

#include "PortFolder.h"
#include "PortRecordAssembler.h"
#include "TempFolder.h"
#include "WirePackets.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <random>

namespace {

using namespace BPortWire;

class RuntimeFolder : public testing::Test {
protected:
    status_t Open(const std::string& runtimeDir, std::string* path)
    {
        int fd = -1;
        status_t status = BPortFolder::open_folder(runtimeDir.c_str(), geteuid(), &fd, path);
        if (fd >= 0)
            close(fd);
        return status;
    }

    TempFolder fFolder;
    const std::string fPath = fFolder.Path();
};

// A private runtime dir holds the ports' folder itself: the cross-process tests
// (PortProcessTest.cpp) reach the ports there, and keep another user out. These are the cases
// where it cannot.
TEST_F(RuntimeFolder, ARuntimeDirThatIsNotPrivateIsPassedOverAnUnsafePortFolderRefused)
{
    std::string fallback = "/tmp/be-ports-" + std::to_string(geteuid());
    std::string path;
    chmod(fPath.c_str(), 0755);
    EXPECT_EQ(B_OK, Open(fPath, &path));
    EXPECT_EQ(fallback, path);

    chmod(fPath.c_str(), 0700);
    std::string link = fPath + "-link";
    ASSERT_EQ(0, symlink(fPath.c_str(), link.c_str()));
    EXPECT_EQ(B_OK, Open(link, &path));
    EXPECT_EQ(fallback, path) << "a link is not taken for the folder";
    unlink(link.c_str());

    EXPECT_EQ(B_OK, Open("relative/path", &path));
    EXPECT_EQ(fallback, path);

    // In a private runtime dir, a ports' folder that is not safe is refused.
    std::string ours = fPath + "/be-ports";
    ASSERT_EQ(0, mkdir(ours.c_str(), 0700));
    chmod(ours.c_str(), 0750);
    EXPECT_EQ(B_PERMISSION_DENIED, Open(fPath, &path)) << "open to the group";
    rmdir(ours.c_str());

    std::string elsewhere = fPath + "/elsewhere";
    ASSERT_EQ(0, mkdir(elsewhere.c_str(), 0700));
    ASSERT_EQ(0, symlink(elsewhere.c_str(), ours.c_str()));
    EXPECT_EQ(B_PERMISSION_DENIED, Open(fPath, &path)) << "a link in its place";
    unlink(ours.c_str());

    ASSERT_EQ(0, close(creat(ours.c_str(), 0700)));
    EXPECT_NE(B_OK, Open(fPath, &path)) << "a file in its place";
}

// Another user took the folder first (or left it open, or put a link there): the process
// goes to its own cache folder and says so; with that one taken too it has none, and says so.
TEST_F(RuntimeFolder, ATakenFolderGivesWayToOneInTheUsersCache)
{
    const std::string taken = fPath + "/be-ports";
    ASSERT_EQ(0, mkdir(taken.c_str(), 0700));
    // Only the superuser can give a folder away; open to others is refused the same way.
    if (geteuid() == 0)
        ASSERT_EQ(0, chown(taken.c_str(), 65534, 65534));
    else
        chmod(taken.c_str(), 0755);
    const std::string cache = fPath + "/cache";
    int fd = -1;
    std::string path;
    std::string note;
    ASSERT_EQ(B_OK, BPortFolder::choose_folder(fPath.c_str(), cache.c_str(), nullptr, geteuid(),
                                               &fd, &path, &note));
    close(fd);
    EXPECT_EQ(0u, path.rfind(cache + "/be-ports-" + std::to_string(geteuid()) + "-", 0)) << path;
    EXPECT_NE(std::string::npos, note.find(taken + " is not a private folder")) << note;
    EXPECT_NE(std::string::npos, note.find("using " + path)) << note;

    chmod(path.c_str(), 0755);
    fd = -1;
    EXPECT_EQ(B_PERMISSION_DENIED, BPortFolder::choose_folder(fPath.c_str(), cache.c_str(), nullptr,
                                                              geteuid(), &fd, &path, &note));
    EXPECT_EQ(-1, fd);
    EXPECT_NE(std::string::npos, note.find("unavailable")) << note;
}

TEST(PortFileNames, EveryNameHasItsOwnBoundedFileNameAndOtherFilesAreNoPorts)
{
    EXPECT_EQ("plain-name_1.2", BPortFolder::file_name("plain-name_1.2"));
    EXPECT_EQ("%2Ehidden%2Fslash%20space", BPortFolder::file_name(".hidden/slash space"));
    std::string allOdd(31, '/');
    std::string hex = BPortFolder::file_name(allOdd);
    EXPECT_EQ('=', hex[0]);
    EXPECT_EQ(63u, hex.size());

    std::mt19937 random(7);
    for (int i = 0; i < 2000; i++) {
        std::string name(1 + random() % 31, '\0');
        for (char& c : name)
            c = static_cast<char>(1 + random() % 255);
        std::string fileName = BPortFolder::file_name(name);
        EXPECT_LE(fileName.size(), 80u);
        EXPECT_EQ(std::string::npos, fileName.find('/'));
        EXPECT_NE('.', fileName[0]);
        std::string back;
        ASSERT_TRUE(BPortFolder::port_name(fileName, &back)) << fileName;
        EXPECT_EQ(name, back);
    }
    sockaddr_un address;
    socklen_t length;
    EXPECT_TRUE(BPortFolder::make_address(1000000, hex, &address, &length));

    // Other files in the folder are not taken for ports.
    std::string name;
    for (const char* other :
         {"", ".", "..", "=", "=abc", "=zz", "%", "%4", "%41", "%4g", "a%2e", ".hidden"})
        EXPECT_FALSE(BPortFolder::port_name(other, &name)) << other;
    EXPECT_TRUE(BPortFolder::port_name("x.lock", &name));
    EXPECT_EQ("x.lock", name);
}

std::vector<uint8> more(const std::string& next)
{
    std::vector<uint8> bytes(kMoreHeaderSize);
    put32(bytes.data(), kMore);
    bytes.insert(bytes.end(), next.begin(), next.end());
    return bytes;
}

BPortRecordAssembler::Event feed(BPortRecordAssembler& assembler, const std::vector<uint8>& bytes)
{
    return assembler.Take(bytes.data(), bytes.size());
}

TEST(PortRecordAssembler, ARecordComesInPiecesIntoAKeptPlaceUnlessTheWriterGivesUp)
{
    BPortRecordAssembler assembler;
    EXPECT_EQ(BPortRecordAssembler::kAsked, feed(assembler, wire_packet(kAsk, 4)));
    EXPECT_TRUE(assembler.Asking());
    EXPECT_EQ(4u, assembler.Sequence());
    assembler.Granted();
    EXPECT_TRUE(assembler.HoldsPlace());
    EXPECT_EQ(BPortRecordAssembler::kNothing, feed(assembler, wire_record(4, -9, 7, "abc")));
    EXPECT_EQ(BPortRecordAssembler::kNothing, feed(assembler, more("de")));
    EXPECT_EQ(BPortRecordAssembler::kRecordDone, feed(assembler, more("fg")));
    EXPECT_EQ(-9, assembler.Code());
    std::vector<uint8> data = assembler.TakeRecord();
    EXPECT_EQ("abcdefg", std::string(data.begin(), data.end()));
    EXPECT_FALSE(assembler.HoldsPlace());

    // The next ask; an empty record is whole at once.
    EXPECT_EQ(BPortRecordAssembler::kAsked, feed(assembler, wire_packet(kAsk, 5)));
    assembler.Granted();
    EXPECT_EQ(BPortRecordAssembler::kRecordDone, feed(assembler, wire_record(5, 1, 0, "")));

    // Giving up frees what the ask held, kept or not.
    feed(assembler, wire_packet(kAsk, 1, kAnswerAtOnce));
    EXPECT_TRUE(assembler.AnswerAtOnce());
    EXPECT_EQ(BPortRecordAssembler::kCancelled, feed(assembler, wire_packet(kCancel, 1)));
    feed(assembler, wire_packet(kAsk, 2));
    assembler.Granted();
    EXPECT_EQ(BPortRecordAssembler::kReleased, feed(assembler, wire_packet(kCancel, 2)));
    feed(assembler, wire_packet(kAsk, 3));
    assembler.Refused();
    EXPECT_FALSE(assembler.Asking());
    EXPECT_EQ(BPortRecordAssembler::kAsked, feed(assembler, wire_packet(kAsk, 4)));
}

TEST(PortRecordAssembler, BrokenTrafficIsRecognised)
{
    auto brokenAfter = [](std::vector<std::vector<uint8>> packets, bool grant) {
        BPortRecordAssembler assembler;
        BPortRecordAssembler::Event last = BPortRecordAssembler::kNothing;
        for (auto& bytes : packets) {
            last = feed(assembler, bytes);
            if (last == BPortRecordAssembler::kAsked && grant)
                assembler.Granted();
        }
        return last == BPortRecordAssembler::kBroken;
    };
    EXPECT_TRUE(brokenAfter({{1, 2, 3}}, true));
    EXPECT_TRUE(brokenAfter({wire_packet('what', 1)}, true));
    EXPECT_TRUE(brokenAfter({wire_record(0, 1, 1, "x")}, true)) << "no place was kept";
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_record(1, 1, 1, "x")}, false))
        << "not granted";
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_record(2, 1, 1, "x")}, true))
        << "another ask";
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_packet(kAsk, 2)}, true));
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_packet(kCancel, 9)}, true));
    EXPECT_TRUE(brokenAfter({more("x")}, true));
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_record(1, 1, 2, "abc")}, true))
        << "too many bytes";
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_record(1, 1, 3, "a"), more("bcd")}, true));
    EXPECT_TRUE(brokenAfter({wire_packet(kAsk, 1), wire_record(1, 1, 3, "a"), more("")}, true));
    EXPECT_TRUE(brokenAfter(
        {wire_packet(kAsk, 1), wire_record(1, 1, B_MAX_PORT_RECORD_SIZE + 1, "")}, true));
    std::vector<uint8> ask = wire_packet(kAsk, 1);
    ask.push_back(0);
    EXPECT_TRUE(brokenAfter({ask}, true)) << "a packet of the wrong length";
    EXPECT_TRUE(brokenAfter({std::vector<uint8>(kMaxPacket + 1, 0)}, true));
    EXPECT_FALSE(
        brokenAfter({wire_packet(kAsk, 1), wire_record(1, 1, B_MAX_PORT_RECORD_SIZE, "")}, true));
}

} // namespace
