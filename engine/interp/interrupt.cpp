// A run stopped by its host.
#include "api/channels.h"
#include "interp/messages.h"
#include "interp/nodes.h"
#include "interp/run_support.h"

namespace pelorn::interp {

Completion stopInterrupted(const BlockStatement &block)
{
    api::clearInterrupt();
    const Statement *at = block.statements.empty() ? static_cast<const Statement *>(&block) : block.statements.front();
    api::WriteMessage(msg::kInterrupted, fileOf(at), at->line);
    return Completion::Failed;
}

} // namespace pelorn::interp
