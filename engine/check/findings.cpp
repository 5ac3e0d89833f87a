// Collecting and ordering the findings.
#include "check/findings.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace pelorn::check {

namespace {

std::string formatList(const char *format, va_list arguments)
{
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

} // namespace

std::string format(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = formatList(format, arguments);
    va_end(arguments);
    return text;
}

Warning &Findings::warn(Position where, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    warnings_.push_back(Warning{where, formatList(format, arguments), {}});
    va_end(arguments);
    return warnings_.back();
}

void Findings::note(Warning &warning, Position where, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    warning.notes.push_back(Note{where, formatList(format, arguments)});
    va_end(arguments);
}

std::vector<Warning> Findings::sorted(const std::vector<const interp::SourceFile *> &sources) const
{
    auto rank = [&sources](const Position &p) {
        auto found = std::find(sources.begin(), sources.end(), p.source);
        return static_cast<size_t>(found - sources.begin());
    };
    std::vector<Warning> ordered = warnings_;
    std::stable_sort(ordered.begin(), ordered.end(), [&rank](const Warning &a, const Warning &b) {
        size_t ra = rank(a.where), rb = rank(b.where);
        return ra != rb ? ra < rb : a.where.line < b.where.line;
    });
    return ordered;
}

} // namespace pelorn::check
