// Prints an expression tree as a compact S-expression, to compare the
// shapes the grammar builds.
#pragma once

#include "front/symbols.h"
#include "interp/nodes.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace pelorn::fixture {

inline std::string shape(const interp::Expression *e);

// Pieces run together (appending sidesteps a false warning of GCC 12 on
// "text" + std::string in optimised builds).
inline std::string join(std::initializer_list<std::string_view> pieces)
{
    std::string out;
    for (std::string_view piece : pieces)
        out.append(piece);
    return out;
}

inline std::string shapeList(std::string_view head, const interp::Arguments &arguments)
{
    std::string out = join({"(", head});
    for (uint32_t i = 0; i < arguments.count; ++i)
        out.append(join({" ", shape(arguments.expression(i))}));
    out.append(")");
    return out;
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
            return join({"\"", l->value.u.string.first.text, "\""});
        case PELORN_BOOLEAN:
            return l->value.u.boolean != 0 ? "TRUE" : "FALSE";
        case PELORN_BYTEARRAY:
            return join({"<", std::to_string(l->value.u.bytes.length), " bytes>"});
        default:
            return "literal";
        }
    }
    if (auto *a = dynamic_cast<const ArithmeticExpr *>(e))
        return join({"(", arithmetic[static_cast<int>(a->op)], " ", shape(a->left), " ", shape(a->right), ")"});
    if (auto *c = dynamic_cast<const ConditionExpr *>(e)) {
        std::string out = join({"(", conditions[static_cast<int>(c->op)], " ", shape(c->left)});
        if (c->right != nullptr)
            out.append(join({" ", shape(c->right)}));
        out.append(")");
        return out;
    }
    if (auto *n = dynamic_cast<const NegateExpr *>(e))
        return join({"(neg ", shape(n->operand), ")"});
    if (auto *t = dynamic_cast<const TypeofExpr *>(e))
        return join({"(typeof ", shape(t->operand), ")"});
    if (auto *i = dynamic_cast<const IndexExpr *>(e))
        return join({"(index ", shape(i->sourceExpression), " ", shape(i->index), ")"});
    if (auto *s = dynamic_cast<const SubArrayExpr *>(e))
        return join({"(sub ", shape(s->sourceExpression), " ", shape(s->low), " ", shape(s->high), ")"});
    if (auto *p = dynamic_cast<const PropertyExpr *>(e))
        return join({"(. ", shape(p->sourceExpression), " ", p->property, ")"});
    if (auto *a = dynamic_cast<const ArrayLiteralExpr *>(e)) {
        std::string out = "[";
        for (const ValueRecord &r : a->elements)
            out.append(join({out.size() > 1 ? " " : "", shape(r.expression)}));
        out.append("]");
        return out;
    }
    if (auto *f = dynamic_cast<const FunctionCallExpr *>(e))
        return shapeList(join({"call ", f->name}), f->arguments);
    if (auto *b = dynamic_cast<const BuiltinFunctionCallExpr *>(e))
        return shapeList(b->name, b->arguments);
    return "?";
}

} // namespace pelorn::fixture
