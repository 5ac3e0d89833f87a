// Rule actions of the APDU command line: a chain of nodes, one a part.
#include "front/actions.h"

#include "front/messages.h"
#include "front/tree_builder.h"

namespace pelorn::front::actions {

using namespace build;

namespace {

ApduStatement *addPart(ApduStatement *previous, Expression *part)
{
    return node<ApduStatement>({previous, part}, previous, part);
}

} // namespace

ApduStatement *apduMask(ApduStatement *apdu, char *mask)
{
    apdu->mask = mask;
    apdu->hasMask = true;
    dropText(mask);
    return apdu;
}

ApduStatement *apduBytes(ApduStatement *previous, BytesToken bytes)
{
    return addPart(previous, bytesLiteral(bytes));
}

ApduStatement *apduInteger(ApduStatement *previous, int64_t value)
{
    return addPart(previous, integerLiteral(value));
}

ApduStatement *apduString(ApduStatement *previous, char *text)
{
    return addPart(previous, stringLiteral(text));
}

ApduStatement *apduVariable(ApduStatement *previous, IdentifierToken name)
{
    requireKnown(name, kShortCheckLimit, messages::kApduPartUndeclared);
    interp::VariableExpr *variable = bind(name);
    dropText(name.name);
    return addPart(previous, variable);
}

ApduStatement *apduVariableMember(ApduStatement *previous, IdentifierToken name, char *member)
{
    requireKnown(name, kShortCheckLimit, messages::kApduMemberUndeclared, member);
    Expression *variable = bind(name);
    dropText(name.name);
    return addPart(previous, actions::member(variable, member));
}

ApduStatement *apduVariableRange(ApduStatement *previous, IdentifierToken name, Expression *low, Expression *high)
{
    requireKnown(name, kShortCheckLimit, messages::kApduPartUndeclared);
    Expression *variable = bind(name);
    dropText(name.name);
    return addPart(previous, subArray(variable, low, high));
}

ApduStatement *apduConstant(ApduStatement *previous, SymbolEntry *constant)
{
    return addPart(previous, actions::constant(constant));
}

ApduStatement *apduConstantMember(ApduStatement *previous, SymbolEntry *constant, char *member)
{
    return addPart(previous, actions::member(actions::constant(constant), member));
}

ApduStatement *apduConstantRange(ApduStatement *previous, SymbolEntry *constant, Expression *low, Expression *high)
{
    return addPart(previous, subArray(actions::constant(constant), low, high));
}

} // namespace pelorn::front::actions
