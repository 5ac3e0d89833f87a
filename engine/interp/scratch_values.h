// A short-lived set of values evaluated by one execution of a node (index
// lists). Kept on the native stack for the usual few values, so that an
// execution allocates nothing and a recursive execution of the same node
// does not overwrite the values of the one in progress.
#pragma once

#include "value/value.h"

#include <cstddef>
#include <memory>

namespace pelorn::interp {

class ScratchValues {
public:
    explicit ScratchValues(size_t count) : count_(count)
    {
        if (count > kInline) {
            heap_ = std::make_unique<ScriptValue[]>(count);
            values_ = heap_.get();
        }
        for (size_t i = 0; i < count; ++i)
            value::clear(values_[i]);
    }
    ~ScratchValues()
    {
        for (size_t i = 0; i < count_; ++i)
            value::release(values_[i]);
    }
    ScratchValues(const ScratchValues &) = delete;
    ScratchValues &operator=(const ScratchValues &) = delete;

    ScriptValue &operator[](size_t i) { return values_[i]; }
    size_t size() const { return count_; }

private:
    // Index lists longer than this are rare; they go to the heap.
    static constexpr size_t kInline = 4;
    ScriptValue inline_[kInline];
    ScriptValue *values_ = inline_;
    std::unique_ptr<ScriptValue[]> heap_;
    size_t count_;
};

} // namespace pelorn::interp
