// A run stopped by its host.
#include "api/channels.h"
#include "interp/messages.h"
#include "interp/nodes.h"
#include "interp/run_support.h"

namespace pelorn::interp {

Completion stopInterrupted(const Statement &at)
{
    api::clearInterrupt();
    api::WriteMessage(msg::kInterrupted, fileOf(&at), at.line);
    return Completion::Failed;
}

Completion stopInterrupted(const BlockStatement &block)
{
    return stopInterrupted(block.statements.empty() ? static_cast<const Statement &>(block) : *block.statements.front());
}

} // namespace pelorn::interp
