// The VS Code extension's manifest, language configuration, problem matcher
// and check task, without VS Code: the task provider runs against a stand-in
// of the vscode module.
'use strict';

const assert = require('assert');
const fs = require('fs');
const Module = require('module');
const path = require('path');
const { test } = require('node:test');

const ROOT = path.resolve(__dirname, '../..');
const EXTENSION = path.join(ROOT, 'editors/vscode');
const manifest = JSON.parse(fs.readFileSync(path.join(EXTENSION, 'package.json'), 'utf8'));
const configuration = JSON.parse(fs.readFileSync(path.join(EXTENSION, 'language-configuration.json'), 'utf8'));

test('the manifest names files that exist, the .scr extension and the project\'s version', () => {
    const { languages, grammars } = manifest.contributes;
    assert.deepStrictEqual(languages[0].extensions, ['.scr']);
    assert.strictEqual(grammars[0].language, languages[0].id);
    const grammar = JSON.parse(fs.readFileSync(path.join(EXTENSION, grammars[0].path), 'utf8'));
    assert.strictEqual(grammar.scopeName, grammars[0].scopeName);
    for (const file of [manifest.main, languages[0].configuration, ...manifest.files])
        assert.ok(fs.existsSync(path.join(EXTENSION, file)), `editors/vscode/${file} is missing`);
    const project = /project\(pelorn VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(ROOT, 'CMakeLists.txt'), 'utf8'));
    assert.strictEqual(manifest.version, project[1]);
});

// What VS Code makes of a line with the matcher: a note is information, and
// a line without a severity takes the matcher's own.
function problem(line) {
    const matcher = manifest.contributes.problemMatchers[0];
    const m = new RegExp(matcher.pattern.regexp).exec(line);
    if (!m)
        return null;
    const p = matcher.pattern;
    const severity = m[p.severity] === 'note' ? 'info' : m[p.severity] || matcher.severity;
    return [m[p.file], Number(m[p.line]), severity, m[p.message]];
}

test('the problem matcher reads warnings, notes and compile errors', () => {
    const cases = [
        ['a.scr:12: warning: x is never read', ['a.scr', 12, 'warning', 'x is never read']],
        ['lib/b.scr:3: note: x is assigned here', ['lib/b.scr', 3, 'info', 'x is assigned here']],
        ['/home/u/c.scr:7: error: no such file', ['/home/u/c.scr', 7, 'error', 'no such file']],
        ["/home/u/c.scr(4) : syntax error, unexpected '\\n'", ['/home/u/c.scr', 4, 'error', "syntax error, unexpected '\\n'"]],
        ['/work/dir(2)/d.scr(10) : expecting one character', ['/work/dir(2)/d.scr', 10, 'error', 'expecting one character']],
        ['C:/s/e.scr:5: warning: a: b', ['C:/s/e.scr', 5, 'warning', 'a: b']],
        ['syntax error, unexpected $end', null],
        ['Reader      : vpcd 0', null],
    ];
    for (const [line, expected] of cases)
        assert.deepStrictEqual(problem(line), expected, line);
});

test('lines that open and close blocks move the indentation', () => {
    const increase = new RegExp(configuration.indentationRules.increaseIndentPattern);
    const decrease = new RegExp(configuration.indentationRules.decreaseIndentPattern);
    // [line, opens a block, closes one]
    const cases = [
        ['if x = 1 then', true, false],
        ['  if (a and b) then // checked', true, false],
        ['while n < 10', true, false],
        ['for i = 0 to 7 step 2', true, false],
        ['for (i = 0) to 7', true, false],
        ['try', true, false],
        ['catch (e)', true, true],
        ['else', true, true],
        ['procedure Show(a, b)', true, false],
        ['function Twice(n)', true, false],
        ['end', false, true],
        ['  end // of the loop', false, true],
        ['x = 1', false, false],
        ['endif = 2', false, false],
        ['elsewhere = 3', false, false],
        ['// if x then', false, false],
        ['Function(1)', false, false],
        ['tryCount = 1', false, false],
    ];
    for (const [line, opens, closes] of cases) {
        assert.strictEqual(increase.test(line), opens, `opens a block: ${line}`);
        assert.strictEqual(decrease.test(line), closes, `closes a block: ${line}`);
    }
});

// Just enough of the vscode module for the extension's task provider.
function vscodeStandIn(settings) {
    class Task {
        constructor(definition, scope, name, source, execution, problemMatchers) {
            Object.assign(this, { definition, scope, name, source, execution, problemMatchers });
        }
    }
    class ProcessExecution {
        constructor(process, args) {
            Object.assign(this, { process, args });
        }
    }
    const vscode = {
        providers: new Map(),
        Task,
        ProcessExecution,
        TaskGroup: { Build: 'build' },
        TaskScope: { Workspace: 'workspace' },
        workspace: {
            workspaceFolders: undefined,
            getConfiguration: () => ({ get: (key, fallback) => settings[key] ?? fallback }),
        },
        tasks: { registerTaskProvider: (type, provider) => vscode.providers.set(type, provider) },
    };
    return vscode;
}

function loadExtension(vscode) {
    const load = Module._load;
    Module._load = (request, ...rest) => (request === 'vscode' ? vscode : load(request, ...rest));
    try {
        const file = require.resolve(path.join(EXTENSION, manifest.main));
        delete require.cache[file];
        const extension = require(file);
        extension.activate({ subscriptions: [] });
    } finally {
        Module._load = load;
    }
    return vscode.providers.get('pelorn');
}

test('the check task runs pelorn --check on the current file', () => {
    const provider = loadExtension(vscodeStandIn({}));
    const [task] = provider.provideTasks();
    assert.strictEqual(task.definition.type, manifest.contributes.taskDefinitions[0].type);
    assert.deepStrictEqual([task.execution.process, ...task.execution.args], ['pelorn', '--check', '${file}']);
    assert.strictEqual(task.problemMatchers, `$${manifest.contributes.problemMatchers[0].name}`);

    const custom = loadExtension(vscodeStandIn({ executable: '/opt/pelorn/bin/pelorn' }));
    const definition = { type: 'pelorn', file: 'examples/hello.scr' };
    const resolved = custom.resolveTask({ definition, scope: 'folder' });
    assert.strictEqual(resolved.definition, definition);
    assert.deepStrictEqual([resolved.execution.process, ...resolved.execution.args],
        ['/opt/pelorn/bin/pelorn', '--check', 'examples/hello.scr']);
    assert.strictEqual(custom.resolveTask({ definition: { type: 'pelorn' } }), undefined);
});
