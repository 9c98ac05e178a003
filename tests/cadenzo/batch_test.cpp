// The program itself, run on files in a terminal as a user would run it.

#include "MidiBytes.h"
#include "TempFolder.h"
#include "settings/Prefs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exitStatus;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Batch : public testing::Test {
protected:
    Outcome Cadenzo(const std::string& arguments, const std::string& binary = CADENZO_BINARY)
    {
        // Settings of the test's own, and no window system.
        std::string command = "cd '" + fFolder.Path() + "' && env -u DISPLAY XDG_CONFIG_HOME='" +
                              fFolder.Path() + "/config' LANG=C LANGUAGE= LC_ALL= '" + binary +
                              "' " + arguments + " >'" + fFolder.Path() + "/out' 2>'" +
                              fFolder.Path() + "/err' </dev/null";
        int status = system(command.c_str());
        Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(fFolder / "out"),
                    slurp(fFolder / "err")};
        std::filesystem::remove(fFolder / "out");
        std::filesystem::remove(fFolder / "err");
        return run;
    }

    static Bytes Song()
    {
        return smf_header(0, 1, 96) +
               smf_track({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
    }

    TempFolder fFolder;
};

TEST_F(Batch, ConvertsEveryFileAndSaysSo)
{
    fFolder.Write("a.mid", Song());
    fFolder.Write("b b.mid", Song());
    Outcome run = Cadenzo("a.mid 'b b.mid'");
    EXPECT_EQ(0, run.exitStatus) << run.err;
    EXPECT_EQ("Converting... [1/2] a.mid\nConverting... [2/2] b b.mid\n", run.out);
    // The English catalogue's text, under the alert's caption.
    EXPECT_NE(std::string::npos, run.err.find("* Cadenzo *\n\nEvery file was converted."))
        << run.err;
    EXPECT_TRUE(fFolder.Exists("a.fem"));
    EXPECT_TRUE(fFolder.Exists("b b.fem"));
}

TEST_F(Batch, StopsAtTheFirstFailure)
{
    fFolder.Write("a.mid", Song());
    fFolder.Write("bad.mid", {'n', 'o'});
    fFolder.Write("c.mid", Song());
    Outcome run = Cadenzo("--batch a.mid bad.mid c.mid");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_EQ("Converting... [1/3] a.mid\nConverting... [2/3] bad.mid\n", run.out);
    EXPECT_NE(std::string::npos, run.err.find("cannot be read as a Standard MIDI File")) << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("Every file was converted"));
    EXPECT_TRUE(fFolder.Exists("a.fem"));
    EXPECT_FALSE(fFolder.Exists("bad.fem"));
    EXPECT_FALSE(fFolder.Exists("c.fem"));
}

// A folder stands for the MIDI files in it and its subfolders, found by name or by content,
// in the order of their paths; one without any is named in an alert.
TEST_F(Batch, FolderStandsForItsMidiFilesInPathOrder)
{
    std::filesystem::create_directories(fFolder / "songs/sub");
    std::filesystem::create_directory(fFolder / "empty");
    fFolder.Write("songs/b.MID", Song());
    fFolder.Write("songs/a.kar", Song());
    fFolder.Write("songs/sub/c", Song());
    fFolder.Write("songs/done.fem", Song());
    fFolder.Write("songs/notes.txt", {'h', 'i', '!', '!'});
    Outcome run = Cadenzo("songs empty");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_EQ("Converting... [1/4] a.kar\nConverting... [2/4] b.MID\n"
              "Converting... [3/4] c\nConverting... [4/4] empty\n",
              run.out);
    EXPECT_NE(std::string::npos, run.err.find(fFolder / "empty")) << run.err;
    EXPECT_TRUE(fFolder.Exists("songs/a.fem"));
    EXPECT_TRUE(fFolder.Exists("songs/b.fem"));
    EXPECT_TRUE(fFolder.Exists("songs/sub/c.fem"));
}

TEST_F(Batch, WithoutACatalogueTheKeysShow)
{
    std::filesystem::create_directory(fFolder / "bin");
    std::filesystem::copy_file(CADENZO_BINARY, fFolder / "bin/cadenzo");
    fFolder.Write("a.mid", Song());
    Outcome run = Cadenzo("a.mid missing.mid", fFolder / "bin/cadenzo");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_NE(std::string::npos, run.err.find("@Err_Cannot_Load_Src_File@")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("[Understand]")) << run.err;

    run = Cadenzo("a.mid", fFolder / "bin/cadenzo");
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_NE(std::string::npos, run.err.find("@Info_Convert_Done@")) << run.err;
}

TEST_F(Batch, UsesTheUsersSettings)
{
    fFolder.Write("a.mid", Song());
    ASSERT_EQ(0, Cadenzo("a.mid").exitStatus);
    const Bytes withNote = fFolder.Read("a.fem");

    // An earlier run switched channel 1 off: its note is not converted any more.
    setenv("XDG_CONFIG_HOME", (fFolder / "config").c_str(), 1);
    TPrefs prefs;
    prefs.ChMs[0] = false;
    ASSERT_EQ(0, prefs.SaveToFile());
    unsetenv("XDG_CONFIG_HOME");

    ASSERT_EQ(0, Cadenzo("a.mid").exitStatus);
    const Bytes withoutNote = fFolder.Read("a.fem");
    EXPECT_EQ(withNote.size() - 8, withoutNote.size()) << "the note-on and note-off are gone";
}

TEST_F(Batch, UsageAndBadOptions)
{
    Outcome run = Cadenzo("");
    EXPECT_EQ(2, run.exitStatus);
    EXPECT_NE(std::string::npos, run.err.find("Usage: cadenzo")) << run.err;
    EXPECT_EQ(2, Cadenzo("--frobnicate a.mid").exitStatus);
    EXPECT_EQ(0, Cadenzo("--help").exitStatus);
}

} // namespace
