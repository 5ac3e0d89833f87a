// Every diagnostic of the interpreter, in one place. Each run-time message
// starts with the file and line of the node it concerns. The texts (their
// spelling included) are what scripts and hosts see; do not "fix" them.
#pragma once

namespace pelorn::interp::msg {

// ------------------------------------------------ uncaught transfers (run entry)
inline constexpr char kBreakOutsideLoop[] =
    "%s(%d) : Runtime error : Can't call \"break\" outside of a while or a for block.";
inline constexpr char kReturnOutsideFunction[] =
    "%s(%d) : Runtime error : Can't call \"return\" statement outside of a function";
inline constexpr char kUncaughtInteger[] = "%s(%d) : Uncaught exception (0x%.8llX)";
inline constexpr char kUncaughtText[] = "%s(%d) : Uncaught exception (%s)";
inline constexpr char kUncaughtUnknown[] = "%s(%d) : Uncaught exception (unknown)";
inline constexpr char kUncaughtApduText[] = "%s(%d) : Uncaught exception while sending APDU (%s)";
inline constexpr char kUncaughtApduUnknown[] = "%s(%d) : Uncaught exception (unknown) while sending APDU";
inline constexpr char kBuiltinBadArguments[] = "%s(%d) : Exception (Bad Arguments) thrown by Function \"%s\"";
inline constexpr char kBuiltinInteger[] = "%s(%d) : Uncaught exception (0x%.8llX) from Function \"%s\"";
inline constexpr char kBuiltinText[] = "%s(%d) : Uncaught exception (%s) from Function \"%s\"";
inline constexpr char kBuiltinUnknown[] = "%s(%d) : Uncaught exception (unknown) from Function \"%s\"";

// The host stopped the run (InterruptScript).
inline constexpr char kInterrupted[] = "%s(%d) : Run interrupted.";

// ------------------------------------------------------------------- calls
inline constexpr char kProcedureNotFound[] = "%s(%d) : Runtime error : Procedure \"%s\" not found.";
inline constexpr char kFunctionNotFound[] = "%s(%d) : Runtime error : Function \"%s\" not found.";
inline constexpr char kProcedureArgumentCount[] =
    "%s(%d) : Runtime error : Expecting %d argument(s) for procedure \"%s\"";
inline constexpr char kFunctionArgumentCount[] =
    "%s(%d) : Runtime error : Expecting %d argument(s) for function \"%s\"";
inline constexpr char kProcedureDepth[] = "%s(%d) : Runtime error : maximum call depth reached for procedure \"%s\"";
inline constexpr char kFunctionDepth[] = "%s(%d) : Runtime error : maximum call depth reached for function \"%s\"";
inline constexpr char kProcedureReturnsValue[] =
    "%s(%d) : Can't return a value from a procedure. Use a function instead.";
inline constexpr char kFunctionMustReturn[] = "%s(%d) : You must return a value from function %s";
inline constexpr char kFunctionReturnUntyped[] = "%s(%d) : Returned value from function %s has no type.";

// --------------------------------------------------------------- operators
inline constexpr char kLeftUntyped[] = "%s(%d) : Left operande of operation \"%s\" has no type.";
inline constexpr char kRightUntyped[] = "%s(%d) : Right operande of operation \"%s\" has no type.";
inline constexpr char kArithmeticBoolean[] = "%s(%d) : Arithmetic operations not allowed for booleans.";
inline constexpr char kAddSameType[] =
    "%s(%d) : The operator + can only be applied to integers,floats,strings and bytearrays.";
// Strings and byte arrays hold their length in 32 bits.
inline constexpr char kJoinTooLong[] =
    "%s(%d) : Runtime error : the result of the addition would be longer than 2147483647.";
inline constexpr char kJoinNoMemory[] = "%s(%d) : Runtime error : not enough memory for the result of the addition.";
inline constexpr char kAddMismatch[] = "%s(%d) : Can't perform addition with the given values.";
inline constexpr char kOnlyPlusStrings[] = "%s(%d) : Only the operator + is allowed for strings.";
inline constexpr char kOnlyPlusBytes[] = "%s(%d) : Only the operator + is allowed for bytearrays.";
inline constexpr char kUnsupportedOperand[] = "%s(%d) : Unsupported type for the \"%s\" operator.";
inline constexpr char kDivisionByZero[] = "%s(%d) : Devision by zero";
inline constexpr char kModuloNonInteger[] = "%s(%d) : Can't apply operator %% to non integer values.";
inline constexpr char kExponentNotInteger[] = "%s(%d) : Exponent must be an integer.";
inline constexpr char kShiftLeftNonInteger[] = "%s(%d) : Can't apply operator \"<<\" to non integer values.";
inline constexpr char kShiftRightNonInteger[] = "%s(%d) : Can't apply operator \">>\" to non integer values.";
inline constexpr char kBitwiseNonInteger[] = "%s(%d) : The \"%s\" operator is avalaible only for integers.";
inline constexpr char kNegateUntyped[] =
    "%s(%d) : The operator \"-\" has been applied to an expression that has not type.";
inline constexpr char kNegateType[] = "%s(%d) : The \"-\" operator applies only to integers and floats.";
inline constexpr char kNotType[] = "%s(%d) : Can't convert expression to a boolean value.";
inline constexpr char kConditionUntyped[] = "%s(%d) : Boolean expression contain a variable with no defined type.";
inline constexpr char kLogicNonBoolean[] = "%s(%d) : operator %s allowed only for booleans";
inline constexpr char kCompareMixedTypes[] =
    "%s(%d) : Can't compare expressions with different types apart from integers and floats.";
inline constexpr char kBooleanOrder[] = "%s(%d) : Operator %s not allowed for booleans.";
inline constexpr char kBytesOrder[] = "%s(%d) : Operator %s not allowed for ByteArrays.";
inline constexpr char kCompareUnsupported[] = "%s(%d) : Comparaison unsupported for the type of expressions value.";

// ------------------------------------------------------------- assignments
inline constexpr char kAssignUntyped[] = "%s(%d) : Error on operator \"=\" for variable %s : Right expression has no type.";
inline constexpr char kAssignConstant[] = "%s(%d) : variable %s is a constant that can't be modified.";
inline constexpr char kAssignReadOnly[] = "%s(%d) : variable %s is read-only and so it can't be modified.";
inline constexpr char kCompoundUntyped[] =
    "%s(%d) : Error on operator \"%s\" for variable %s : Right expression has no type.";
inline constexpr char kCompoundConstant[] = "%s(%d) : Error on operator \"%s\" for variable %s : variable is a constant.";
inline constexpr char kCompoundReadOnly[] = "%s(%d) : Error on operator \"%s\" for variable %s : variable is a Read-Only.";
inline constexpr char kCompoundTypeDiffers[] =
    "%s(%d) : Error on operator \"%s\" for variable %s : Right expression's type is different from variable's type.";
inline constexpr char kCompoundIncompatible[] = "%s(%d) : Error on operator \"%s\" for variable %s : incompatible type.";
inline constexpr char kIncrementUntyped[] = "%s(%d) : variable %s in front of operator %s has no type";
inline constexpr char kIncrementNotInteger[] = "%s(%d) : variable %s in front of operator %s has not an integer type";
inline constexpr char kPropertyNoHook[] = "%s(%d) : Can't set property \"%s\" for variable \"%s\"";
inline constexpr char kPropertyUnknown[] = "%s(%d) : unknown property \"%s\" for variable \"%s\"";
inline constexpr char kPropertyReadOnly[] = "%s(%d) : property \"%s\" for variable \"%s\" is read-only";
inline constexpr char kPropertyIncompatible[] = "%s(%d) : incompatible value set to property \"%s\" for variable \"%s\"";
inline constexpr char kPropertySetThrew[] = "%s(%d) : Failed to set property \"%s\" of variable \"%s\" (%s)";
// Shown in kPropertySetThrew when the thrown value has no text.
inline constexpr char kUnknownText[] = "unknwon";

// ---------------------------------------------------------------- elements
inline constexpr char kElementConstant[] = "%s(%d) : variable %s is a constant and so it can't be modified";
inline constexpr char kElementReadOnly[] = "%s(%d) : variable %s is a read-obly and so it can't be modified";
inline constexpr char kElementNotArray[] = "%s(%d) : Can't apply operator [] to non array types";
inline constexpr char kElementNotArrayLike[] = "%s(%d) : Can't apply operator [] to non array-like types";
inline constexpr char kIndexNotInteger[] = "%s(%d) : Expression inside operator [] must evaluate to an integer.";
inline constexpr char kElementOutOfBounds[] = "%s(%d) : Index out of bounds of variable %s";
inline constexpr char kElementOutOfBoundsDetailed[] =
    "%s(%d) : Index out of bounds of variable %s (index = %llu, size = %llu)";
inline constexpr char kElementCompoundConstant[] = "%s(%d) : variable %s is a constant that can't be modified";
inline constexpr char kElementCompoundReadOnly[] = "%s(%d) : variable %s is read-only and so it can't be modified";
inline constexpr char kTooManyIndexes[] = "%s(%d) : Wrong number of []'s used with variable %s.";
inline constexpr char kElementValueType[] =
    "%s(%d) : Expression on the right of = operator must evaluate to integer or float";
inline constexpr char kElementModuloZero[] =
    "%s(%d) : Division by Zero. Expression on the right of %%= operator evaluate to zero";
inline constexpr char kElementDivideZero[] =
    "%s(%d) : Division by Zero. Expression on the right of /= operator evaluate to zero";
inline constexpr char kElementCompoundType[] =
    "%s(%d) : Error on operator \"%s\" for variable %s : Right expression's type is incompatible.";

// ------------------------------------------------------------------- reads
inline constexpr char kArrayElementUntyped[] = "%s(%d) : Expression in the array has no type.";
inline constexpr char kIndexSourceType[] =
    "%s(%d) : Can't apply operator [] to expression because it doesn't have an array or string type";
inline constexpr char kIndexOutOfBounds[] = "%s(%d) : Index out of bounds";
inline constexpr char kLowIndexType[] = "%s(%d) : Low index for subarray extraction doesn't evaluate to an integer";
inline constexpr char kHighIndexType[] = "%s(%d) : High index for subarray extraction doesn't evaluate to an integer";
inline constexpr char kSubArrayOfArray[] =
    "%s(%d) : subArray extraction of arrays other than BYTEARRAY or STRING not implemented";
inline constexpr char kSubArrayVariableType[] =
    "%s(%d) : Variable \"%s\" doesn't have an array or string type as required by subarray extraction";
inline constexpr char kSubArrayExpressionType[] =
    "%s(%d) : expression for subarray extraction doesn't have an array or string type as required by subarray "
    "extraction";
inline constexpr char kLowBytesVariable[] =
    "%s(%d) : Index out of bounds : low index (%lld) for BYTEARRAY variable \"%s\"(%lld bytes) is out of range";
inline constexpr char kHighBytesVariable[] =
    "%s(%d) : Index out of bounds : high index (%lld) for BYTEARRAY variable \"%s\"(%lld bytes) is out of range";
inline constexpr char kLowBytesExpression[] =
    "%s(%d) : Index out of bounds : low index (%lld) for subarray extraction is out of range (expression is %lld "
    "bytes long)";
inline constexpr char kHighBytesExpression[] =
    "%s(%d) : Index out of bounds : high index (%lld) for subarray extraction is out of range (low index = %lld, "
    "number of bytes = %lld)";
inline constexpr char kLowStringVariable[] =
    "%s(%d) : Index out of bounds : low index (%lld) for STRING variable \"%s\"(%lld characters) is out of range";
inline constexpr char kHighStringVariable[] =
    "%s(%d) : Index out of bounds : high index (%lld) for STRING variable \"%s\"(%lld characters) is out of range";
inline constexpr char kLowStringExpression[] =
    "%s(%d) : Index out of bounds : low index (%lld) for substring extraction is out of range (expression is %lld "
    "characters long)";
inline constexpr char kHighStringExpression[] =
    "%s(%d) : Index out of bounds : high index (%lld) for substring extraction is out of range (low index = %lld, "
    "number of characters = %lld)";
inline constexpr char kPropertyNotFound[] = "%s(%d) : property \"%s\" not found for expression value";
inline constexpr char kPropertyReadFailed[] = "%s(%d) : Failed to retreive property \"%s\" from expression value(0x%.8X)";
inline constexpr char kPropertyReadThrew[] = "%s(%d) : Error occured while retreiving field \"%s\" from expression (%s)";
inline constexpr char kPropertyReadThrewUnknown[] = "%s(%d) : Failed to retreive field \"%s\" from expression";

// ---------------------------------------------------------- conditionals and loops
inline constexpr char kIfCondition[] = "%s(%d) : Condition expression in IF block must evaluate to a boolean value.";
inline constexpr char kWhileCondition[] =
    "%s(%d) : Condition expression in WHILE block must evaluate to a boolean,integer or float value.";
inline constexpr char kForCounter[] = "%s(%d) : Counter variable in FOR block must have integer type.";
inline constexpr char kForStepType[] = "%s(%d) : Step in FOR block must evaluate to an integer";
inline constexpr char kForStepZero[] = "%s(%d) : Step in FOR block can't be zero.";
// "IF block" is the wording of these two for-loop messages.
inline constexpr char kForStart[] = "%s(%d) : Start value in IF block must evaluate to integer.";
inline constexpr char kForStop[] = "%s(%d) : Stop value in IF block must evaluate to integer.";

// ----------------------------------------------------------- unattended builds
inline constexpr char kRunBudgetSpent[] = "Runtime error : run budget spent.";

} // namespace pelorn::interp::msg
