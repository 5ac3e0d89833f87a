// Expressions that read values: variables, array literals, indexing,
// sub-array and substring extraction, property reads.
#include "api/exceptions.h"
#include "interp/array_forms.h"
#include "interp/fast_values.h"
#include "interp/messages.h"
#include "interp/run_support.h"
#include "interp/string_values.h"
#include "value/chain.h"
#include "value/messages.h"

#include <cstring>
#include <strings.h>

namespace pelorn::interp {

Completion VariableExpr::evaluate(RunContext &run, ScriptValue *result)
{
    if (result == nullptr) // only the binding was wanted
        return Completion::Normal;
    return duplicate(ref(run), *result) ? Completion::Normal : Completion::Failed;
}

Completion ArrayLiteralExpr::evaluate(RunContext &run, ScriptValue *result)
{
    // Elements are evaluated straight into the new vector: a recursive
    // evaluation of the same literal cannot overwrite them.
    ScriptValue array = value::makeEmptyArray();
    if (elements.empty()) {
        *result = array;
        return Completion::Normal;
    }
    if (!value::arrays::own(array, elements.size())) {
        report(fileOf(this), line, "%s", value::messages::kNotEnoughMemoryToCopy);
        return Completion::Failed;
    }
    value::arrays::Vector *v = value::arrays::vectorOf(array);
    ScriptValue *items = v->items();
    for (const ValueRecord &record : elements) {
        ScriptValue &item = items[v->length++];
        value::clear(item);
        Completion c = evaluateInto(run, record.expression, item);
        if (c != Completion::Normal) {
            drop(array);
            return c;
        }
    }
    for (size_t i = 0; i < elements.size(); ++i) {
        if (items[i].type == PELORN_UNDEFINED) {
            const Expression *at = elements[i].expression;
            drop(array);
            report(fileOf(at), at->line, msg::kArrayElementUntyped);
            return Completion::Failed;
        }
    }
    // Elements are copies of what was evaluated; for values of the engine
    // the evaluated value itself is that copy.
    for (size_t i = 0; i < elements.size(); ++i) {
        if (copiesPlainly(items[i]))
            continue;
        ScriptValue duplicate = value::empty();
        if (!value::copy(items[i], duplicate)) {
            drop(array);
            return Completion::Failed;
        }
        drop(items[i]);
        items[i] = duplicate;
    }
    *result = array;
    return Completion::Normal;
}

namespace {

bool isIndexable(const ScriptValue &v)
{
    return v.type == PELORN_BYTEARRAY || v.type == PELORN_ARRAY || v.type == PELORN_STRING;
}

// Reads item `index` of an indexable source into result: the value of
// `variable`, or a temporary (null variable) that may give its element
// away instead of copying it.
Completion readItem(const IndexExpr &node, ScriptValue &source, const VariableExpr *variable,
                    const ScriptValue &indexValue, ScriptValue *result)
{
    bool temporary = variable == nullptr;
    if (indexValue.type != PELORN_INTEGER) {
        report(fileOf(node.index), node.index->line, msg::kIndexNotInteger);
        return Completion::Failed;
    }
    auto index = static_cast<uint64_t>(indexValue.u.integer); // negative ones are out of bounds
    const uint8_t *byte = nullptr;
    ScriptValue *element = nullptr;
    switch (source.type) {
    case PELORN_BYTEARRAY:
        if (source.u.bytes.length > 0 && index < static_cast<uint64_t>(source.u.bytes.length))
            byte = source.u.bytes.data + index;
        break;
    case PELORN_STRING:
        if (index < source.u.string.length)
            byte = reinterpret_cast<const uint8_t *>(characterAt(source, index));
        break;
    default:
        if (!temporary)
            holdAsVector(*variable, source);
        element = value::arrays::at(source, index);
        break;
    }
    if (byte != nullptr) {
        setInteger(*result, *byte);
        return Completion::Normal;
    }
    if (element == nullptr) {
        report(fileOf(node.index), node.index->line, msg::kIndexOutOfBounds);
        return Completion::Failed;
    }
    if (temporary)
        return handOver(*element, *result) ? Completion::Normal : Completion::Failed;
    return duplicate(*element, *result) ? Completion::Normal : Completion::Failed;
}

} // namespace

// Out of range, or not an integer item: the general path says why (or
// copies the item).
bool IndexExpr::peekItemNode(const RunContext &run, int64_t &out) const
{
    const ScriptValue *source = leafOf(run, sourceExpression);
    int64_t i;
    if (source->type == PELORN_BYTEARRAY) {
        if (!peekOperand(run, index, i) || i < 0 || i >= source->u.bytes.length)
            return false;
        out = source->u.bytes.data[i];
        return true;
    }
    if (source->type != PELORN_ARRAY || !peekOperand(run, index, i) || i < 0)
        return false;
    const ScriptValue *item = value::arrays::at(*source, static_cast<uint64_t>(i));
    if (item == nullptr || !isPlainInteger(*item))
        return false;
    out = item->u.integer;
    return true;
}

Completion IndexExpr::evaluate(RunContext &run, ScriptValue *result)
{
    // Indexing a variable reads the item where it is instead of copying
    // the whole variable first, when the index cannot change the variable
    // in between.
    if (sourceExpression->kind == ExpressionKind::Variable && index->pure) {
        auto *variable = static_cast<VariableExpr *>(sourceExpression);
        ScriptValue &source = variable->ref(run);
        if (!isIndexable(source)) {
            report(fileOf(sourceExpression), sourceExpression->line, msg::kIndexSourceType);
            return Completion::Failed;
        }
        ScriptValue i = value::empty();
        Completion c = evaluateInto(run, index, i);
        if (c == Completion::Normal)
            c = readItem(*this, source, variable, i, result);
        drop(i);
        return c;
    }
    ScriptValue source = value::empty();
    Completion c = evaluateInto(run, sourceExpression, source);
    if (c != Completion::Normal) {
        drop(source);
        return c;
    }
    if (!isIndexable(source)) {
        drop(source);
        report(fileOf(sourceExpression), sourceExpression->line, msg::kIndexSourceType);
        return Completion::Failed;
    }
    ScriptValue i = value::empty();
    c = evaluateInto(run, index, i);
    if (c == Completion::Normal)
        c = readItem(*this, source, nullptr, i, result);
    drop(i);
    drop(source);
    return c;
}

namespace {

// Evaluates a sub-array bound; false when evaluation did not complete (c
// says how) or the bound is not an integer (c is Normal).
bool evaluateBound(RunContext &run, Expression *e, int64_t &out, Completion &c)
{
    ScriptValue v = value::empty();
    c = evaluateInto(run, e, v);
    bool ok = c == Completion::Normal && v.type == PELORN_INTEGER;
    out = v.u.integer;
    drop(v);
    return ok;
}

// The bounds messages, chosen by the source kind and the item type.
void reportBounds(const SubArrayExpr &node, bool isLow, bool bytes, const char *variable, int64_t lo, int64_t h,
                  int64_t n)
{
    const char *file = fileOf(&node);
    auto L = [](int64_t x) { return static_cast<long long>(x); };
    if (variable != nullptr) {
        const char *format = isLow ? (bytes ? msg::kLowBytesVariable : msg::kLowStringVariable)
                                   : (bytes ? msg::kHighBytesVariable : msg::kHighStringVariable);
        report(file, node.line, format, L(isLow ? lo : h), variable, L(n));
    } else if (isLow) {
        report(file, node.line, bytes ? msg::kLowBytesExpression : msg::kLowStringExpression, L(lo), L(n));
    } else {
        report(file, node.line, bytes ? msg::kHighBytesExpression : msg::kHighStringExpression, L(h), L(lo),
                          L(n));
    }
}

} // namespace

Completion SubArrayExpr::evaluate(RunContext &run, ScriptValue *result)
{
    Completion c;
    int64_t lo = 0, h = 0;
    if (!evaluateBound(run, low, lo, c)) {
        if (c != Completion::Normal)
            return c;
        report(fileOf(this), line, msg::kLowIndexType);
        return Completion::Failed;
    }
    if (high != nullptr && !evaluateBound(run, high, h, c)) {
        if (c != Completion::Normal)
            return c;
        report(fileOf(this), line, msg::kHighIndexType);
        return Completion::Failed;
    }
    // A plain variable is read where it is; anything else is evaluated
    // into a temporary.
    const char *variable = nullptr;
    ScriptValue temporary = value::empty();
    ScriptValue *source = &temporary;
    if (sourceExpression->kind == ExpressionKind::Variable) {
        auto *v = static_cast<VariableExpr *>(sourceExpression);
        variable = v->name.c_str();
        source = &v->ref(run);
    } else {
        c = evaluateInto(run, sourceExpression, temporary);
        if (c != Completion::Normal) {
            drop(temporary);
            return c;
        }
    }
    c = Completion::Failed;
    bool bytes = source->type == PELORN_BYTEARRAY;
    if (source->type == PELORN_ARRAY) {
        report(fileOf(this), line, msg::kSubArrayOfArray);
    } else if (!bytes && source->type != PELORN_STRING) {
        if (variable != nullptr)
            report(fileOf(this), line, msg::kSubArrayVariableType, variable);
        else
            report(fileOf(this), line, msg::kSubArrayExpressionType);
    } else {
        int64_t n = bytes ? source->u.bytes.length : static_cast<int64_t>(source->u.string.length);
        int64_t last = n - 1;
        int64_t hi = high == nullptr ? last : h >= 0 ? h : last + h;
        if (lo < 0 || lo > last) {
            reportBounds(*this, true, bytes, variable, lo, h, n);
        } else if (hi < lo || hi > last) {
            reportBounds(*this, false, bytes, variable, lo, h, n);
        } else {
            int64_t count = hi - lo + 1;
            if (bytes) {
                *result = value::makeBytes(source->u.bytes.data + lo, static_cast<int32_t>(count));
            } else {
                auto *text = static_cast<char *>(zalloc(static_cast<int32_t>(count)));
                value::chain::extract(source->u.string, static_cast<uint64_t>(lo), static_cast<uint64_t>(count), text);
                text[count] = '\0';
                *result = value::adoptString(text, static_cast<uint32_t>(count));
            }
            c = Completion::Normal;
        }
    }
    drop(temporary);
    return c;
}

namespace {

// The "length" of an array, read where it is.
bool isLengthOfArray(const ScriptValue &v, const std::string &property)
{
    return v.type == PELORN_ARRAY && strcasecmp(property.c_str(), "length") == 0;
}

// Calls a get-property hook; turns its failures into messages.
Completion readProperty(RunContext &run, const PropertyExpr &node, GetPropertyFn hook, ScriptValue &source,
                        ScriptValue *result)
{
    if (hook != GetField) // a module's hook runs in the directory of the run, as its routines do
        run.directory.sync();
    const Expression *at = node.sourceExpression;
    const char *name = node.property.c_str();
    int32_t code;
    try {
        code = hook(&source, name, result);
    } catch (api::NativeThrow &thrown) {
        value::forgetPositions();
        drop(*result);
        std::string text;
        if (textOf(thrown.value, text))
            report(fileOf(at), at->line, msg::kPropertyReadThrew, name, text.c_str());
        else
            report(fileOf(at), at->line, msg::kPropertyReadThrewUnknown, name);
        drop(thrown.value);
        return Completion::Failed;
    }
    if (hook != GetField)
        value::forgetPositions();
    if (code == 0)
        return Completion::Normal;
    drop(*result);
    if (code == 1)
        report(fileOf(at), at->line, msg::kPropertyNotFound, name);
    else
        report(fileOf(at), at->line, msg::kPropertyReadFailed, name, static_cast<unsigned>(code));
    return Completion::Failed;
}

} // namespace

Completion PropertyExpr::evaluate(RunContext &run, ScriptValue *result)
{
    if (sourceExpression->kind == ExpressionKind::Variable) {
        // The engine's own hook only reads, so it may read the variable
        // where it is; other hooks get their copy.
        auto *variable = static_cast<VariableExpr *>(sourceExpression);
        ScriptValue &stored = variable->ref(run);
        if (stored.getProperty == GetField || stored.getProperty == nullptr) {
            if (isLengthOfArray(stored, property)) {
                holdAsVector(*variable, stored);
                setInteger(*result, static_cast<uint32_t>(value::arrays::length(stored)));
                return Completion::Normal;
            }
            if (stored.type != PELORN_ARRAY) // an array's text asks its elements' hooks
                return readProperty(run, *this, GetField, stored, result);
        }
    }
    ScriptValue source = value::empty();
    Completion c = evaluateInto(run, sourceExpression, source);
    if (c != Completion::Normal) {
        drop(source);
        return c;
    }
    GetPropertyFn hook = source.getProperty != nullptr ? source.getProperty : GetField;
    if (hook == GetField && isLengthOfArray(source, property)) {
        setInteger(*result, static_cast<uint32_t>(value::arrays::length(source)));
        c = Completion::Normal;
    } else {
        c = readProperty(run, *this, hook, source, result);
    }
    drop(source);
    return c;
}

} // namespace pelorn::interp
