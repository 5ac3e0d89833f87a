// The pending-node list and its release.
#include "front/pending.h"

#include "front/compiler.h"
#include "interp/nodes.h"

namespace pelorn::front {

void PendingList::reserveOne()
{
    if (cells.size() == cells.capacity())
        cells.reserve(cells.empty() ? 64 : cells.size() * 2);
}

void PendingList::add(PendingKind kind, void *item)
{
    if (item != nullptr)
        cells.push_back(PendingCell{kind, item});
}

void PendingList::take(const void *item)
{
    if (item == nullptr)
        return;
    for (size_t i = cells.size(); i-- > 0;) {
        if (cells[i].item == item) {
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

namespace {

void releaseCell(const PendingCell &cell)
{
    switch (cell.kind) {
    case PendingKind::Statement:
        delete static_cast<interp::Statement *>(cell.item);
        break;
    case PendingKind::Expression:
        delete static_cast<interp::Expression *>(cell.item);
        break;
    case PendingKind::ExpressionList: {
        auto *list = static_cast<ExpressionList *>(cell.item);
        for (interp::Expression *e : *list)
            delete e;
        delete list;
        break;
    }
    case PendingKind::ParameterList: {
        auto *list = static_cast<ParameterList *>(cell.item);
        for (interp::VariableExpr *v : *list)
            delete v;
        delete list;
        break;
    }
    case PendingKind::Block:
        zfree(cell.item);
        break;
    }
}

} // namespace

void releasePending(PendingList *pending)
{
    if (pending == nullptr)
        return;
    for (const PendingCell &cell : pending->cells)
        releaseCell(cell);
    delete pending;
}

} // namespace pelorn::front
