/* The grammar of the script language. The order of the token declarations
 * is the order of the "expecting" lists of syntax errors: keep it. Every
 * action is a call into front/actions.h. */

%require "3.8"
%define api.pure full
%define api.value.type {pelorn::front::SemanticValue}
%define api.token.prefix {TOKEN_}
%define parse.error custom
%define api.location.type {pelorn::front::TokenPosition}
%locations
%param {yyscan_t scanner}

%code requires {
#include "front/semantic_value.h"
#include "front/token_position.h"
// Plain data: the parser may grow its stacks by copying them.
#define YYLTYPE_IS_TRIVIAL 1
#ifndef YY_TYPEDEF_YY_SCANNER_T
#define YY_TYPEDEF_YY_SCANNER_T
typedef void *yyscan_t;
#endif
}

%code {
#include "front/actions.h"
#include "front/compile_error.h"
#include "front/compile_observer.h"
#include "front/messages.h"
#include "front/parser.h"
#include "front/scanner.h"

#include <string>

using namespace pelorn::front;
using pelorn::interp::ArithmeticOperator;
using pelorn::interp::CompoundOperator;
using pelorn::interp::ConditionOperator;

// The parser's stacks grow on the heap past their first 200 entries; the
// blocks are tracked so that a compile error unwinding the parser frees them.
#define YYMALLOC pelorn::front::parser::allocateStack
#define YYFREE pelorn::front::parser::freeStack
// The stacks start with room for 200 entries and double up to 10000; a
// script nested deeper ends with "memory exhausted".
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000

// A symbol's location is where its first token starts; the nodes an action
// builds are noted with the location of the rule's first symbol.
#define YYLLOC_DEFAULT(Current, Rhs, N)                                                                          \
    do {                                                                                                         \
        (Current) = (N) ? YYRHSLOC(Rhs, 1) : YYRHSLOC(Rhs, 0);                                                   \
        pelorn::front::noteReduction(Current);                                                                   \
    } while (0)

static int yylex(YYSTYPE *value, YYLTYPE *location, yyscan_t scanner)
{
    int token = scanner::nextToken(value, scanner);
    *location = tokenStart();
    observeToken(token, *location);
    return token;
}

static void yyerror(YYLTYPE *, yyscan_t, const char *text)
{
    // Only bison's "memory exhausted" reaches here: syntax errors are
    // reported by yyreport_syntax_error.
    raiseCompileError(text);
}
}

/* 3-48 */
%token BYVAL IF THEN ELSE END WHILE FOR TO STEP BREAK TYPEOF USE POW AND OR NOT
%token RETURN EXIT TRY CATCH THROW XOR INCREMENT DECREMENT SELF_ADD SELF_SUB SELF_MUL SELF_DIV SELF_MOD
%token <typeCode> VALUETYPE
%token <integer> INTVALUE
%token <real> FLT
%token <text> STR PROC_NAME FUNC_NAME CONST_DECL
%token <boolean> BOOLVALUE
%token <bytes> BYTEARRAY
%token <entry> CONST_VAR MFNCT VFNCT SFNCT
%token FNCT PROCEDURE
%token <text> APDU_SW_MASK
%token <identifier> IDENTIFIER
/* 49-73 */
%token ',' '&' '|' '<' '>' '=' LQ GQ DIFF '-' '+' '*' '/' '%' SHR SHL ']' ')' '[' '(' NEG
%token <text> MEMBER
%token '\n' ':' ';'

/* Loosest first. */
%left ','
%left AND OR XOR '&' '|'
%left '=' '<' '>' DIFF GQ LQ
%left '+' '-'
%left '*' '/' '%' SHL SHR
%precedence '['
%precedence NOT NEG TYPEOF
%right POW
%precedence MEMBER

%type <statement> statement line block ifblock whileblock forblock tryblock assign
%type <block> statements
%type <apdu> APDU
%type <text> APDUMask
%type <expression> exp SubArray arrayAccess immediatValue valueType
%type <list> arrayIndex expArray fullArguments arguments
%type <parameters> fullParams parameters

%start input

%%

input
    : declarations                      { actions::declarationsDone(); }
    | input statement                   { actions::appendTopLevel($2); }
    ;

EndingLine
    : '\n'
    | EndingLine '\n'
    ;

declarations
    : %empty
    | EndingLine
    | declarations CONST_DECL '=' exp EndingLine
                                        { noteReduction(@2); actions::declareConstant($2, $4); }
      /* The module is loaded as soon as its name has been read: the next
         line's names are scanned with the module's names known. */
    | declarations USE STR              { actions::useModule($3); }
      EndingLine
    | declarations PROC_NAME '(' parameters ')' EndingLine statements END EndingLine
                                        { actions::defineRoutine(false, $2, $4, $7); }
    | declarations FUNC_NAME '(' parameters ')' EndingLine statements END EndingLine
                                        { actions::defineRoutine(true, $2, $4, $7); }
    ;

