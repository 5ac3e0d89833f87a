// Tokenizes script text with the extension's TextMate grammar, the way VS
// Code does (vscode-textmate on the Oniguruma engine), from the npm tools
// that editors/npm-tools.sh installed.
'use strict';

const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');

const GRAMMAR = path.join(__dirname, '../../editors/vscode/syntaxes/pelorn.tmLanguage.json');

async function loadGrammar(toolsDir) {
    const load = createRequire(path.join(path.resolve(toolsDir), 'package.json'));
    const textmate = load('vscode-textmate');
    const oniguruma = load('vscode-oniguruma');
    const wasm = fs.readFileSync(path.join(path.dirname(load.resolve('vscode-oniguruma')), 'onig.wasm'));
    await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
    const registry = new textmate.Registry({
        onigLib: Promise.resolve({
            createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
            createOnigString: (text) => new oniguruma.OnigString(text),
        }),
        loadGrammar: async (scopeName) =>
            scopeName === 'source.pelorn' ? textmate.parseRawGrammar(fs.readFileSync(GRAMMAR, 'utf8'), GRAMMAR) : null,
    });
    const grammar = await registry.loadGrammar('source.pelorn');
    return { grammar, initial: textmate.INITIAL };
}

// Script files are read byte for byte, as the engine reads them; CR LF
// pairs are one line break.
function scriptLines(file) {
    const text = fs.readFileSync(file, 'latin1');
    const lines = text.split('\n').map((line) => line.replace(/\r$/, ''));
    if (lines.length > 0 && lines[lines.length - 1] === '')
        lines.pop();
    return lines;
}

// Each line as a list of tokens: { text, start, scopes }.
function tokenize(loaded, lines) {
    let state = loaded.initial;
    return lines.map((line) => {
        const result = loaded.grammar.tokenizeLine(line, state);
        state = result.ruleStack;
        return result.tokens.map((t) => ({
            text: line.slice(t.startIndex, t.endIndex),
            start: t.startIndex,
            scopes: t.scopes,
        }));
    });
}

module.exports = { loadGrammar, scriptLines, tokenize };
