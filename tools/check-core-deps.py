#!/usr/bin/env python3
"""Fails when a folder of src/core includes a header its library does not link.

    check-core-deps.py MODULES_FILE CORE_DIR

MODULES_FILE has one line per core library, "NAME|DEPS|LIBS" (written by src/core/CMakeLists.txt):
the core folders and the outside libraries it states. Every `#include "core/OTHER/..."` of
CORE_DIR/NAME must name a folder of DEPS, and every include of an outside library's header
(table below) must have that library in LIBS. Prints each offending include and exits 1.
"""

import os
import re
import sys

# Header prefix -> the part of the imported target's name that stands for the library (any
# letter case).
OUTSIDE = {
    'libxml/': 'LIBXML2',
    'libxslt/': 'LIBXSLT',
    'libexslt/': 'EXSLT',
    'sqlite3.h': 'SQLITE3',
    'curl/': 'LIBCURL',
    'uchardet': 'UCHARDET',
    'zlib.h': 'ZLIB',
    'nlohmann/': 'nlohmann',
    'CLI/': 'CLI11',
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def main(modules_file, core_dir):
    modules = {}
    with open(modules_file, encoding='utf-8') as f:
        for line in f:
            if line.strip():
                name, deps, libs = line.rstrip('\n').split('|')
                modules[name] = (set(deps.split()), libs)
    bad = []
    for folder in sorted(os.listdir(core_dir)):
        path = os.path.join(core_dir, folder)
        if not os.path.isdir(path):
            continue
        if folder not in modules:
            bad.append('%s: a core folder without a library in src/core/CMakeLists.txt' % folder)
            continue
        deps, libs = modules[folder]
        for base, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp')):
                    continue
                source = os.path.join(base, name)
                with open(source, encoding='utf-8', errors='replace') as f:
                    text = f.read()
                for kind, header in INCLUDE.findall(text):
                    where = os.path.relpath(source, core_dir)
                    if kind == '"' and header.startswith('core/'):
                        other = header.split('/')[1]
                        if other != folder and other not in deps:
                            bad.append('%s includes "%s" but %s does not link zirvo_%s'
                                       % (where, header, folder, other))
                    elif kind == '<':
                        for prefix, library in OUTSIDE.items():
                            if header.startswith(prefix) and library.lower() not in libs.lower():
                                bad.append('%s includes <%s> but %s does not link %s'
                                           % (where, header, folder, library))
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
