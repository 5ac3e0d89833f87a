// The compound operators on stored values.
#include "interp/compound_operators.h"

#include "interp/fast_values.h"
#include "interp/integer_rules.h"
#include "interp/messages.h"
#include "interp/run_support.h"
#include "interp/string_values.h"
#include "value/arrays.h"

#include <cstring>

namespace pelorn::interp {

namespace {

constexpr const char *kCompoundNames[] = {"+=", "-=", "*=", "/=", "%="};

bool incompatible(CompoundOperator op, const char *variable, const Expression *at)
{
    report(fileOf(at), at->line, msg::kCompoundIncompatible, compoundName(op), variable);
    return false;
}

bool noMemoryForJoin(const Expression *at)
{
    report(fileOf(at), at->line, msg::kJoinNoMemory);
    return false;
}

bool divisionByZero(const Expression *at)
{
    report(fileOf(at), at->line, msg::kDivisionByZero);
    return false;
}

// Stored bytes followed by the right bytes, or by the right integer's low
// 8 bits, in a new buffer. False, with stored unchanged, when the buffer
// could not be allocated.
bool appendBytes(ScriptValue &stored, const ScriptValue &right)
{
    uint8_t byte = static_cast<uint8_t>(right.u.integer);
    const uint8_t *tail = right.type == PELORN_INTEGER ? &byte : right.u.bytes.data;
    int32_t tailLength = right.type == PELORN_INTEGER ? 1 : right.u.bytes.length;
    int32_t n = stored.u.bytes.length;
    auto *block = static_cast<uint8_t *>(zalloc(n + tailLength));
    if (block == nullptr)
        return false;
    if (n > 0)
        std::memcpy(block, stored.u.bytes.data, static_cast<size_t>(n));
    if (tailLength > 0)
        std::memcpy(block + n, tail, static_cast<size_t>(tailLength));
    if (stored.freeBlock != nullptr)
        stored.freeBlock(stored.u.bytes.data);
    else
        zfree(stored.u.bytes.data);
    stored.freeBlock = nullptr; // the new block is the engine's
    stored.u.bytes.data = block;
    stored.u.bytes.length = n + tailLength;
    return true;
}

// Blocks the engine frees its own way: its texts may grow in place.
bool isEngineString(const ScriptValue &v)
{
    return v.freeBlock == nullptr && v.release == nullptr && v.copy == nullptr;
}

// A right array's elements are moved behind the stored ones; any other
// right value becomes one new element, linked where the chain is when the
// stored array must stay one (it lives where a module reads it). False
// when memory ran out (what was appended stays; the message is written
// here or by the failed copy).
bool appendToArray(ScriptValue &stored, ScriptValue &right, bool keepsChain, const Expression *at)
{
    namespace arrays = value::arrays;
    if (right.type != PELORN_ARRAY) {
        if (keepsChain && !arrays::isVector(stored)) [[unlikely]]
            return arrays::pushToChain(stored, right) || noMemoryForJoin(at);
        return arrays::push(stored, right) || noMemoryForJoin(at);
    }
    if (arrays::isPlain(stored) && arrays::isPlain(right))
        return arrays::takeAll(stored, right) || noMemoryForJoin(at);
    // An array that manages its own chain, or one appended to such an
    // array: its elements are copied instead.
    return arrays::appendCopies(stored, right);
}

} // namespace

const char *compoundName(CompoundOperator op) { return kCompoundNames[static_cast<int>(op)]; }

bool compoundCompatible(const ScriptValue &stored, const ScriptValue &right)
{
    if (stored.type == PELORN_ARRAY)
        return true;
    if (stored.type == PELORN_UNDEFINED)
        return false;
    return right.type == stored.type || (right.type == PELORN_INTEGER && stored.type == PELORN_BYTEARRAY);
}

bool applyCompound(CompoundOperator op, ScriptValue &stored, ScriptValue &right, bool keepsChain,
                   const char *variable, const Expression *at)
{
    bool ok = true;
    bool integer = stored.type == PELORN_INTEGER;
    bool real = stored.type == PELORN_FLOAT;
    int64_t a = stored.u.integer, b = right.u.integer;
    switch (op) {
    case CompoundOperator::Add:
        if ((stored.type == PELORN_STRING || stored.type == PELORN_BYTEARRAY) && !joinedLengthFits(stored, right)) {
            report(fileOf(at), at->line, msg::kJoinTooLong);
            ok = false;
        } else if (integer)
            stored.u.integer = integers::add(a, b);
        else if (real)
            stored.u.real += right.u.real;
        else if (stored.type == PELORN_STRING && isEngineString(stored) && copiedInPlace(right))
            ok = appendInPlace(stored, right) || noMemoryForJoin(at);
        else if (stored.type == PELORN_STRING)
            concatenate(stored, right);
        else if (stored.type == PELORN_BYTEARRAY)
            ok = appendBytes(stored, right) || noMemoryForJoin(at);
        else if (stored.type == PELORN_ARRAY)
            ok = appendToArray(stored, right, keepsChain, at);
        else
            ok = incompatible(op, variable, at);
        break;
    case CompoundOperator::Subtract:
    case CompoundOperator::Multiply: {
        bool minus = op == CompoundOperator::Subtract;
        if (integer)
            stored.u.integer = minus ? integers::subtract(a, b) : integers::multiply(a, b);
        else if (real)
            stored.u.real = minus ? stored.u.real - right.u.real : stored.u.real * right.u.real;
        else
            ok = incompatible(op, variable, at);
        break;
    }
    case CompoundOperator::Divide:
    case CompoundOperator::Modulo: {
        bool divide = op == CompoundOperator::Divide;
        if (integer) {
            if (b == 0)
                ok = divisionByZero(at);
            else
                stored.u.integer = divide ? integers::divide(a, b) : integers::remainder(a, b);
        } else if (real && divide) {
            if (right.u.real == 0.0)
                ok = divisionByZero(at);
            else
                stored.u.real /= right.u.real;
        } else {
            ok = incompatible(op, variable, at);
        }
        break;
    }
    }
    drop(right);
    return ok;
}

} // namespace pelorn::interp
