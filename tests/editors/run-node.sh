#!/bin/sh
# Runs one editor test with node. The memcheck run (tests/valgrind/project.py)
# puts valgrind in front of the first native program of a CTest command; with
# this script first and every path inside --NAME=PATH it finds none, so node
# runs as it is.
exec node "$@"
