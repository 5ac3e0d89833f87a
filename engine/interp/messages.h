// Every diagnostic of the interpreter, in one place. report() puts the file
// and line of the node a run-time message concerns in front of it. The texts (their
// spelling included) are what scripts and hosts see; do not "fix" them.
#pragma once

namespace pelorn::interp::msg {

// ------------------------------------------------ uncaught transfers (run entry)
inline constexpr char kBreakOutsideLoop[] =
    "Runtime error : Can't call \"break\" outside of a while or a for block.";
inline constexpr char kReturnOutsideFunction[] =
    "Runtime error : Can't call \"return\" statement outside of a function";
inline constexpr char kUncaughtInteger[] = "Uncaught exception (0x%.8llX)";
inline constexpr char kUncaughtText[] = "Uncaught exception (%s)";
inline constexpr char kUncaughtUnknown[] = "Uncaught exception (unknown)";
inline constexpr char kUncaughtApduText[] = "Uncaught exception while sending APDU (%s)";
inline constexpr char kUncaughtApduUnknown[] = "Uncaught exception (unknown) while sending APDU";
inline constexpr char kBuiltinBadArguments[] = "Exception (Bad Arguments) thrown by Function \"%s\"";
inline constexpr char kBuiltinInteger[] = "Uncaught exception (0x%.8llX) from Function \"%s\"";
inline constexpr char kBuiltinText[] = "Uncaught exception (%s) from Function \"%s\"";
inline constexpr char kBuiltinUnknown[] = "Uncaught exception (unknown) from Function \"%s\"";

// The host stopped the run (InterruptScript).
inline constexpr char kInterrupted[] = "%s(%d) : Run interrupted.";

// ------------------------------------------------------------------- calls
inline constexpr char kProcedureNotFound[] = "Runtime error : Procedure \"%s\" not found.";
inline constexpr char kFunctionNotFound[] = "Runtime error : Function \"%s\" not found.";
inline constexpr char kProcedureArgumentCount[] =
    "Runtime error : Expecting %d argument(s) for procedure \"%s\"";
inline constexpr char kFunctionArgumentCount[] =
    "Runtime error : Expecting %d argument(s) for function \"%s\"";
inline constexpr char kProcedureDepth[] = "Runtime error : maximum call depth reached for procedure \"%s\"";
inline constexpr char kFunctionDepth[] = "Runtime error : maximum call depth reached for function \"%s\"";
inline constexpr char kProcedureReturnsValue[] =
    "Can't return a value from a procedure. Use a function instead.";
inline constexpr char kFunctionMustReturn[] = "You must return a value from function %s";
inline constexpr char kFunctionReturnUntyped[] = "Returned value from function %s has no type.";

// --------------------------------------------------------------- operators
inline constexpr char kLeftUntyped[] = "Left operande of operation \"%s\" has no type.";
inline constexpr char kRightUntyped[] = "Right operande of operation \"%s\" has no type.";
inline constexpr char kArithmeticBoolean[] = "Arithmetic operations not allowed for booleans.";
inline constexpr char kAddSameType[] =
    "The operator + can only be applied to integers,floats,strings and bytearrays.";
// Strings and byte arrays hold their length in 32 bits.
inline constexpr char kJoinTooLong[] =
    "Runtime error : the result of the addition would be longer than 2147483647.";
inline constexpr char kJoinNoMemory[] = "Runtime error : not enough memory for the result of the addition.";
inline constexpr char kAddMismatch[] = "Can't perform addition with the given values.";
inline constexpr char kOnlyPlusStrings[] = "Only the operator + is allowed for strings.";
inline constexpr char kOnlyPlusBytes[] = "Only the operator + is allowed for bytearrays.";
inline constexpr char kUnsupportedOperand[] = "Unsupported type for the \"%s\" operator.";
inline constexpr char kDivisionByZero[] = "Devision by zero";
inline constexpr char kModuloNonInteger[] = "Can't apply operator %% to non integer values.";
inline constexpr char kExponentNotInteger[] = "Exponent must be an integer.";
inline constexpr char kShiftLeftNonInteger[] = "Can't apply operator \"<<\" to non integer values.";
inline constexpr char kShiftRightNonInteger[] = "Can't apply operator \">>\" to non integer values.";
inline constexpr char kBitwiseNonInteger[] = "The \"%s\" operator is avalaible only for integers.";
inline constexpr char kNegateUntyped[] =
    "The operator \"-\" has been applied to an expression that has not type.";
inline constexpr char kNegateType[] = "The \"-\" operator applies only to integers and floats.";
inline constexpr char kNotType[] = "Can't convert expression to a boolean value.";
inline constexpr char kConditionUntyped[] = "Boolean expression contain a variable with no defined type.";
inline constexpr char kLogicNonBoolean[] = "operator %s allowed only for booleans";
inline constexpr char kCompareMixedTypes[] =
    "Can't compare expressions with different types apart from integers and floats.";
inline constexpr char kBooleanOrder[] = "Operator %s not allowed for booleans.";
inline constexpr char kBytesOrder[] = "Operator %s not allowed for ByteArrays.";
inline constexpr char kCompareUnsupported[] = "Comparaison unsupported for the type of expressions value.";

// ------------------------------------------------------------- assignments
inline constexpr char kAssignUntyped[] = "Error on operator \"=\" for variable %s : Right expression has no type.";
inline constexpr char kAssignConstant[] = "variable %s is a constant that can't be modified.";
inline constexpr char kAssignReadOnly[] = "variable %s is read-only and so it can't be modified.";
inline constexpr char kCompoundUntyped[] =
    "Error on operator \"%s\" for variable %s : Right expression has no type.";
inline constexpr char kCompoundConstant[] = "Error on operator \"%s\" for variable %s : variable is a constant.";
inline constexpr char kCompoundReadOnly[] = "Error on operator \"%s\" for variable %s : variable is a Read-Only.";
inline constexpr char kCompoundTypeDiffers[] =
    "Error on operator \"%s\" for variable %s : Right expression's type is different from variable's type.";
inline constexpr char kCompoundIncompatible[] = "Error on operator \"%s\" for variable %s : incompatible type.";
inline constexpr char kIncrementUntyped[] = "variable %s in front of operator %s has no type";
inline constexpr char kIncrementNotInteger[] = "variable %s in front of operator %s has not an integer type";
inline constexpr char kPropertyNoHook[] = "Can't set property \"%s\" for variable \"%s\"";
inline constexpr char kPropertyUnknown[] = "unknown property \"%s\" for variable \"%s\"";
inline constexpr char kPropertyReadOnly[] = "property \"%s\" for variable \"%s\" is read-only";
inline constexpr char kPropertyIncompatible[] = "incompatible value set to property \"%s\" for variable \"%s\"";
inline constexpr char kPropertySetThrew[] = "Failed to set property \"%s\" of variable \"%s\" (%s)";
// Shown in kPropertySetThrew when the thrown value has no text.
inline constexpr char kUnknownText[] = "unknwon";

// ---------------------------------------------------------------- elements
inline constexpr char kElementConstant[] = "variable %s is a constant and so it can't be modified";
inline constexpr char kElementReadOnly[] = "variable %s is a read-obly and so it can't be modified";
inline constexpr char kElementNotArray[] = "Can't apply operator [] to non array types";
inline constexpr char kElementNotArrayLike[] = "Can't apply operator [] to non array-like types";
inline constexpr char kIndexNotInteger[] = "Expression inside operator [] must evaluate to an integer.";
inline constexpr char kElementOutOfBounds[] = "Index out of bounds of variable %s";
inline constexpr char kElementOutOfBoundsDetailed[] =
    "Index out of bounds of variable %s (index = %llu, size = %llu)";
inline constexpr char kElementCompoundConstant[] = "variable %s is a constant that can't be modified";
inline constexpr char kElementCompoundReadOnly[] = "variable %s is read-only and so it can't be modified";
inline constexpr char kTooManyIndexes[] = "Wrong number of []'s used with variable %s.";
inline constexpr char kElementValueType[] =
    "Expression on the right of = operator must evaluate to integer or float";
inline constexpr char kElementModuloZero[] =
    "Division by Zero. Expression on the right of %%= operator evaluate to zero";
inline constexpr char kElementDivideZero[] =
    "Division by Zero. Expression on the right of /= operator evaluate to zero";
inline constexpr char kElementCompoundType[] =
    "Error on operator \"%s\" for variable %s : Right expression's type is incompatible.";

// ------------------------------------------------------------------- reads
inline constexpr char kArrayElementUntyped[] = "Expression in the array has no type.";
inline constexpr char kIndexSourceType[] =
    "Can't apply operator [] to expression because it doesn't have an array or string type";
inline constexpr char kIndexOutOfBounds[] = "Index out of bounds";
inline constexpr char kLowIndexType[] = "Low index for subarray extraction doesn't evaluate to an integer";
inline constexpr char kHighIndexType[] = "High index for subarray extraction doesn't evaluate to an integer";
inline constexpr char kSubArrayOfArray[] =
    "subArray extraction of arrays other than BYTEARRAY or STRING not implemented";
inline constexpr char kSubArrayVariableType[] =
    "Variable \"%s\" doesn't have an array or string type as required by subarray extraction";
inline constexpr char kSubArrayExpressionType[] =
    "expression for subarray extraction doesn't have an array or string type as required by subarray "
    "extraction";
inline constexpr char kLowBytesVariable[] =
    "Index out of bounds : low index (%lld) for BYTEARRAY variable \"%s\"(%lld bytes) is out of range";
inline constexpr char kHighBytesVariable[] =
    "Index out of bounds : high index (%lld) for BYTEARRAY variable \"%s\"(%lld bytes) is out of range";
inline constexpr char kLowBytesExpression[] =
    "Index out of bounds : low index (%lld) for subarray extraction is out of range (expression is %lld "
    "bytes long)";
inline constexpr char kHighBytesExpression[] =
    "Index out of bounds : high index (%lld) for subarray extraction is out of range (low index = %lld, "
    "number of bytes = %lld)";
inline constexpr char kLowStringVariable[] =
    "Index out of bounds : low index (%lld) for STRING variable \"%s\"(%lld characters) is out of range";
inline constexpr char kHighStringVariable[] =
    "Index out of bounds : high index (%lld) for STRING variable \"%s\"(%lld characters) is out of range";
inline constexpr char kLowStringExpression[] =
    "Index out of bounds : low index (%lld) for substring extraction is out of range (expression is %lld "
    "characters long)";
inline constexpr char kHighStringExpression[] =
    "Index out of bounds : high index (%lld) for substring extraction is out of range (low index = %lld, "
    "number of characters = %lld)";
inline constexpr char kPropertyNotFound[] = "property \"%s\" not found for expression value";
inline constexpr char kPropertyReadFailed[] = "Failed to retreive property \"%s\" from expression value(0x%.8X)";
inline constexpr char kPropertyReadThrew[] = "Error occured while retreiving field \"%s\" from expression (%s)";
inline constexpr char kPropertyReadThrewUnknown[] = "Failed to retreive field \"%s\" from expression";

// ---------------------------------------------------------- conditionals and loops
inline constexpr char kIfCondition[] = "Condition expression in IF block must evaluate to a boolean value.";
inline constexpr char kWhileCondition[] =
    "Condition expression in WHILE block must evaluate to a boolean,integer or float value.";
inline constexpr char kForCounter[] = "Counter variable in FOR block must have integer type.";
inline constexpr char kForStepType[] = "Step in FOR block must evaluate to an integer";
inline constexpr char kForStepZero[] = "Step in FOR block can't be zero.";
// "IF block" is the wording of these two for-loop messages.
inline constexpr char kForStart[] = "Start value in IF block must evaluate to integer.";
inline constexpr char kForStop[] = "Stop value in IF block must evaluate to integer.";

// ----------------------------------------------------------- unattended builds
inline constexpr char kRunBudgetSpent[] = "Runtime error : run budget spent.";

} // namespace pelorn::interp::msg
