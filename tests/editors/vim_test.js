// The Vim files: a .scr file gets the pelorn file type, and the syntax
// groups of a table of the fixture's tokens.
//   node vim_test.js --vim=PATH
'use strict';

const assert = require('assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { test } = require('node:test');
const { option } = require('./options');

const ROOT = path.resolve(__dirname, '../..');
const FIXTURE = path.join(__dirname, 'fixtures/scopes.scr');
const vim = option('vim');

// [line of the fixture, token on it, syntax group of each of its characters
// ('' for none)]
const CASES = [
    ['// A line comment', '// A line', 'pelornComment'],
    ['   over two lines */ x = 1', 'over two lines */', 'pelornComment'],
    ['   over two lines */ x = 1', 'x', ''],
    ['# a line comment after a hash', '# a line', 'pelornComment'],
    ['use "tlv"', 'use', 'pelornImport'],
    ['use "tlv"', '"tlv"', 'pelornString'],
    ['const LIMIT = 0x1F', 'const', 'pelornDeclaration'],
    ['const LIMIT = 0x1F', 'LIMIT', 'pelornConstantName'],
    ['const LIMIT = 0x1F', '0x1F', 'pelornNumber'],
    ['procedure Show(value)', 'Show', 'pelornRoutineName'],
    ['if x = TRUE and not y then', 'if', 'pelornControl'],
    ['if x = TRUE and not y then', 'TRUE', 'pelornBoolean'],
    ['if x = TRUE and not y then', 'and', 'pelornOperatorWord'],
    ['endif = ifx + False', 'endif', ''],
    ['endif = ifx + False', 'False', 'pelornBoolean'],
    ['If = END', 'END', ''],
    ['t = typeof x = INTEGER or typeof y != BYTEARRAY', 'INTEGER', 'pelornType'],
    ['Integer = INTEGERS', 'INTEGERS', ''],
    ['PRINTLN("a", byval x)', 'PRINTLN', 'pelornBuiltin'],
    ['PRINTLN("a", byval x)', 'byval', 'pelornModifier'],
    ['s = sha256init() + Sinus(1)', 'sha256init', 'pelornBuiltin'],
    ['s = sha256init() + Sinus(1)', 'Sinus', ''],
    ['n = __SW + __SW1 + __SW2 + __Response + Err + __sw', '__SW1', 'pelornPredefined'],
    ['n = __SW + __SW1 + __SW2 + __Response + Err + __sw', '__sw', ''],
    ['f = Pi * E + PROTOCOL_T0 + PROTOCOL_T1 + CLOCKS_PER_SEC + pi', 'CLOCKS_PER_SEC', 'pelornConstant'],
    ['f = Pi * E + PROTOCOL_T0 + PROTOCOL_T1 + CLOCKS_PER_SEC + pi', 'pi', ''],
    ['n = 017 + 09 + 0 + 42 + 0x2a + 0X2a + 1.5 + 2.', '1.5', 'pelornFloat'],
    ["c = 'a' + '\\n' + '\\'' + '''' + 'ab' + '\\q'", "'\\''", 'pelornCharacter'],
    ["c = 'a' + '\\n' + '\\'' + '''' + 'ab' + '\\q'", "'ab'", 'pelornBadCharacter'],
    ['s = "tab\\there \\101 \\377 \\400 \\08 \\"q\\" \\a"', '\\101', 'pelornEscape'],
    ['s = "tab\\there \\101 \\377 \\400 \\08 \\"q\\" \\a"', '\\400', 'pelornBadEscape'],
    ['s = "tab\\there \\101 \\377 \\400 \\08 \\"q\\" \\a"', 'q', 'pelornString'],
    ['s = "unterminated \\"', '"unterminated \\"', 'pelornUnterminated'],
    ['b = <01 02 ab> + <> + < 0A >', '<01 02 ab>', 'pelornByteArray'],
    ['less = a<b', '<', 'pelornOperator'],
    ['long = <01 02', '<01 02', 'pelornByteArray'],
    ['        03 04> + 1', '03 04>', 'pelornByteArray'],
    ['y = x.length + x.Hex + 1.5.hex', '.length', 'pelornMember'],
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', '<00 A4 04 00>', 'pelornApduCommand'],
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', '{9000, 61', 'pelornStatusWordMask'],
    ['<00 A4 04 00> AID.length AID {9000, 61XX}', 'XX', 'pelornWildcard'],
    ['  <80 CA 9F 36 00> {90 00,61 xx} // and a comment', 'xx', 'pelornWildcard'],
];

// Runs Vim without any user setup, with editors/vim first on the runtime
// path, on a copy of the fixture; answers what the Vim script writes.
function runVim(lines) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'pelorn-vim-'));
    try {
        const script = path.join(dir, 'check.vim');
        const answer = path.join(dir, 'answer.txt');
        fs.copyFileSync(FIXTURE, path.join(dir, 'fixture.scr'));
        fs.writeFileSync(script, [
            `set runtimepath^=${path.join(ROOT, 'editors/vim')}`,
            'filetype plugin on',
            'syntax on',
            `edit ${path.join(dir, 'fixture.scr')}`,
            ...lines,
            `call writefile(g:answer, '${answer}')`,
            'qall!',
        ].join('\n') + '\n');
        execFileSync(vim, ['-N', '-u', 'NONE', '-i', 'NONE', '-n', '-es', '-S', script], { stdio: 'ignore', timeout: 60000 });
        // One line an item, each ended by a line break; empty items stay.
        return fs.readFileSync(answer, 'utf8').split('\n').slice(0, -1);
    } finally {
        fs.rmSync(dir, { recursive: true, force: true });
    }
}

test('a .scr file is a pelorn script, with its comment setting, loaded without errors', () => {
    assert.ok(vim, 'usage: node vim_test.js --vim=PATH');
    assert.deepStrictEqual(
        runVim(["let g:answer = [&filetype, &commentstring, get(b:, 'current_syntax', ''), v:errmsg]"]),
        ['pelorn', '// %s', 'pelorn', '']);
});

test('the fixture tokens have their syntax groups', () => {
    const fixture = fs.readFileSync(FIXTURE, 'latin1').split('\n');
    const probes = [];
    for (const [line, token, group] of CASES) {
        const row = fixture.indexOf(line);
        const column = row < 0 ? -1 : line.indexOf(token);
        assert.ok(column >= 0, `no ${JSON.stringify(token)} on a line ${JSON.stringify(line)} in the fixture`);
        for (let i = 0; i < token.length; ++i)
            probes.push({ line: row + 1, column: column + i + 1, token, group });
    }
    const answers = runVim(['let g:answer = []',
        ...probes.map((p) => `call add(g:answer, synIDattr(synID(${p.line}, ${p.column}, 0), 'name'))`)]);
    assert.strictEqual(answers.length, probes.length);
    const failures = probes.filter((p, i) => answers[i] !== p.group)
        .map((p) => `line ${p.line} column ${p.column} (in ${JSON.stringify(p.token)}): ` +
            `${JSON.stringify(answers[probes.indexOf(p)])}, not ${JSON.stringify(p.group)}`);
    assert.deepStrictEqual(failures, []);
});
