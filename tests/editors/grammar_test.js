// The TextMate grammar against the fixture's table of tokens and scopes, and
// a sweep over every script of the repository.
//   node grammar_test.js --tools=DIR     (the folder editors/npm-tools.sh prints)
'use strict';

const assert = require('assert');
const fs = require('fs');
const path = require('path');
const { test } = require('node:test');
const { option } = require('./options');
const { loadGrammar, scriptLines, tokenize } = require('./textmate_tokens');

const ROOT = path.resolve(__dirname, '../..');
const FIXTURE = path.join(__dirname, 'fixtures/scopes.scr');
const toolsDir = option('tools');

const ILLEGAL = 'invalid.illegal';
const C = 'comment.line.double-slash.pelorn';
const BLOCK = 'comment.block.pelorn';
const HASH = 'comment.line.number-sign.pelorn';
const VAR = 'variable.other.pelorn';
const EQ = 'keyword.operator.equals.pelorn';
const CTRL = 'keyword.control.pelorn';
const WORD = 'keyword.operator.word.pelorn';
const BOOL = 'constant.language.boolean.pelorn';
const TYPE = 'storage.type.pelorn';
const BUILTIN = 'support.function.builtin.pelorn';
const PREDEF = 'variable.language.pelorn';
const CONST = 'support.constant.pelorn';
const CALL = 'entity.name.function.call.pelorn';
const DEC = 'constant.numeric.integer.decimal.pelorn';
const OCT = 'constant.numeric.integer.octal.pelorn';
const HEXNUM = 'constant.numeric.integer.hexadecimal.pelorn';
const FLOAT = 'constant.numeric.float.pelorn';
const CHAR = 'constant.character.pelorn';
const STR = 'string.quoted.double.pelorn';
const BYTES = 'constant.other.bytearray.pelorn';
const COMMAND = 'constant.other.bytearray.command.pelorn';
const APDU = 'meta.apdu.pelorn';
const MASK = 'meta.status-word-mask.pelorn';
const SW = 'constant.numeric.status-word.pelorn';
const WILD = 'constant.character.wildcard.status-word.pelorn';
const ARITH = 'keyword.operator.arithmetic.pelorn';
const COMPARE = 'keyword.operator.comparison.pelorn';
const COMPOUND = 'keyword.operator.assignment.compound.pelorn';
const MEMBER = 'variable.other.member.pelorn';
const BAD_CHAR = 'invalid.illegal.character.pelorn';

