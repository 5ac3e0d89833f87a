// editors/names.json against the names the lexer and the engine know, and
// the generated editor files against editors/names.json.
//   node names_test.js --lister=PATH     (the program list_names.cpp builds)
'use strict';

const assert = require('assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { test } = require('node:test');
const { option } = require('./options');

const ROOT = path.resolve(__dirname, '../..');
const names = JSON.parse(fs.readFileSync(path.join(ROOT, 'editors/names.json'), 'utf8'));
const lister = option('lister');

// Both ways: what the source knows that the list lacks, and the reverse.
function sameNames(source, known, listed, what) {
    const missing = [...known].filter((n) => !listed.includes(n));
    const stale = listed.filter((n) => !known.has(n));
    const text = [];
    if (missing.length > 0)
        text.push(`${source} has ${what} that editors/names.json lacks: ${missing.join(', ')}`);
    if (stale.length > 0)
        text.push(`editors/names.json lists ${what} that ${source} does not have: ${stale.join(', ')}`);
    assert.deepStrictEqual(text, []);
}

// The words of the lexer's initial state, by the shape of their rules.
function lexerWords() {
    const text = fs.readFileSync(path.join(ROOT, 'engine/front/lexer.l'), 'utf8');
    const initial = text.split(/^%%$/m)[1].split(/^<STRING_LITERAL>/m)[0];
    const words = { keywords: new Set(), types: new Set(), declarations: new Set(), anyCase: new Set() };
    for (const line of initial.split('\n')) {
        let m;
        if ((m = /^"([A-Za-z]+)"\{BLANK\}\+\{NAME\}/.exec(line)))
            words.declarations.add(m[1]);
        else if ((m = /^"([A-Za-z]+)"\s.*TOKEN_VALUETYPE/.exec(line)))
            words.types.add(m[1]);
        else if ((m = /^"([A-Za-z]+)"\s/.exec(line)))
            words.keywords.add(m[1]);
        else if ((m = /^((?:\[[A-Za-z]{2}\])+)\s/.exec(line)))
            words.anyCase.add(m[1].replace(/\[([A-Za-z])[A-Za-z]\]/g, (_, c) => c.toUpperCase()));
    }
    return words;
}

function engineNames() {
    const byKind = new Map();
    for (const line of execFileSync(lister, { encoding: 'utf8' }).trim().split('\n')) {
        const [kind, name] = line.split(' ');
        if (!byKind.has(kind))
            byKind.set(kind, new Set());
        byKind.get(kind).add(name);
    }
    return byKind;
}

test('the lexer\'s words are the listed keywords, type names and any-case words', () => {
    const lexer = lexerWords();
    // A change in the shape of the rules must not leave these sets empty.
    assert.ok(lexer.keywords.has('if') && lexer.types.has('INTEGER') && lexer.anyCase.has('TRUE')
        && lexer.declarations.has('procedure'), 'engine/front/lexer.l: the keyword rules were not found');
    const k = names.keywords;
    sameNames('engine/front/lexer.l', lexer.keywords, [...k.control, ...k.operator, ...k.import], 'keywords');
    sameNames('engine/front/lexer.l', lexer.declarations, k.declaration, 'declaration keywords');
    sameNames('engine/front/lexer.l', lexer.types, names.types, 'type names');
    sameNames('engine/front/lexer.l', lexer.anyCase, [...names.anyCase.modifier, ...names.anyCase.boolean],
        'words of any letter case');
});

test('the engine\'s built-in routines and predefined variables are the listed ones', () => {
    assert.ok(lister, 'usage: node names_test.js --lister=PATH');
    const engine = engineNames();
    const none = new Set();
    const known = new Set(['function', 'procedure', 'constant', 'variable']);
    const unknownKinds = [...engine.keys()].filter((kind) => !known.has(kind));
    assert.deepStrictEqual(unknownKinds, [], 'the engine registers names of a kind the editor files do not know');
    sameNames('the engine', engine.get('function') || none, names.builtins.functions, 'built-in functions');
    sameNames('the engine', engine.get('procedure') || none, names.builtins.procedures, 'built-in procedures');
    const variables = new Set([...(engine.get('constant') || none), ...(engine.get('variable') || none)]);
    sameNames('the engine', variables, [...names.predefined.variables, ...names.predefined.constants],
        'predefined variables');
    // What the engine holds constant is highlighted as a constant.
    const misplaced = [...(engine.get('constant') || none)].filter((n) => !names.predefined.constants.includes(n));
    assert.deepStrictEqual(misplaced, [], 'engine constants listed as variables in editors/names.json');
});

test('the generated editor files are up to date', () => {
    execFileSync(process.execPath, [path.join(ROOT, 'editors/generate.js'), '--check'], { stdio: 'inherit' });
});