statements
    : statement                         { $$ = actions::firstStatement($1); }
    | statements statement              { $$ = actions::nextStatement($1, $2); }
    ;

statement
    : line                              { $$ = actions::simpleStatement($1); }
    | block                             { $$ = actions::compoundStatement($1); }
    ;

line
    : VFNCT '(' arguments ')' EndingLine        { $$ = actions::builtinProcedureCall($1, $3); }
    | IDENTIFIER '(' arguments ')' EndingLine   { $$ = actions::procedureCall($1, $3); }
    | assign EndingLine                         { $$ = $1; }
    | IDENTIFIER INCREMENT EndingLine           { $$ = actions::increment($1, true); }
    | IDENTIFIER DECREMENT EndingLine           { $$ = actions::increment($1, false); }
    | BREAK EndingLine                          { $$ = actions::breakStatement(); }
    | EXIT EndingLine                           { $$ = actions::returnStatement(nullptr); }
    | RETURN exp EndingLine                     { $$ = actions::returnStatement($2); }
    | THROW exp EndingLine                      { $$ = actions::throwStatement($2); }
    | APDU APDUMask EndingLine                  { $$ = actions::apduMask($1, $2); }
    | APDU EndingLine                           { $$ = $1; }
    ;

SubArray
    : exp '[' exp ':' exp ']'           { $$ = actions::subArray($1, $3, $5); }
    | exp '[' exp ':' ']'               { $$ = actions::subArray($1, $3, nullptr); }
    ;

APDUMask
    : APDU_SW_MASK                      { $$ = $1; }
    ;

APDU
    : BYTEARRAY                                     { $$ = actions::apduBytes(nullptr, $1); }
    | APDU BYTEARRAY                                { $$ = actions::apduBytes($1, $2); }
    | APDU INTVALUE                                 { $$ = actions::apduInteger($1, $2); }
    | APDU STR                                      { $$ = actions::apduString($1, $2); }
    | APDU IDENTIFIER                               { $$ = actions::apduVariable($1, $2); }
    | APDU IDENTIFIER MEMBER                        { $$ = actions::apduVariableMember($1, $2, $3); }
    | APDU IDENTIFIER '[' exp ':' exp ']'           { $$ = actions::apduVariableRange($1, $2, $4, $6); }
    | APDU IDENTIFIER '[' exp ':' ']'               { $$ = actions::apduVariableRange($1, $2, $4, nullptr); }
    | APDU CONST_VAR                                { $$ = actions::apduConstant($1, $2); }
    | APDU CONST_VAR MEMBER                         { $$ = actions::apduConstantMember($1, $2, $3); }
    | APDU CONST_VAR '[' exp ':' exp ']'            { $$ = actions::apduConstantRange($1, $2, $4, $6); }
    | APDU CONST_VAR '[' exp ':' ']'                { $$ = actions::apduConstantRange($1, $2, $4, nullptr); }
    ;

block
    : ifblock                           { $$ = $1; }
    | whileblock                        { $$ = $1; }
    | forblock                          { $$ = $1; }
    | tryblock                          { $$ = $1; }
    ;

tryblock
    : TRY EndingLine statements CATCH '(' IDENTIFIER ')' EndingLine statements END EndingLine
                                        { $$ = actions::tryStatement($3, $6, $9); }
    ;

forblock
    : FOR IDENTIFIER '=' exp TO exp EndingLine statements END EndingLine
                                        { $$ = actions::forStatement($2, $4, $6, nullptr, $8); }
    | FOR '(' IDENTIFIER '=' exp ')' TO exp EndingLine statements END EndingLine
                                        { $$ = actions::forStatement($3, $5, $8, nullptr, $10); }
    | FOR IDENTIFIER '=' exp TO exp STEP exp EndingLine statements END EndingLine
                                        { $$ = actions::forStatement($2, $4, $6, $8, $10); }
    | FOR '(' IDENTIFIER '=' exp ')' TO exp STEP exp EndingLine statements END EndingLine
                                        { $$ = actions::forStatement($3, $5, $8, $10, $12); }
    ;

whileblock
    : WHILE exp EndingLine statements END EndingLine
                                        { $$ = actions::whileStatement($2, $4); }
    ;

ifblock
    : IF exp THEN EndingLine statements END EndingLine
                                        { $$ = actions::ifStatement($2, $5, nullptr); }
    | IF exp THEN EndingLine statements ELSE EndingLine statements END EndingLine
                                        { $$ = actions::ifStatement($2, $5, $8); }
    ;

