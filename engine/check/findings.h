// What the static check reports: warnings, each with the notes that
// explain it, in the order of the files and lines they point at.
#pragma once

#include "check/position.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelorn::check {

struct Note {
    Position where;
    std::string text;
};

struct Warning {
    Position where;
    std::string text;
    std::vector<Note> notes;
};

class Findings {
public:
    // Formats like printf; returns the warning so that notes can follow.
    Warning &warn(Position where, const char *format, ...) __attribute__((format(printf, 3, 4)));
    static void note(Warning &warning, Position where, const char *format, ...)
        __attribute__((format(printf, 3, 4)));

    // By file (in the order given), then line, then the order found.
    std::vector<Warning> sorted(const std::vector<const interp::SourceFile *> &sources) const;
    bool empty() const { return warnings_.empty(); }

private:
    std::vector<Warning> warnings_;
};

// printf into a std::string.
std::string format(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace pelorn::check
