// Where `use "NAME"` finds a module that is not beside the script: the
// folders of PELORN_MODULE_PATH, then the modules shipped with pelorn.
#pragma once

#include <string>

namespace pelorn::front {

// The file a `use` path names. A path with a folder, or one that names an
// existing file beside the script, is `besideScript` itself, as it always
// was; a bare name is otherwise looked up as NAME and NAME.so in each
// folder of PELORN_MODULE_PATH (separated by ':'), then in the module
// folder next to the engine library: LIBDIR/pelorn/modules when installed,
// and the build's own modules/ folder when the library lies in a build
// tree. When nothing is found the answer is `besideScript`, so the failure
// names the path it always named.
std::string findModule(const std::string &written, const std::string &besideScript);

} // namespace pelorn::front