assign
    : IDENTIFIER '=' exp                { $$ = actions::assign($1, $3); }
    | IDENTIFIER SELF_ADD exp           { $$ = actions::compoundAssign($1, CompoundOperator::Add, $3); }
    | IDENTIFIER SELF_SUB exp           { $$ = actions::compoundAssign($1, CompoundOperator::Subtract, $3); }
    | IDENTIFIER SELF_MUL exp           { $$ = actions::compoundAssign($1, CompoundOperator::Multiply, $3); }
    | IDENTIFIER SELF_DIV exp           { $$ = actions::compoundAssign($1, CompoundOperator::Divide, $3); }
    | IDENTIFIER SELF_MOD exp           { $$ = actions::compoundAssign($1, CompoundOperator::Modulo, $3); }
    | IDENTIFIER arrayIndex SELF_ADD exp
                                        { $$ = actions::elementCompoundAssign($1, $2, CompoundOperator::Add, $4); }
    | IDENTIFIER arrayIndex SELF_SUB exp
                                        { $$ = actions::elementCompoundAssign($1, $2, CompoundOperator::Subtract, $4); }
    | IDENTIFIER arrayIndex SELF_MUL exp
                                        { $$ = actions::elementCompoundAssign($1, $2, CompoundOperator::Multiply, $4); }
    | IDENTIFIER arrayIndex SELF_DIV exp
                                        { $$ = actions::elementCompoundAssign($1, $2, CompoundOperator::Divide, $4); }
    | IDENTIFIER arrayIndex SELF_MOD exp
                                        { $$ = actions::elementCompoundAssign($1, $2, CompoundOperator::Modulo, $4); }
    | IDENTIFIER arrayIndex '=' exp     { $$ = actions::elementAssign($1, $2, $4); }
    | IDENTIFIER MEMBER '=' exp         { $$ = actions::memberAssign($1, $2, $4); }
    | IDENTIFIER arrayIndex MEMBER '=' exp
                                        { actions::memberOfElementAssign(); }
    | immediatValue '=' exp             { actions::constantAssign(); }
    | immediatValue arrayIndex '=' exp  { actions::constantAssign(); }
    | immediatValue MEMBER '=' exp      { actions::constantAssign(); }
    | immediatValue arrayIndex MEMBER '=' exp
                                        { actions::constantAssign(); }
    ;

valueType
    : '(' valueType ')'                 { $$ = $2; }
    | VALUETYPE                         { $$ = actions::typeLiteral($1); }
    | TYPEOF exp                        { $$ = actions::typeOf($2); }
    ;

arrayIndex
    : '[' exp ']'                       { $$ = actions::listOf($2); }
    | arrayIndex '[' exp ']'            { $$ = actions::listAppend($1, $3); }
    ;

parameters
    : %empty                            { $$ = nullptr; }
    | fullParams                        { $$ = $1; }
    ;

fullParams
    : IDENTIFIER                        { $$ = actions::firstParameter($1); }
    | fullParams ',' IDENTIFIER         { $$ = actions::nextParameter($1, $3); }
    ;

arguments
    : %empty                            { $$ = nullptr; }
    | fullArguments                     { $$ = $1; }
    ;

expArray
    : exp                               { $$ = actions::listOf($1); }
    | expArray ';' exp                  { $$ = actions::listAppend($1, $3); }
    ;

fullArguments
    : exp                               { $$ = actions::listOf($1); }
    | BYVAL exp                         { $$ = actions::byValue($2); }
    | fullArguments ',' fullArguments   { $$ = actions::joinLists($1, $3); }
    ;

arrayAccess
    : exp '[' exp ']'                   { $$ = actions::index($1, $3); }
    ;

