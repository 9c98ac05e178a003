#pragma once

// What the file system tests stand on: a fresh folder, the current folder and environment
// variables, each put back as it was when the test ends.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

class TempFolder {
public:
    // The real path, so that it compares equal to what the kits report.
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "storage-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            fPath = std::filesystem::canonical(pattern).string();
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(fPath, ignored);
    }

    const std::string& Path() const { return fPath; }
    std::string operator/(const std::string& leaf) const { return fPath + "/" + leaf; }

    std::string Write(const std::string& leaf, const std::string& contents) const
    {
        std::ofstream(*this / leaf, std::ios::binary) << contents;
        return *this / leaf;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }

private:
    std::string fPath;
};

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

// Sets (or, with nullptr, clears) an environment variable.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : fName(name)
    {
        if (const char* previous = getenv(name))
            fPrevious = previous;
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable()
    {
        fPrevious ? setenv(fName.c_str(), fPrevious->c_str(), 1) : unsetenv(fName.c_str());
    }

private:
    std::string fName;
    std::optional<std::string> fPrevious;
};
