// The pending-node list: everything the compiler has built or scanned that
// no parent owns yet. A failed compilation releases what is left, so each
// item is freed exactly once whatever rule the error interrupts.
#pragma once

#include "front/semantic_value.h"

#include <cstdint>
#include <vector>

namespace pelorn::front {

enum class PendingKind : uint8_t {
    Statement = 1,
    Expression = 2,
    ExpressionList = 3,
    ParameterList = 4,
    Block = 5, // a zalloc'd text or byte block from the scanner
};

struct PendingCell {
    PendingKind kind;
    void *item;
};

struct PendingList {
    std::vector<PendingCell> cells;

    // Makes room for one more cell, so that a following add cannot fail
    // after its children were taken off.
    void reserveOne();
    void add(PendingKind kind, void *item);
    // Items are almost always taken soon after they were added: search
    // from the end. Taking an item that is not on the list does nothing.
    void take(const void *item);
};

} // namespace pelorn::front
