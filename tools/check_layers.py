#!/usr/bin/env python3
"""Checks that the code keeps its layers.

cmake/layers.txt lists each source folder with the folders its files may
include besides their own. Every `#include "folder/file.h"` in a source
folder, and in its tests under tests/<folder>, must name the file's own
folder or one listed for it. Tests may also include tests/<folder>/ of their
own folder and of the folders they may use. tests/gui drives the program
from outside and may include the neutral tables and geometry it shares (app/, pages/, share/, ui/, doc/).
A file outside every known folder, or an include of an unknown folder, is
an error too, so a new folder must be given its place in the table first.

Usage: check_layers.py [ROOT]   (ROOT defaults to the repository)
Exit status 0 when every include keeps to the table, 1 otherwise.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_ENDINGS = ('.h', '.hpp', '.cpp', '.cc', '.inc', '.def')
# Files that are generated into the build folder and found through its
# include path, not folders of ours.
GENERATED = {'engine_build.h'}
# What the GUI tests may share with the program they drive.
GUI_ALLOWED = {'tests/gui', 'tests/base', 'app', 'pages', 'share', 'ui', 'doc', 'base'}


def read_table(root):
    table = {}
    order = []
    with open(os.path.join(root, 'cmake', 'layers.txt'), encoding='utf-8') as f:
        for line in f:
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            name, _, deps = line.partition(':')
            name = name.strip()
            table[name] = set(deps.split())
            order.append(name)
    for name, deps in table.items():
        for dep in deps:
            if dep not in table:
                raise SystemExit(f'cmake/layers.txt: {name} names unknown folder {dep}')
            if order.index(dep) >= order.index(name):
                raise SystemExit(f'cmake/layers.txt: {name} may only use folders listed above it, not {dep}')
    return table


def allowed_for(path, table):
    """The include prefixes a file may use, or None for files not checked."""
    parts = path.split('/')
    if parts[0] in table:
        folder = parts[0]
        return {folder} | table[folder]
    if parts[0] == 'tests' and len(parts) > 2:
        if parts[1] == 'gui':
            return set(GUI_ALLOWED)
        folder = parts[1]
        if folder in table:
            lower = {folder} | table[folder]
            return lower | {'tests/' + f for f in lower}
        return set()  # an unknown test folder: every include is reported
    return None


def owner_of(path):
    """The folder whose rules a file follows: app, or tests/app."""
    parts = path.split('/')
    return '/'.join(parts[:2]) if parts[0] == 'tests' else parts[0]


def prefix_of(include):
    parts = include.split('/')
    if parts[0] == 'tests' and len(parts) > 2:
        return 'tests/' + parts[1]
    return parts[0] if len(parts) > 1 else None


def check(root):
    table = read_table(root)
    problems = []
    for top in sorted(set(table) | {'tests'}):
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        for dirpath, _, files in os.walk(base):
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, root).replace(os.sep, '/')
                allowed = allowed_for(rel, table)
                if allowed is None:
                    continue
                with open(full, encoding='utf-8', errors='replace') as f:
                    text = f.read()
                for match in INCLUDE.finditer(text):
                    include = match.group(1)
                    if include in GENERATED:
                        continue
                    prefix = prefix_of(include)
                    if prefix is None:
                        problems.append(f'{rel}: #include "{include}" names no folder')
                    elif prefix not in allowed:
                        line = text.count('\n', 0, match.start()) + 1
                        problems.append(f'{rel}:{line}: #include "{include}" reaches {prefix}/, '
                                        f'which {owner_of(rel)}/ may not use')
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f'layer check: {len(problems)} include(s) against cmake/layers.txt')
        return 1
    print('layer check: every include keeps to cmake/layers.txt')
    return 0


if __name__ == '__main__':
    sys.exit(main())
