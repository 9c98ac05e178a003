#pragma once

// The current folder and environment variables, each put back as it was when the test ends.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

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
    ScopedVariable(const char* name, const std::string& value) : ScopedVariable(name, value.c_str())
    {
    }
    ~ScopedVariable()
    {
        fPrevious ? setenv(fName.c_str(), fPrevious->c_str(), 1) : unsetenv(fName.c_str());
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string fName;
    std::optional<std::string> fPrevious;
};
