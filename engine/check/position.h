// Where a finding of the static check stands.
#pragma once

#include <cstdint>

namespace pelorn::interp {
struct SourceFile;
}

namespace pelorn::check {

struct Position {
    const interp::SourceFile *source = nullptr;
    int32_t line = 0;
};

} // namespace pelorn::check
