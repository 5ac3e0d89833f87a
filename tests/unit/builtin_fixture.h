// Calling built-ins directly: argument slots built from values, with the
// engine's output and message channels captured.
#pragma once

#include "api/exceptions.h"
#include "builtins/catalogue.h"
#include "interp/nodes.h"
#include "value/chain.h"
#include "value/value.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace pelorn::testing {

// The text of a string value (all segments).
inline std::string textOf(const ScriptValue &s)
{
    char *joined = value::chain::join(s.u.string);
    std::string out(joined);
    zfree(joined);
    return out;
}

inline std::vector<uint8_t> bytesOf(const ScriptValue &b)
{
    return std::vector<uint8_t>(b.u.bytes.data, b.u.bytes.data + (b.u.bytes.length > 0 ? b.u.bytes.length : 0));
}

// Bytes from hexadecimal text, blanks allowed ("01 02 0A").
inline std::vector<uint8_t> hex(const char *text)
{
    ScriptValue v = stringToBytearray(text);
    std::vector<uint8_t> out = bytesOf(v);
    value::release(v);
    return out;
}

inline ScriptValue bytes(const std::vector<uint8_t> &b)
{
    return value::makeBytes(b.data(), static_cast<int32_t>(b.size()));
}
inline ScriptValue bytes(const char *hexText) { return bytes(hex(hexText)); }
inline ScriptValue str(const char *text) { return value::makeString(text); }
inline ScriptValue integer(int64_t n) { return value::makeInteger(n); }
inline ScriptValue real(double d) { return value::makeFloat(d); }
inline ScriptValue boolean(bool b) { return value::makeBoolean(b); }

// A string value made of the given segments, as concatenation builds them.
inline ScriptValue segmented(std::initializer_list<const char *> parts)
{
    ScriptValue s = value::makeString("");
    for (const char *p : parts) {
        ScriptValue piece = value::makeString(p);
        value::chain::append(s, piece);
    }
    return s;
}

// An array value taking over the given element values.
inline ScriptValue arrayOf(std::initializer_list<ScriptValue> elements)
{
    ScriptValue a = value::makeEmptyArray();
    ArrayElement **tail = &a.u.array;
    for (const ScriptValue &v : elements) {
        auto *e = static_cast<ArrayElement *>(zalloc(sizeof(ArrayElement)));
        e->value = v;
        *tail = e;
        tail = &e->next;
    }
    return a;
}

// The argument slots of one call; owns its values and the variable
// expressions of arguments marked as written as a plain variable.
class Args {
public:
    Args(std::initializer_list<ScriptValue> values) : Args(std::vector<ScriptValue>(values)) {}
    explicit Args(const std::vector<ScriptValue> &values)
    {
        for (const ScriptValue &v : values) {
            ArgumentSlot slot{};
            slot.value = v;
            slots_.push_back(slot);
        }
    }
    ~Args()
    {
        for (ArgumentSlot &slot : slots_) {
            value::release(slot.value);
            delete static_cast<interp::Expression *>(slot.expression);
        }
    }
    Args(const Args &) = delete;
    Args &operator=(const Args &) = delete;

    // Marks argument i as written as a bare variable.
    Args &variable(size_t i)
    {
        static SymbolEntry entry{};
        slots_[i].expression = new interp::VariableExpr("v", &entry, false);
        return *this;
    }

    uint32_t count() const { return static_cast<uint32_t>(slots_.size()); }
    ArgumentSlot *slots() { return slots_.empty() ? nullptr : slots_.data(); }
    ScriptValue &operator[](size_t i) { return slots_[i].value; }

private:
    std::vector<ArgumentSlot> slots_;
};

// Captures what the built-ins write and throw.
class BuiltinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        output().clear();
        messages().clear();
        SetStandardOutputFn([](const char *text) -> int32_t {
            output() += text;
            ++outputCalls();
            return 0;
        });
        SetMessageOutputFn([](const char *text) -> int32_t {
            messages() += text;
            messages() += '\n';
            return 0;
        });
        outputCalls() = 0;
    }
    void TearDown() override
    {
        SetStandardOutputFn(nullptr);
        SetMessageOutputFn(nullptr);
        value::release(result);
    }

    static std::string &output()
    {
        static std::string text;
        return text;
    }
    static int &outputCalls()
    {
        static int n;
        return n;
    }
    static std::string &messages()
    {
        static std::string text;
        return text;
    }

    // Runs a function into `result` (released first); a thrown text goes
    // to `thrown` and the code is then -1.
    int32_t call(FunctionEntry entry, Args &args)
    {
        value::release(result);
        thrown.clear();
        try {
            return entry(args.count(), args.slots(), &result);
        } catch (api::NativeThrow &t) {
            thrown = t.value.type == PELORN_STRING ? textOf(t.value) : "(not a string)";
            value::release(t.value);
            return -1;
        }
    }

    int32_t call(ProcedureEntry entry, Args &args)
    {
        thrown.clear();
        try {
            return entry(args.count(), args.slots());
        } catch (api::NativeThrow &t) {
            thrown = t.value.type == PELORN_STRING ? textOf(t.value) : "(not a string)";
            value::release(t.value);
            return -1;
        }
    }

    ScriptValue result = value::empty();
    std::string thrown;
};

} // namespace pelorn::testing
