#!/usr/bin/env python3
"""Checks that every folder map (README.md) names the source files of its folder.

A map folder is every top-level folder, every folder under platform/, and any
deeper folder that keeps a README.md of its own (tools/gridshot, say). Each
.cpp and .h file belongs to the nearest map folder above it, tests/ and main/
included, and counts as named when its map mentions its file name, its path
from the map folder, or a wildcard pattern matching either (`RenderPDF*.cpp`,
`SioComPort.*`, `tests/Ldb*Test.cpp`); a pair written `DBGrid.h/.cpp`
names both files. A pattern whose file-name part keeps
fewer than three literal characters (`*.cpp`, `tests/*.h`) names nothing: it
would hide every new file. The root README must link every map.

Usage: check-maps.py [SOURCE_ROOT]   (default: the folder above this script)
Exit status 0 when every file is named, 1 with a list of what is missing.
"""

import fnmatch
import os
import re
import sys

SOURCE_SUFFIXES = (".cpp", ".h")
TOKEN = re.compile(r"[\w./*?-]+")
PAIR = re.compile(r"^(.*)\.(\w+)/\.(\w+)$")
MIN_PATTERN_LITERALS = 3


def is_skipped_dir(path, name):
    """Hidden folders and CMake build trees hold no mapped sources."""
    if name.startswith("."):
        return True
    return os.path.exists(os.path.join(path, "CMakeCache.txt"))


def map_folders(root):
    """Returns the map folders as paths relative to root, deepest last."""
    folders = set()
    for name in sorted(os.listdir(root)):
        path = os.path.join(root, name)
        if os.path.isdir(path) and not is_skipped_dir(path, name):
            folders.add(name)
    platform = os.path.join(root, "platform")
    if os.path.isdir(platform):
        for name in sorted(os.listdir(platform)):
            path = os.path.join(platform, name)
            if os.path.isdir(path) and not is_skipped_dir(path, name):
                folders.add("platform/" + name)
    for top in list(folders):
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames[:] = [d for d in dirnames
                           if not is_skipped_dir(os.path.join(dirpath, d), d)]
            if "README.md" in filenames:
                folders.add(os.path.relpath(dirpath, root).replace(os.sep, "/"))
    return sorted(folders, key=lambda f: (f.count("/"), f))


def owner_of(rel_file, folders):
    """The deepest map folder holding rel_file, or None for root files."""
    best = None
    for folder in folders:
        if rel_file.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def literal_count(pattern):
    name = pattern.rsplit("/", 1)[-1]
    for suffix in SOURCE_SUFFIXES + (".*",):
        if name.endswith(suffix):
            name = name[: -len(suffix)]
            break
    return len(name.replace("*", "").replace("?", ""))


def map_tokens(text):
    """Names and usable patterns a map mentions."""
    names, patterns = set(), []
    for token in TOKEN.findall(text):
        token = token.rstrip(".")
        if not token:
            continue
        pair = PAIR.match(token)
        if pair:
            stem, first, second = pair.groups()
            names.update({f"{stem}.{first}", f"{stem}.{second}"})
            continue
        if "*" in token or "?" in token:
            if literal_count(token) >= MIN_PATTERN_LITERALS:
                patterns.append(token)
        else:
            names.add(token)
    return names, patterns


def is_named(rel_in_folder, rel_in_root, names, patterns):
    base = rel_in_folder.rsplit("/", 1)[-1]
    candidates = (base, rel_in_folder, rel_in_root)
    if any(c in names for c in candidates):
        return True
    return any(fnmatch.fnmatchcase(c, p) for p in patterns for c in candidates)


def check(root):
    problems = []
    folders = map_folders(root)
    tokens = {}
    for folder in folders:
        readme = os.path.join(root, folder, "README.md")
        if os.path.isfile(readme):
            with open(readme, encoding="utf-8") as f:
                tokens[folder] = map_tokens(f.read())
        else:
            problems.append(f"{folder}/: no README.md")

    root_readme = os.path.join(root, "README.md")
    root_text = ""
    if os.path.isfile(root_readme):
        with open(root_readme, encoding="utf-8") as f:
            root_text = f.read()
    for folder in folders:
        if f"({folder}/README.md)" not in root_text:
            problems.append(f"README.md: no link to {folder}/README.md")

    for folder in folders:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, folder)):
            dirnames[:] = sorted(d for d in dirnames
                                 if not is_skipped_dir(os.path.join(dirpath, d), d))
            for name in sorted(filenames):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                rel_root = os.path.relpath(os.path.join(dirpath, name), root)
                rel_root = rel_root.replace(os.sep, "/")
                if owner_of(rel_root, folders) != folder or folder not in tokens:
                    continue
                rel_folder = rel_root[len(folder) + 1:]
                names, patterns = tokens[folder]
                if not is_named(rel_folder, rel_root, names, patterns):
                    problems.append(f"{folder}/README.md does not name {rel_folder}")
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} gap(s) in the folder maps")
        return 1
    print("every source file is named in its folder map")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