exp
    : '(' exp ')'                       { $$ = $2; }
    | SubArray                          { $$ = $1; }
    | IDENTIFIER                        { $$ = actions::name($1); }
    | immediatValue                     { $$ = $1; }
    | exp MEMBER                        { $$ = actions::member($1, $2); }
    | arrayAccess                       { $$ = $1; }
    | '[' expArray ']'                  { $$ = actions::arrayLiteral($2); }
    | '[' ']'                           { $$ = actions::arrayLiteral(nullptr); }
    | IDENTIFIER '(' arguments ')'      { $$ = actions::functionCall($1, $3); }
    | SFNCT '(' arguments ')'           { $$ = actions::builtinFunctionCall($1, $3); }
    | exp '+' exp                       { $$ = actions::arithmetic(ArithmeticOperator::Add, $1, $3); }
    | exp '-' exp                       { $$ = actions::arithmetic(ArithmeticOperator::Subtract, $1, $3); }
    | exp '*' exp                       { $$ = actions::arithmetic(ArithmeticOperator::Multiply, $1, $3); }
    | exp '/' exp                       { $$ = actions::arithmetic(ArithmeticOperator::Divide, $1, $3); }
    | exp '%' exp                       { $$ = actions::arithmetic(ArithmeticOperator::Modulo, $1, $3); }
    | exp POW exp                       { $$ = actions::arithmetic(ArithmeticOperator::Power, $1, $3); }
    | exp SHL exp                       { $$ = actions::arithmetic(ArithmeticOperator::ShiftLeft, $1, $3); }
    | exp SHR exp                       { $$ = actions::arithmetic(ArithmeticOperator::ShiftRight, $1, $3); }
    | exp '&' exp                       { $$ = actions::arithmetic(ArithmeticOperator::BitAnd, $1, $3); }
    | exp '|' exp                       { $$ = actions::arithmetic(ArithmeticOperator::BitOr, $1, $3); }
    | exp XOR exp                       { $$ = actions::arithmetic(ArithmeticOperator::BitXor, $1, $3); }
    | '-' exp %prec NEG                 { $$ = actions::negate($2); }
    | exp OR exp                        { $$ = actions::condition(ConditionOperator::Or, $1, $3); }
    | exp AND exp                       { $$ = actions::condition(ConditionOperator::And, $1, $3); }
    | NOT exp                           { $$ = actions::condition(ConditionOperator::Not, $2, nullptr); }
    | exp '=' exp                       { $$ = actions::condition(ConditionOperator::Equal, $1, $3); }
    | exp '<' exp                       { $$ = actions::condition(ConditionOperator::Less, $1, $3); }
    | exp '>' exp                       { $$ = actions::condition(ConditionOperator::Greater, $1, $3); }
    | exp DIFF exp                      { $$ = actions::condition(ConditionOperator::NotEqual, $1, $3); }
    | exp GQ exp                        { $$ = actions::condition(ConditionOperator::GreaterEqual, $1, $3); }
    | exp LQ exp                        { $$ = actions::condition(ConditionOperator::LessEqual, $1, $3); }
    | valueType '=' valueType           { $$ = actions::condition(ConditionOperator::Equal, $1, $3); }
    | valueType DIFF valueType          { $$ = actions::condition(ConditionOperator::NotEqual, $1, $3); }
    ;

immediatValue
    : INTVALUE                          { $$ = actions::integerLiteral($1); }
    | STR                               { $$ = actions::stringLiteral($1); }
    | FLT                               { $$ = actions::floatLiteral($1); }
    | BOOLVALUE                         { $$ = actions::booleanLiteral($1); }
    | BYTEARRAY                         { $$ = actions::bytesLiteral($1); }
    | CONST_VAR                         { $$ = actions::constant($1); }
    ;

%%

namespace {

// The names that syntax errors show: bison's own for the end of input and
// for an unknown character differ from the language's.
const char *tokenName(yysymbol_kind_t symbol)
{
    switch (symbol) {
    case YYSYMBOL_YYEOF:
        return messages::kEndOfInput;
    case YYSYMBOL_YYUNDEF:
        return messages::kUndefinedToken;
    default:
        return yysymbol_name(symbol);
    }
}

} // namespace

// "syntax error, unexpected X, expecting A or B ...": one to four expected
// tokens are listed, none when there are more.
static int yyreport_syntax_error(const yypcontext_t *context, yyscan_t)
{
    constexpr int kMostExpected = 4;
    // Longer texts than this were never built; "syntax error" alone instead.
    constexpr size_t kLongestText = 4032;
    std::string text = messages::kSyntaxError;
    yysymbol_kind_t lookahead = yypcontext_token(context);
    if (lookahead == YYSYMBOL_YYEOF)
        noteIncompleteInput();
    if (lookahead != YYSYMBOL_YYEMPTY) {
        text += messages::kUnexpected;
        text += tokenName(lookahead);
        yysymbol_kind_t expected[kMostExpected];
        int count = yypcontext_expected_tokens(context, expected, kMostExpected);
        for (int i = 0; i < count; ++i) {
            text += i == 0 ? messages::kExpecting : messages::kOrExpecting;
            text += tokenName(expected[i]);
        }
        if (text.size() > kLongestText)
            text = messages::kSyntaxError;
    }
    raiseCompileError(text.c_str());
}

namespace pelorn::front::parser {

int parse(void *scanner)
{
    return yyparse(static_cast<yyscan_t>(scanner));
}

} // namespace pelorn::front::parser
