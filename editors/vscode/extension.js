// The task "check current file": `pelorn --check ${file}`, whose output the
// $pelorn problem matcher turns into problems. A tasks.json entry of type
// "pelorn" names its own file.
'use strict';

const vscode = require('vscode');

const TASK_TYPE = 'pelorn';

function checkTask(definition, scope) {
    const executable = vscode.workspace.getConfiguration('pelorn').get('executable', 'pelorn');
    const task = new vscode.Task(definition, scope, 'check current file', TASK_TYPE,
        new vscode.ProcessExecution(executable, ['--check', definition.file]), '$pelorn');
    task.group = vscode.TaskGroup.Build;
    return task;
}

function activate(context) {
    context.subscriptions.push(vscode.tasks.registerTaskProvider(TASK_TYPE, {
        provideTasks: () => {
            const folders = vscode.workspace.workspaceFolders;
            const scope = folders && folders.length > 0 ? folders[0] : vscode.TaskScope.Workspace;
            return [checkTask({ type: TASK_TYPE, file: '${file}' }, scope)];
        },
        // The definition must stay the object VS Code handed over.
        resolveTask: (task) => (task.definition.file ? checkTask(task.definition, task.scope) : undefined),
    }));
}

function deactivate() {}

module.exports = { activate, deactivate };
