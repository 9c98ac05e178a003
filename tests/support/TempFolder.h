#pragma once

// A folder of its own for a test, removed with everything in it afterwards.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempFolder {
public:
    // The real path, so that it compares equal to what the kits report.
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            fPath = std::filesystem::canonical(pattern).string();
    }
    ~TempFolder()
    {
        // A test may have taken its own permissions away to make writing fail.
        std::error_code ignored;
        std::filesystem::permissions(fPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(fPath, ignored);
    }

    const std::string& Path() const { return fPath; }
    std::string operator/(const std::string& name) const { return fPath + "/" + name; }

    // Each returns the file's path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(*this / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
        return *this / name;
    }
    std::string WriteText(const std::string& name, const std::string& text) const
    {
        std::ofstream(*this / name, std::ios::binary) << text;
        return *this / name;
    }

    std::vector<uint8_t> Read(const std::string& name) const
    {
        std::ifstream in(*this / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(*this / name); }
    // Names of everything in the folder, sorted.
    std::vector<std::string> List() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fPath))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string fPath;
};
