// Lexical path handling for script files and modules.
#include "front/paths.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace pelorn::front::paths {

std::string withSlashes(const char *path)
{
    std::string result(path);
    for (char &c : result)
        if (c == '\\')
            c = '/';
    return result;
}

std::string canonical(const std::string &absolutePath)
{
    std::vector<std::string_view> parts;
    std::string_view rest(absolutePath);
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty())
        return "/";
    std::string result;
    for (std::string_view part : parts) {
        result += '/';
        result += part;
    }
    return result;
}

std::string resolve(const std::string &path, const std::string &base)
{
    if (!path.empty() && path[0] == '/')
        return canonical(path);
    std::string joined = base;
    if (joined.empty() || joined.back() != '/')
        joined += '/';
    joined += path;
    return canonical(joined);
}

std::string directoryOf(const std::string &canonicalPath)
{
    size_t slash = canonicalPath.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return canonicalPath.substr(0, slash);
}

std::string currentDirectory()
{
    char *cwd = getcwd(nullptr, 0);
    if (cwd == nullptr)
        return "/";
    std::string result(cwd);
    std::free(cwd);
    return result;
}

} // namespace pelorn::front::paths
