// Operations on string chains.
#include "value/chain.h"

#include <cstdlib>
#include <cstring>

namespace pelorn::value::chain {

namespace {

// Walks the characters of a chain one by one, crossing segment ends.
class Cursor {
public:
    explicit Cursor(const Payload &s) : segment_(&s.first), at_(s.first.text) { settle(); }

    bool done() const { return at_ == nullptr; }
    char current() const { return *at_; }
    char *position() const { return at_; }
    void advance()
    {
        ++at_;
        settle();
    }

private:
    // Moves past empty texts and segment ends so that at_ points at a
    // character, or is null at the end of the chain.
    void settle()
    {
        while (segment_ != nullptr && (at_ == nullptr || *at_ == '\0')) {
            segment_ = segment_->next;
            at_ = segment_ != nullptr ? segment_->text : nullptr;
        }
        if (segment_ == nullptr)
            at_ = nullptr;
    }

    const StringChunk *segment_;
    char *at_;
};

} // namespace

char *join(const Payload &s, uint32_t *length)
{
    uint32_t total = s.length;
    if (length != nullptr)
        *length = total;
    if (total == 0 || s.first.text == nullptr)
        return static_cast<char *>(zalloc(1));
    auto *out = static_cast<char *>(zalloc(static_cast<int32_t>(total) + 1));
    if (out == nullptr)
        return nullptr;
    size_t filled = 0;
    for (const StringChunk *c = &s.first; c != nullptr; c = c->next) {
        if (c->text == nullptr)
            continue;
        size_t n = std::strlen(c->text);
        if (filled + n > total) // a module's chain whose length field lies
            n = total - filled;
        std::memcpy(out + filled, c->text, n);
        filled += n;
    }
    out[filled] = '\0';
    return out;
}

bool duplicate(const Payload &source, Payload &destination)
{
    destination.first.text = nullptr;
    destination.first.next = nullptr;
    destination.length = 0;
    bool complete = source.first.text == nullptr || (destination.first.text = zstrdup(source.first.text)) != nullptr;
    StringChunk *tail = &destination.first;
    for (const StringChunk *c = source.first.next; complete && c != nullptr; c = c->next) {
        auto *segment = static_cast<StringChunk *>(zalloc(sizeof(StringChunk)));
        if (segment == nullptr) {
            complete = false;
            break;
        }
        tail->next = segment;
        tail = segment;
        complete = c->text == nullptr || (segment->text = zstrdup(c->text)) != nullptr;
    }
    if (!complete) {
        free(destination, nullptr);
        return false;
    }
    destination.length = source.length;
    return true;
}

uint64_t segmentReleaseCount = 0;

void free(Payload &s, BlockFreeFn freeBlock)
{
    if (s.first.next != nullptr)
        ++segmentReleaseCount;
    if (freeBlock == nullptr)
        freeBlock = zfree;
    if (s.first.text != nullptr)
        freeBlock(s.first.text);
    StringChunk *c = s.first.next;
    while (c != nullptr) {
        StringChunk *next = c->next;
        if (c->text != nullptr)
            freeBlock(c->text);
        freeBlock(c);
        c = next;
    }
    s.first.text = nullptr;
    s.first.next = nullptr;
    s.length = 0;
}

int compare(const Payload &a, const Payload &b)
{
    Cursor x(a), y(b);
    if (y.done())
        return x.done() ? 0 : -1;
    if (x.done())
        return 1;
    for (;;) {
        if (y.done())
            return x.done() ? 0 : -1;
        if (x.done())
            return 1;
        auto cx = static_cast<signed char>(x.current());
        auto cy = static_cast<signed char>(y.current());
        if (cy > cx)
            return 1;
        if (cy < cx)
            return -1;
        x.advance();
        y.advance();
    }
}

void extract(const Payload &s, uint64_t skip, uint64_t count, char *out)
{
    Cursor c(s);
    for (; skip > 0 && !c.done(); --skip)
        c.advance();
    for (; count > 0 && !c.done(); --count) {
        *out++ = c.current();
        c.advance();
    }
}

char *characterAt(const Payload &s, uint64_t index)
{
    // Skip whole segments first: indexing a long chain stays cheap.
    for (const StringChunk *c = &s.first; c != nullptr; c = c->next) {
        if (c->text == nullptr)
            continue;
        size_t n = std::strlen(c->text);
        if (index < n)
            return c->text + index;
        index -= n;
    }
    return nullptr;
}

void append(ScriptValue &left, ScriptValue &right)
{
    auto &l = left.u.string;
    auto &r = right.u.string;
    if (l.first.text == nullptr && l.first.next == nullptr) {
        l.first = r.first;
    } else {
        StringChunk *tail = &l.first;
        while (tail->next != nullptr)
            tail = tail->next;
        auto *segment = static_cast<StringChunk *>(zalloc(sizeof(StringChunk)));
        *segment = r.first;
        tail->next = segment;
    }
    l.length += r.length;
    std::memset(&right, 0, sizeof right);
}

} // namespace pelorn::value::chain
