// Prints an expression tree as a compact S-expression, to compare the
// shapes the grammar builds.
#pragma once

#include "front/symbols.h"
#include "interp/nodes.h"

#include <string>

namespace pelorn::fixture {

inline std::string shape(const interp::Expression *e);

inline std::string shapeList(const char *head, const interp::Arguments &arguments)
{
    std::string out = std::string("(") + head;
    for (uint32_t i = 0; i < arguments.count; ++i)
        out += " " + shape(arguments.expression(i));
    return out + ")";
}

inline std::string shape(const interp::Expression *e)
{
    using namespace interp;
    static const char *const arithmetic[] = {"+", "-", "*", "/", "%", "^^", "&", "|", "^", "<<", ">>"};
    static const char *const conditions[] = {"=", "!=", ">", "<", ">=", "<=", "and", "or", "not"};
    if (e == nullptr)
        return "null";
    if (auto *v = dynamic_cast<const VariableExpr *>(e))
        return v->name;
    if (auto *l = dynamic_cast<const LiteralExpr *>(e)) {
        switch (l->value.type) {
        case PELORN_INTEGER:
            return std::to_string(l->value.u.integer);
        case PELORN_STRING:
            return std::string("\"") + l->value.u.string.first.text + "\"";
        case PELORN_BOOLEAN:
            return l->value.u.boolean != 0 ? "TRUE" : "FALSE";
        case PELORN_BYTEARRAY:
            return "<" + std::to_string(l->value.u.bytes.length) + " bytes>";
        default:
            return "literal";
        }
    }
    if (auto *a = dynamic_cast<const ArithmeticExpr *>(e))
        return std::string("(") + arithmetic[static_cast<int>(a->op)] + " " + shape(a->left) + " " + shape(a->right) +
               ")";
    if (auto *c = dynamic_cast<const ConditionExpr *>(e)) {
        std::string out = std::string("(") + conditions[static_cast<int>(c->op)] + " " + shape(c->left);
        return c->right != nullptr ? out + " " + shape(c->right) + ")" : out + ")";
    }
    if (auto *n = dynamic_cast<const NegateExpr *>(e))
        return "(neg " + shape(n->operand) + ")";
    if (auto *t = dynamic_cast<const TypeofExpr *>(e))
        return "(typeof " + shape(t->operand) + ")";
    if (auto *i = dynamic_cast<const IndexExpr *>(e))
        return "(index " + shape(i->sourceExpression) + " " + shape(i->index) + ")";
    if (auto *s = dynamic_cast<const SubArrayExpr *>(e))
        return "(sub " + shape(s->sourceExpression) + " " + shape(s->low) + " " + shape(s->high) + ")";
    if (auto *p = dynamic_cast<const PropertyExpr *>(e))
        return "(. " + shape(p->sourceExpression) + " " + p->property + ")";
    if (auto *a = dynamic_cast<const ArrayLiteralExpr *>(e)) {
        std::string out = "[";
        for (const ValueRecord &r : a->elements)
            out += (out.size() > 1 ? " " : "") + shape(r.expression);
        return out + "]";
    }
    if (auto *f = dynamic_cast<const FunctionCallExpr *>(e))
        return shapeList(("call " + f->name).c_str(), f->arguments);
    if (auto *b = dynamic_cast<const BuiltinFunctionCallExpr *>(e))
        return shapeList(b->name, b->arguments);
    return "?";
}

} // namespace pelorn::fixture
