#!/usr/bin/env python3
"""Cases for check-maps.py: small source trees built in a temporary folder."""

import importlib.util
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("check_maps", os.path.join(HERE, "check-maps.py"))
check_maps = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_maps)

ROOT_LINKS = "[a](alpha/README.md) [p](platform/README.md) [c](platform/core/README.md)\n"
BASE = {
    "README.md": ROOT_LINKS,
    "alpha/README.md": "`Widget.*` and `tests/Widget*Test.cpp`\n",
    "alpha/Widget.cpp": "", "alpha/Widget.h": "",
    "alpha/tests/WidgetDrawTest.cpp": "",
    "platform/README.md": "the lower layer\n",
    "platform/core/README.md": "| `Strings.cpp` | text |\n",
    "platform/core/Strings.cpp": "",
    "build/CMakeCache.txt": "", "build/Generated.cpp": "",
    ".hidden/Stray.cpp": "",
}

# (case, files added or replaced (None removes), expected problems)
CASES = [
    ("every file named by name or pattern", {}, []),
    ("a new file nobody named", {"alpha/Gadget.cpp": ""},
     ["alpha/README.md does not name Gadget.cpp"]),
    ("a new test beside the pattern's family", {"alpha/tests/GadgetTest.cpp": ""},
     ["alpha/README.md does not name tests/GadgetTest.cpp"]),
    ("a pattern too broad to count", {"alpha/README.md": "`*.cpp` `*.h` `tests/*.cpp`\n"},
     ["alpha/README.md does not name Widget.cpp",
      "alpha/README.md does not name Widget.h",
      "alpha/README.md does not name tests/WidgetDrawTest.cpp"]),
    ("a name at the end of a sentence", {"platform/core/README.md": "It holds Strings.cpp.\n"}, []),
    ("a header and source pair written as one", {
        "platform/core/README.md": "`Strings.h/.cpp`\n", "platform/core/Strings.h": ""}, []),
    ("a folder without a map", {"beta/Thing.cpp": ""},
     ["beta/: no README.md", "README.md: no link to beta/README.md"]),
    ("a nested map owns its files", {
        "alpha/tool/README.md": "`ToolMain.cpp`\n", "alpha/tool/ToolMain.cpp": "",
        "README.md": ROOT_LINKS + "[t](alpha/tool/README.md)\n"}, []),
    ("a nested file is not named by the parent map", {
        "alpha/tool/README.md": "nothing\n", "alpha/README.md": BASE["alpha/README.md"] + "ToolMain.cpp\n",
        "alpha/tool/ToolMain.cpp": "", "README.md": ROOT_LINKS + "[t](alpha/tool/README.md)\n"},
     ["alpha/tool/README.md does not name ToolMain.cpp"]),
    ("a platform subfolder missing its map", {"platform/core/README.md": None},
     ["platform/core/: no README.md"]),
    ("the root README without a link", {"README.md": "[a](alpha/README.md)\n"},
     ["README.md: no link to platform/README.md", "README.md: no link to platform/core/README.md"]),
]


def build_tree(root, changes):
    files = dict(BASE)
    files.update(changes)
    for rel, text in files.items():
        if text is None:
            continue
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


def main():
    failures = 0
    for name, changes, expected in CASES:
        with tempfile.TemporaryDirectory(prefix="maps-check-") as root:
            build_tree(root, changes)
            got = check_maps.check(root)
        if sorted(got) != sorted(expected):
            failures += 1
            print(f"FAIL {name}\n  expected {sorted(expected)}\n  got      {sorted(got)}")
        else:
            print(f"ok   {name}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
