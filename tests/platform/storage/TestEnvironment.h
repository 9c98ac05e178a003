#pragma once

// A fresh folder under the system's temporary folder for one test, removed with everything in
// it afterwards. Its path is the real one, so that it compares equal to what the kit reports.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "storage-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            fPath = std::filesystem::canonical(pattern).string();
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!fPath.empty())
            std::filesystem::remove_all(fPath, ignored);
    }

    const std::string& Path() const { return fPath; }
    std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }

    // Creates a file with the given contents and returns its path.
    std::string Write(const std::string& leaf, const std::string& contents) const
    {
        std::string path = *this / leaf;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }

private:
    std::string fPath;
};

// Makes folder the current one for the life of the object.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) : fPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(fPrevious); }

private:
    std::filesystem::path fPrevious;
};
