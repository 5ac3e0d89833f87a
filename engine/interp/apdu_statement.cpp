// The APDU command statement: <00 A4 04 00> 2 <3F 00> {9000, 61XX}.
//
// Parts are evaluated from the last to the first (the order of the
// previous-part links) and their bytes laid down from the end of one
// buffer towards its front, so the command comes out in source order
// without keeping the part values.
#include "api/channels.h"
#include "api/exceptions.h"
#include "card/exchange.h"
#include "interp/apdu_mask.h"
#include "interp/apdu_texts.h"
#include "interp/fast_values.h"
#include "interp/run_support.h"
#include "interp/script.h"
#include "value/value.h"

#include <cstring>
#include <memory>
#include <string>

namespace pelorn::interp {

namespace {

// A command assembled back to front, with the two spare bytes the exchange
// may append kept free after it.
class BackwardBuffer {
public:
    BackwardBuffer() : base_(inline_), capacity_(kInlineCapacity), start_(kInlineCapacity - kSpare) {}
    BackwardBuffer(const BackwardBuffer &) = delete;
    BackwardBuffer &operator=(const BackwardBuffer &) = delete;

    // Room for n bytes in front of what is already there.
    uint8_t *prepend(size_t n)
    {
        if (start_ < n)
            grow(n);
        start_ -= n;
        return base_ + start_;
    }
    uint8_t *data() { return base_ + start_; }
    size_t length() const { return capacity_ - kSpare - start_; }

private:
    static constexpr size_t kSpare = card::CommandBuffer::kSpareBytes;
    // Holds every short command (5 + 255 + 1 bytes) without touching the heap.
    static constexpr size_t kInlineCapacity = 512;

    void grow(size_t n)
    {
        size_t used = capacity_ - start_;
        size_t capacity = capacity_ * 2;
        while (capacity - used < n)
            capacity *= 2;
        auto bigger = std::make_unique<uint8_t[]>(capacity);
        std::memcpy(bigger.get() + capacity - used, base_ + start_, used);
        heap_ = std::move(bigger);
        base_ = heap_.get();
        start_ = capacity - used;
        capacity_ = capacity;
    }

    uint8_t *base_;
    size_t capacity_;
    size_t start_;
    std::unique_ptr<uint8_t[]> heap_;
    uint8_t inline_[kInlineCapacity];
};

// Reads a part's value in place where it already exists (a literal, a
// variable); anything else is evaluated into `owned`.
Completion viewPart(RunContext &run, Expression *part, ScriptValue &owned, const ScriptValue *&view)
{
    if (const ScriptValue *leaf = leafOf(run, part)) {
        view = leaf;
        return Completion::Normal;
    }
    view = &owned;
    return part->evaluate(run, &owned);
}

// The byte count of a part value; false for a type a command cannot hold.
bool partLength(const ScriptValue &v, size_t &length)
{
    switch (v.type) {
    case PELORN_INTEGER:
        length = 1;
        return true;
    case PELORN_BYTEARRAY:
        length = v.u.bytes.length > 0 ? static_cast<size_t>(v.u.bytes.length) : 0;
        return true;
    case PELORN_STRING:
        length = v.u.string.length;
        return true;
    default:
        return false;
    }
}

void copyPart(const ScriptValue &v, uint8_t *out, size_t length)
{
    if (v.type == PELORN_INTEGER) {
        *out = static_cast<uint8_t>(v.u.integer); // the low 8 bits
    } else if (v.type == PELORN_BYTEARRAY) {
        std::memcpy(out, v.u.bytes.data, length);
    } else {
        // A string's characters, segment after segment.
        for (const StringChunk *s = &v.u.string.first; s != nullptr && length > 0; s = s->next) {
            if (s->text == nullptr)
                continue;
            size_t n = strnlen(s->text, length);
            std::memcpy(out, s->text, n);
            out += n;
            length -= n;
        }
    }
}

std::string hexWithBlanks(const uint8_t *bytes, size_t count)
{
    std::string text(count * 3 + 1, '\0');
    htoa(text.data(), bytes, static_cast<uint32_t>(count), 1);
    text.resize(count * 3);
    return text;
}

} // namespace

Completion ApduStatement::execute(RunContext &run)
{
    ReaderEntry *reader = g_currentReader;
    if (reader == nullptr) {
        report(pathOf(source), line, apdu_text::kNoCurrentReader);
        return Completion::Failed;
    }

    BackwardBuffer command;
    for (ApduStatement *p = this; p != nullptr; p = p->previous) {
        ScriptValue owned = value::empty();
        const ScriptValue *view = nullptr;
        Completion c = viewPart(run, p->part, owned, view);
        if (c != Completion::Normal) {
            value::release(owned);
            return c;
        }
        size_t length = 0;
        const char *problem = nullptr;
        if (!partLength(*view, length))
            problem = apdu_text::kWrongPartType;
        else if (length == 0)
            problem = apdu_text::kEmptyPart;
        if (problem != nullptr) {
            value::release(owned);
            report(pathOf(p->part->source), p->part->line, "%s", problem);
            return Completion::Failed;
        }
        copyPart(*view, command.prepend(length), length);
        value::release(owned);
    }

    bool trace = run.script != nullptr && run.script->settings.apduVerbose != 0;
    if (trace)
        api::WriteStandardOutput(apdu_text::kTraceCommand, hexWithBlanks(command.data(), command.length()).c_str());

    card::ExchangeResult exchange;
    try {
        exchange = card::transmit(*reader, command.data(), static_cast<uint32_t>(command.length()));
    } catch (api::NativeThrow &thrown) {
        ScriptValue copy = value::empty();
        bool copied = value::copy(thrown.value, copy);
        value::release(thrown.value);
        if (!copied)
            return Completion::Failed;
        run.transfer = Transfer{TransferCode::ApduException, true, copy, nullptr, source, line};
        return Completion::Transfer;
    }

    const uint8_t *response = reader->receiveBuffer;
    uint32_t dataLength = exchange.received - 2;
    auto sw = static_cast<uint16_t>(response[dataLength] << 8 | response[dataLength + 1]);
    if (trace) {
        if (dataLength > 0)
            api::WriteStandardOutput(apdu_text::kTraceData, static_cast<int>(dataLength),
                                     hexWithBlanks(response, dataLength).c_str());
        else
            api::WriteStandardOutput(apdu_text::kTraceNoData);
        if (hasMask)
            api::WriteStandardOutput(apdu_text::kTraceStatusMasked, sw, mask.c_str());
        else
            api::WriteStandardOutput(apdu_text::kTraceStatus, sw);
        api::WriteStandardOutput(apdu_text::kTraceDuration, exchange.durationMs);
    }
    if (!hasMask || statusMatches(sw, mask))
        return Completion::Normal;
    std::string text = mismatchText(sw, mask);
    run.transfer = Transfer{TransferCode::ApduException, true,
                            value::makeString(text.data(), static_cast<uint32_t>(text.size())), nullptr, source, line};
    return Completion::Transfer;
}

} // namespace pelorn::interp
