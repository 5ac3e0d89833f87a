#!/usr/bin/env node
// Writes the editor files that follow from names.json: the TextMate grammar
// of the VS Code extension and the Vim syntax file.
//   node editors/generate.js            write them
//   node editors/generate.js --check    write nothing; fail when one differs
'use strict';

const fs = require('fs');
const path = require('path');
const textmate = require('./generator/textmate');
const vim = require('./generator/vim');

const here = __dirname;
const names = JSON.parse(fs.readFileSync(path.join(here, 'names.json'), 'utf8'));

const outputs = {
    'vscode/syntaxes/pelorn.tmLanguage.json': JSON.stringify(textmate.build(names), null, 2) + '\n',
    'vim/syntax/pelorn.vim': vim.build(names),
};

const check = process.argv.includes('--check');
let stale = 0;
for (const [file, text] of Object.entries(outputs)) {
    const target = path.join(here, file);
    if (check) {
        const current = fs.existsSync(target) ? fs.readFileSync(target, 'utf8') : null;
        if (current !== text) {
            console.error(`editors/${file} is not what editors/generate.js makes of editors/names.json: run it`);
            ++stale;
        }
    } else {
        fs.writeFileSync(target, text);
    }
}
process.exit(stale === 0 ? 0 : 1);
