#include "PathNames.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace BPrivate {

static status_t current_folder(std::string& result)
{
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return B_FROM_POSIX_ERROR(errno);
        buffer.resize(buffer.size() * 2);
    }
    result = buffer.data();
    return B_OK;
}

status_t make_absolute_path(std::string_view path, std::string& result)
{
    std::string full;
    if (path.empty() || path.front() != '/') {
        status_t status = current_folder(full);
        if (status != B_OK)
            return status;
        full += '/';
    }
    full += path;

    std::vector<std::string_view> components;
    std::string_view rest(full);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view component = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            // ".." of the root is the root, as the kernel has it.
            if (!components.empty())
                components.pop_back();
            continue;
        }
        components.push_back(component);
    }

    std::string normalised;
    for (std::string_view component : components) {
        normalised += '/';
        normalised += component;
    }
    result = normalised.empty() ? std::string("/") : std::move(normalised);
    return B_OK;
}

std::string parent_path(std::string_view absolutePath)
{
    size_t slash = absolutePath.rfind('/');
    if (slash == std::string_view::npos || slash == 0)
        return "/";
    return std::string(absolutePath.substr(0, slash));
}

std::string_view leaf_name(std::string_view absolutePath)
{
    size_t slash = absolutePath.rfind('/');
    if (slash == std::string_view::npos)
        return absolutePath;
    return absolutePath.substr(slash + 1);
}

std::string join_path(std::string_view folder, std::string_view leaf)
{
    std::string result(folder);
    if (leaf.empty())
        return result;
    if (result.empty() || result.back() != '/')
        result += '/';
    result += leaf;
    return result;
}

} // namespace BPrivate
