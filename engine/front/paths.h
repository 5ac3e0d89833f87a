// Script paths: '\' taken as '/', relative paths joined to a base
// directory, lexical canonicalisation (symbolic links are not resolved).
#pragma once

#include <string>

namespace pelorn::front::paths {

// Every '\' becomes '/', so scripts written with either separator work.
std::string withSlashes(const char *path);
// Removes "." and ".." components and repeated separators of an absolute path.
std::string canonical(const std::string &absolutePath);
// The canonical form of path, joined to base when it is relative.
std::string resolve(const std::string &path, const std::string &base);
// The path without its last component ("/" for a file in the root).
std::string directoryOf(const std::string &canonicalPath);
// The process's current directory, any length; "/" if it cannot be read.
std::string currentDirectory();

} // namespace pelorn::front::paths
