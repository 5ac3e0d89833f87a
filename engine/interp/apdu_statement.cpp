// Placeholder until the APDU command statement runs.
#include "api/channels.h"
#include "interp/nodes.h"

namespace pelorn::interp {

__attribute__((weak)) Completion ApduStatement::execute(RunContext &)
{
    api::WriteMessage("%s(%d) : No current smart card read set yet", source != nullptr ? source->path.c_str() : "",
                      line);
    return Completion::Failed;
}

} // namespace pelorn::interp
