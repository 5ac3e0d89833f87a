// The value that travels with every token and every grammar symbol.
#pragma once

#include "pelorn.h"

#include <cstdint>
#include <vector>

namespace pelorn::interp {
class Statement;
class BlockStatement;
class ApduStatement;
class Expression;
class VariableExpr;
} // namespace pelorn::interp

namespace pelorn::front {

// Expressions in source order: arguments, indexes, array elements.
using ExpressionList = std::vector<interp::Expression *>;
// The VariableExprs of a routine's parameters, in source order.
using ParameterList = std::vector<interp::VariableExpr *>;

// A name as the scanner saw it.
struct IdentifierToken {
    char *name;         // zalloc'd copy of the name
    SymbolEntry *entry; // what the name meant when it was scanned, or null
};

// A byte-array literal's bytes.
struct BytesToken {
    uint8_t *data; // zalloc'd; null for <>
    int32_t length;
};

// Plain data only: the generated parser copies these records bytewise.
// Every heap text or block a token carries is also on the pending list
// until a rule action consumes it.
union SemanticValue {
    IdentifierToken identifier;
    SymbolEntry *entry;     // CONST_VAR, VFNCT, SFNCT, MFNCT
    int32_t typeCode;       // VALUETYPE
    int64_t integer;        // INTVALUE
    double real;            // FLT
    char *text;             // STR, MEMBER, APDU_SW_MASK, PROC_NAME, FUNC_NAME, CONST_DECL
    uint8_t boolean;        // BOOLVALUE
    BytesToken bytes;       // BYTEARRAY
    interp::Statement *statement;
    interp::BlockStatement *block;
    interp::ApduStatement *apdu;
    interp::Expression *expression;
    ExpressionList *list;        // null when empty
    ParameterList *parameters;   // null when empty
};

} // namespace pelorn::front
