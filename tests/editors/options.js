// Command-line options of the editor tests, written --NAME=VALUE.
'use strict';

function option(name) {
    const prefix = `--${name}=`;
    const found = process.argv.find((arg) => arg.startsWith(prefix));
    return found === undefined ? undefined : found.slice(prefix.length);
}

module.exports = { option };