// Each line of the fixture, and tokens on it in order: [text, scope]. Every
// character of the token's text must carry the scope; every illegal token
// of the fixture must be listed.
const CASES = [
    ['// A line comment', [['//', 'punctuation.definition.comment.pelorn'], [' A line comment', C]]],
    ['/* a block comment', [['/*', 'punctuation.definition.comment.begin.pelorn'], [' a block comment', BLOCK]]],
    ['   over two lines */ x = 1', [['over two lines', BLOCK], ['*/', 'punctuation.definition.comment.end.pelorn'],
        ['x', VAR], ['=', EQ], ['1', DEC]]],
    ['# a line comment after a hash', [['# a line comment after a hash', HASH]]],
    ['use "tlv"', [['use', 'keyword.control.import.pelorn'], ['"tlv"', STR]]],
    ['include "lib/common.scr"', [['include', 'keyword.control.import.include.pelorn'],
        ['"lib/common.scr"', 'string.quoted.double.include.pelorn']]],
    ['include "a.scr" skipped "', [['"a.scr"', 'string.quoted.double.include.pelorn'],
        [' skipped "', 'invalid.deprecated.ignored.pelorn']]],
    ['include nothing', [['include', 'keyword.control.import.include.pelorn'], ['nothing', 'invalid.illegal.include.pelorn']]],
    ['const LIMIT = 0x1F', [['const', 'storage.modifier.const.pelorn'], ['LIMIT', 'variable.other.constant.pelorn'],
        ['=', EQ], ['0x1F', HEXNUM]]],
    ['procedure Show(value)', [['procedure', 'storage.type.function.pelorn'], ['Show', 'entity.name.function.pelorn'],
        ['(', 'punctuation.section.parens.begin.pelorn'], ['value', VAR], [')', 'punctuation.section.parens.end.pelorn']]],
    ['function Twice(n)', [['function', 'storage.type.function.pelorn'], ['Twice', 'entity.name.function.pelorn']]],
    // Without a name the keyword is a name itself.
    ['procedure(1)', [['procedure', CALL]]],
    ['if x = TRUE and not y then', [['if', CTRL], ['x', VAR], ['TRUE', BOOL], ['and', WORD], ['not', WORD], ['y', VAR],
        ['then', CTRL]]],
    ['endif = ifx + False', [['endif', VAR], ['ifx', VAR], ['False', BOOL]]],
    ['If = END', [['If', VAR], ['END', VAR]]],
    ['while i <= 10 or i >= 20', [['while', CTRL], ['<=', COMPARE], ['or', WORD], ['>=', COMPARE]]],
    ['for (i = 0) to 9 step 2', [['for', CTRL], ['to', CTRL], ['step', CTRL]]],
    ['try', [['try', CTRL]]],
    ['catch (e)', [['catch', CTRL], ['e', VAR]]],
    ['throw "x"', [['throw', CTRL], ['"x"', STR]]],
    ['break', [['break', CTRL]]],
    ['exit', [['exit', CTRL]]],
    ['return typeof x', [['return', CTRL], ['typeof', WORD]]],
    ['t = typeof x = INTEGER or typeof y != BYTEARRAY', [['INTEGER', TYPE], ['!=', COMPARE], ['BYTEARRAY', TYPE]]],
    ['Integer = INTEGERS', [['Integer', VAR], ['INTEGERS', VAR]]],
    // Built-in routines in any letter case.
    ['PRINTLN("a", byval x)', [['PRINTLN', BUILTIN], [',', 'punctuation.separator.comma.pelorn'],
        ['byval', 'storage.modifier.pelorn']]],
    ['s = sha256init() + Sinus(1)', [['sha256init', BUILTIN], ['Sinus', CALL]]],
    // Predefined variables in their own letter case only.
    ['n = __SW + __SW1 + __SW2 + __Response + Err + __sw', [['__SW', PREDEF], ['__SW1', PREDEF], ['__SW2', PREDEF],
        ['__Response', PREDEF], ['Err', PREDEF], ['__sw', VAR]]],
    ['f = Pi * E + PROTOCOL_T0 + PROTOCOL_T1 + CLOCKS_PER_SEC + pi', [['Pi', CONST], ['E', CONST],
        ['PROTOCOL_T0', CONST], ['PROTOCOL_T1', CONST], ['CLOCKS_PER_SEC', CONST], ['pi', VAR]]],
    ['n = 017 + 09 + 0 + 42 + 0x2a + 0X2a + 1.5 + 2.', [['017', OCT], ['0', OCT], ['9', 'invalid.deprecated.ignored.pelorn'],
        ['0', DEC], ['42', DEC], ['0x2a', HEXNUM], ['0', DEC], ['X2a', VAR], ['1.5', FLOAT], ['2.', FLOAT]]],
    ["c = 'a' + '\\n' + '\\'' + '''' + 'ab' + '\\q'", [["'a'", CHAR], ["'", CHAR], ['\\n', 'constant.character.escape.pelorn'],
        ["'\\''", CHAR], ["''''", CHAR], ["'ab'", 'invalid.illegal.character-constant.pelorn'],
        ["'\\q'", 'invalid.illegal.character-constant.pelorn']]],
    ['s = "tab\\there \\101 \\377 \\400 \\08 \\"q\\" \\a"', [['"', 'punctuation.definition.string.begin.pelorn'],
        ['tab', STR], ['\\t', 'constant.character.escape.pelorn'], ['\\101', 'constant.character.escape.octal.pelorn'],
        ['\\377', 'constant.character.escape.octal.pelorn'], ['\\400', 'invalid.illegal.escape.pelorn'],
        ['\\08', 'invalid.illegal.escape.pelorn'], ['\\"', 'constant.character.escape.literal.pelorn'],
        ['\\a', 'constant.character.escape.literal.pelorn'], ['"', 'punctuation.definition.string.end.pelorn']]],
    ['s = "unterminated \\"', [['"unterminated \\"', 'invalid.illegal.unterminated-string.pelorn']]],
    ['b = <01 02 ab> + <> + < 0A >', [['<', 'punctuation.definition.bytearray.begin.pelorn'], ['01 02 ab', BYTES],
        ['>', 'punctuation.definition.bytearray.end.pelorn'], ['+', ARITH], ['<>', BYTES], ['< 0A >', BYTES]]],
    ['less = a<b', [['a', VAR], ['<', COMPARE], ['b', VAR]]],
    ['shift = a << 2 >> 1 ^^ 2 ^ 3 & 4 | 5 % 6 / 7 * 8 - 9', [['<<', 'keyword.operator.bitwise.shift.pelorn'],
        ['>>', 'keyword.operator.bitwise.shift.pelorn'], ['^^', 'keyword.operator.arithmetic.power.pelorn'],
        ['^', 'keyword.operator.bitwise.pelorn'], ['&', 'keyword.operator.bitwise.pelorn'],
        ['|', 'keyword.operator.bitwise.pelorn'], ['%', ARITH], ['/', ARITH], ['*', ARITH], ['-', ARITH]]],
    ['x += 1', [['+=', COMPOUND]]],
    ['x -= 1 * -2', [['-=', COMPOUND], ['-', ARITH]]],
    ['x *= 2', [['*=', COMPOUND]]],
    ['x /= 2', [['/=', COMPOUND]]],
    ['x %= 2', [['%=', COMPOUND]]],
    ['x++', [['++', 'keyword.operator.increment-decrement.pelorn']]],
    ['x--', [['--', 'keyword.operator.increment-decrement.pelorn']]],
    // A byte array over two lines, where an operand is due.
    ['long = <01 02', [['<', 'punctuation.definition.bytearray.begin.pelorn'], ['01 02', BYTES]]],
    ['        03 04> + 1', [['03 04', BYTES], ['>', 'punctuation.definition.bytearray.end.pelorn'], ['+', ARITH]]],
    ['bad = <01 2>', [['<', 'invalid.illegal.bytearray.pelorn'], ['01', OCT]]],
    ['y = x.length + x.Hex + 1.5.hex', [['.', 'punctuation.accessor.pelorn'], ['length', MEMBER], ['Hex', MEMBER],
        ['1.5', FLOAT], ['hex', MEMBER]]],
    ['a = [1; 2][0:1]', [['[', 'punctuation.section.brackets.begin.pelorn'], [';', 'punctuation.separator.elements.pelorn'],
        [']', 'punctuation.section.brackets.end.pelorn'], [':', 'punctuation.separator.range.pelorn']]],
    // Command lines: the command, its parts and the status-word mask.
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', [['<00 A4 04 00>', COMMAND], ['AID.length AID {9000, 61XX}', APDU]]],
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', [['{9000, 61XX}', MASK]]],
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', [['AID', VAR], ['length', MEMBER], ['AID', VAR],
        ['{', 'punctuation.definition.status-word-mask.begin.pelorn'],
        ['9000', SW], [',', 'punctuation.separator.status-word-mask.pelorn'], ['61', SW], ['XX', WILD],
        ['}', 'punctuation.definition.status-word-mask.end.pelorn']]],
    ['  <80 CA 9F 36 00> {90 00,61 xx} // and a comment', [['<80 CA 9F 36 00>', COMMAND], ['{90 00,61 xx}', MASK]]],
    ['  <80 CA 9F 36 00> {90 00,61 xx} // and a comment', [['90', SW], ['00', SW], ['61', SW], ['xx', WILD], ['// and a comment', C]]],
    ['<00 B0 00 00> \\', [['<00 B0 00 00>', COMMAND], ['\\', 'punctuation.separator.continuation.pelorn']]],
    ['    size "text" 5 {6A82}', [['size', APDU], ['"text"', STR], ['5', DEC], ['6A82', SW]]],
    ['<00 A4 04 0> {9000}', [['<', 'invalid.illegal.bytearray.pelorn'], ['{', BAD_CHAR], ['}', BAD_CHAR]]],
    ['x = {9000}', [['{', BAD_CHAR], ['9000', DEC], ['}', BAD_CHAR]]],
    ['x = 1 ~ 2 @ $ ! ? ` . 5 \\ 3', [['~', BAD_CHAR], ['@', BAD_CHAR], ['$', BAD_CHAR], ['!', BAD_CHAR], ['?', BAD_CHAR],
        ['`', BAD_CHAR], ['.', BAD_CHAR], ['5', DEC], ['\\', BAD_CHAR]]],
];

