// Finding shipped and user modules by name.
#include "front/module_search.h"

#include "front/paths.h"

#include <cstdlib>
#include <dlfcn.h>
#include <sys/stat.h>
#include <vector>

namespace pelorn::front {

namespace {

bool isFile(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder of the engine library itself, found through one of its own
// functions, so installed trees and build trees are found wherever they lie.
std::string libraryDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&findModule), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::string file = paths::resolve(info.dli_fname, paths::currentDirectory());
    return paths::directoryOf(file);
}

std::vector<std::string> searchFolders()
{
    std::vector<std::string> folders;
    if (const char *list = std::getenv("PELORN_MODULE_PATH")) {
        std::string all = list;
        size_t start = 0;
        while (start <= all.size()) {
            size_t end = all.find(':', start);
            if (end == std::string::npos)
                end = all.size();
            if (end > start) // an empty entry names no folder
                folders.push_back(paths::resolve(all.substr(start, end - start), paths::currentDirectory()));
            start = end + 1;
        }
    }
    std::string library = libraryDirectory();
    if (!library.empty()) {
        folders.push_back(library + "/pelorn/modules");
        if (isFile(library + "/CMakeCache.txt")) // a build tree
            folders.push_back(library + "/modules");
    }
    return folders;
}

} // namespace

std::string findModule(const std::string &written, const std::string &besideScript)
{
    if (written.find('/') != std::string::npos || written.empty() || isFile(besideScript))
        return besideScript;
    for (const std::string &folder : searchFolders()) {
        for (const std::string &name : {written, written + ".so"}) {
            std::string candidate = folder + "/" + name;
            if (isFile(candidate))
                return candidate;
        }
    }
    return besideScript;
}

} // namespace pelorn::front
