// Word lists as regular-expression alternations.
'use strict';

// Longest first, so that an alternation never settles for a prefix.
function alternation(words) {
    return [...words].sort((a, b) => b.length - a.length || a.localeCompare(b)).join('|');
}

module.exports = { alternation };