// The scripts of the repository that hold illegal tokens on purpose, to test
// the engine's compile errors: [file, line, token text].
const EXPECTED_ILLEGAL = [
    ['tests/scripts/include_error_names_the_file/lib/bad.scr', "c = 'xy'", "'xy'"],
    ['tests/scripts/include_path_with_nul/main.scr', 'include "lib\0/x.scr"', '"lib\0/x.scr"'],
];

// The scopes of each character of a line.
function characterScopes(tokens) {
    const scopes = [];
    for (const t of tokens)
        for (let i = 0; i < t.text.length; ++i)
            scopes.push(t.scopes);
    return scopes;
}

function isIllegal(scopes) {
    return scopes.some((s) => s.startsWith(ILLEGAL));
}

// Every character that carries an illegal scope, or none at all where
// something stands; as "LINE:COLUMN" keys.
function flagged(lines, tokenized) {
    const found = new Map();
    tokenized.forEach((tokens, row) => {
        characterScopes(tokens).forEach((scopes, column) => {
            const ch = lines[row][column];
            if (ch === ' ' || ch === '\t')
                return;
            if (isIllegal(scopes))
                found.set(`${row + 1}:${column + 1}`, `illegal ${JSON.stringify(ch)} (${scopes.at(-1)})`);
            else if (scopes.length === 1)
                found.set(`${row + 1}:${column + 1}`, `unscoped ${JSON.stringify(ch)}`);
        });
    });
    return found;
}

