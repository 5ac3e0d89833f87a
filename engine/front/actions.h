// The grammar's rule actions: each builds its node, makes the checks that
// can be made while compiling, moves names between the symbol lists and
// keeps the pending list exact. Rule numbers are the grammar's.
#pragma once

#include "front/semantic_value.h"
#include "interp/nodes.h"

namespace pelorn::front::actions {

using interp::ApduStatement;
using interp::BlockStatement;
using interp::Expression;
using interp::Statement;

// ------------------------------------------------------------ declarations

void declarationsDone();                                         // 2
void appendTopLevel(Statement *statement);                       // 3
void declareConstant(char *name, Expression *value);             // 8
void useModule(char *text);                                      // 9
void defineRoutine(bool function, char *name, ParameterList *parameters, BlockStatement *body); // 10, 11
ParameterList *firstParameter(IdentifierToken name);             // 79
ParameterList *nextParameter(ParameterList *list, IdentifierToken name); // 80

// -------------------------------------------------------------- statements

BlockStatement *firstStatement(Statement *statement);                    // 12
BlockStatement *nextStatement(BlockStatement *block, Statement *statement); // 13
Statement *simpleStatement(Statement *statement);                        // 14
Statement *compoundStatement(Statement *statement);                      // 15
Statement *builtinProcedureCall(SymbolEntry *routine, ExpressionList *arguments); // 16
Statement *procedureCall(IdentifierToken name, ExpressionList *arguments);        // 17
Statement *increment(IdentifierToken name, bool up);                     // 19, 20
Statement *breakStatement();                                             // 21
Statement *returnStatement(Expression *value);                           // 22 (null), 23
Statement *throwStatement(Expression *value);                            // 24
Statement *tryStatement(BlockStatement *body, IdentifierToken name, BlockStatement *handler); // 46
Statement *forStatement(IdentifierToken counter, Expression *start, Expression *stop, Expression *step,
                        BlockStatement *body);                           // 47-50 (step null without STEP)
Statement *whileStatement(Expression *condition, BlockStatement *body);  // 51
Statement *ifStatement(Expression *condition, BlockStatement *thenBlock, BlockStatement *elseBlock); // 52, 53

// ------------------------------------------------------------- assignments

Statement *assign(IdentifierToken name, Expression *value);              // 54
Statement *compoundAssign(IdentifierToken name, interp::CompoundOperator op, Expression *value); // 55-59
Statement *elementCompoundAssign(IdentifierToken name, ExpressionList *indexes, interp::CompoundOperator op,
                                 Expression *value);                     // 60-64
Statement *elementAssign(IdentifierToken name, ExpressionList *indexes, Expression *value); // 65
Statement *memberAssign(IdentifierToken name, char *member, Expression *value);            // 66
[[noreturn]] void memberOfElementAssign();                               // 67
[[noreturn]] void constantAssign();                                      // 68-71

// -------------------------------------------------------------------- APDU

ApduStatement *apduMask(ApduStatement *apdu, char *mask);                // 25
ApduStatement *apduBytes(ApduStatement *previous, BytesToken bytes);     // 30 (previous null), 31
ApduStatement *apduInteger(ApduStatement *previous, int64_t value);      // 32
ApduStatement *apduString(ApduStatement *previous, char *text);          // 33
ApduStatement *apduVariable(ApduStatement *previous, IdentifierToken name); // 34
ApduStatement *apduVariableMember(ApduStatement *previous, IdentifierToken name, char *member); // 35
ApduStatement *apduVariableRange(ApduStatement *previous, IdentifierToken name, Expression *low,
                                 Expression *high);                      // 36, 37 (high null)
ApduStatement *apduConstant(ApduStatement *previous, SymbolEntry *constant); // 38
ApduStatement *apduConstantMember(ApduStatement *previous, SymbolEntry *constant, char *member); // 39
ApduStatement *apduConstantRange(ApduStatement *previous, SymbolEntry *constant, Expression *low,
                                 Expression *high);                      // 40, 41

// ------------------------------------------------------------- expressions

Expression *subArray(Expression *source, Expression *low, Expression *high); // 27, 28 (high null)
Expression *typeLiteral(int32_t typeCode);                               // 73
Expression *typeOf(Expression *operand);                                 // 74
ExpressionList *listOf(Expression *first);                               // 75, 83, 85
ExpressionList *listAppend(ExpressionList *list, Expression *next);      // 76, 84
ExpressionList *byValue(Expression *argument);                           // 86
ExpressionList *joinLists(ExpressionList *first, ExpressionList *second); // 87
Expression *index(Expression *source, Expression *position);             // 88
Expression *name(IdentifierToken name);                                  // 91
Expression *member(Expression *source, char *member);                    // 93
Expression *arrayLiteral(ExpressionList *elements);                      // 95, 96 (null)
Expression *functionCall(IdentifierToken name, ExpressionList *arguments); // 97
Expression *builtinFunctionCall(SymbolEntry *routine, ExpressionList *arguments); // 98
Expression *arithmetic(interp::ArithmeticOperator op, Expression *left, Expression *right); // 99-109
Expression *negate(Expression *operand);                                 // 110
Expression *condition(interp::ConditionOperator op, Expression *left, Expression *right); // 111-121
Expression *integerLiteral(int64_t value);                               // 122
Expression *stringLiteral(char *text);                                   // 123
Expression *floatLiteral(double value);                                  // 124
Expression *booleanLiteral(uint8_t value);                               // 125
Expression *bytesLiteral(BytesToken bytes);                              // 126
Expression *constant(SymbolEntry *entry);                                // 127

} // namespace pelorn::front::actions