function scriptsOfRepository(folder = ROOT, found = []) {
    for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
        if (entry.name.startsWith('.') || entry.name.startsWith('build') || entry.name === 'node_modules')
            continue;
        const full = path.join(folder, entry.name);
        if (entry.isDirectory())
            scriptsOfRepository(full, found);
        else if (entry.name.endsWith('.scr'))
            found.push(full);
    }
    return found;
}

function report(found) {
    return [...found].map(([where, what]) => `  ${where}: ${what}`).join('\n');
}

let loaded;
test('the grammar loads', async () => {
    assert.ok(toolsDir, 'usage: node grammar_test.js --tools=DIR');
    loaded = await loadGrammar(toolsDir);
});

test('the fixture tokens carry their scopes', () => {
    const lines = scriptLines(FIXTURE);
    const tokenized = tokenize(loaded, lines);
    const failures = [];
    const listedIllegal = new Set();
    let row = 0;
    for (const [text, tokens] of CASES) {
        // Lines in order; the fixture may hold lines that no case checks, and
        // a line may have several cases.
        while (row < lines.length && lines[row] !== text)
            ++row;
        if (row === lines.length) {
            failures.push(`no line ${JSON.stringify(text)} (in this order) in the fixture`);
            break;
        }
        const scopes = characterScopes(tokenized[row]);
        let at = 0;
        for (const [token, scope] of tokens) {
            const start = text.indexOf(token, at);
            if (start < 0) {
                failures.push(`line ${row + 1}: no ${JSON.stringify(token)} after column ${at + 1}`);
                continue;
            }
            for (let i = start; i < start + token.length; ++i) {
                if (!scopes[i].includes(scope)) {
                    failures.push(`line ${row + 1}: ${JSON.stringify(token)} at column ${start + 1} is ` +
                        `${scopes[i].slice(1).join(' ') || 'unscoped'}, not ${scope}`);
                    break;
                }
            }
            if (scope.startsWith(ILLEGAL))
                for (let i = start; i < start + token.length; ++i)
                    listedIllegal.add(`${row + 1}:${i + 1}`);
            at = start + token.length;
        }
    }
    for (const [where, what] of flagged(lines, tokenized))
        if (!listedIllegal.has(where))
            failures.push(`line ${where}: ${what}, which no case expects`);
    assert.deepStrictEqual(failures, []);
});

test("every script of the repository is scoped, and illegal only where its test wants it", () => {
    const expected = new Map(EXPECTED_ILLEGAL.map(([file, line, token]) => [path.join(ROOT, file), { line, token }]));
    const failures = [];
    const scripts = scriptsOfRepository().filter((file) => !file.startsWith(path.join(__dirname, 'fixtures')));
    assert.ok(scripts.length > 0, 'no scripts found');
    for (const file of scripts) {
        const lines = scriptLines(file);
        const found = flagged(lines, tokenize(loaded, lines));
        const wanted = expected.get(file);
        if (wanted) {
            const row = lines.indexOf(wanted.line);
            const column = row < 0 ? -1 : lines[row].indexOf(wanted.token);
            assert.ok(column >= 0, `${file}: no ${JSON.stringify(wanted.token)} to find`);
            for (let i = column; i < column + wanted.token.length; ++i) {
                if (!found.delete(`${row + 1}:${i + 1}`)) {
                    failures.push(`${path.relative(ROOT, file)}:${row + 1}: ${JSON.stringify(wanted.token)} is not illegal`);
                    break;
                }
            }
        }
        if (found.size > 0)
            failures.push(`${path.relative(ROOT, file)}:\n${report(found)}`);
    }
    assert.deepStrictEqual(failures, []);
});
