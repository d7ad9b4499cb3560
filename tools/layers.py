#!/usr/bin/env python3
"""Checks the includes of every file under src/ against the folders' table in
docs/architecture.md: a folder includes only itself and the folders it may
use, and no unit (a source file and its header) reaches itself again
through its includes.
  tools/layers.py [SRC]   prints each use the table does not allow and each
                          circle of includes; exits 1 when there is one."""
import os
import re
import sys

# Each folder and the folders it may use (besides itself and its own
# sub-folders). The table of docs/architecture.md, as data.
MAY_USE = {
    "platform/array": [],
    "platform/files": [],
    "platform/startup": ["platform/array"],
    "platform/graphics": ["platform/array", "platform/startup"],
    "platform/qt": ["platform/graphics", "platform/files", "platform/array", "platform/startup"],
    "antenna": [],
    "formats": ["antenna"],
    "fullwave": ["antenna", "formats", "platform/files"],
    # The window takes its sliders' ranges from the one header that holds
    # them, and nothing else of the physics.
    "window": ["platform/array", "platform/startup", "platform/graphics",
               "antenna/slider_ranges.h"],
    "design": ["antenna", "formats", "fullwave", "window", "platform/array", "platform/startup",
               "platform/graphics", "platform/files"],
    "figures": ["design", "fullwave", "formats", "antenna", "window", "platform/array",
                "platform/startup", "platform/graphics", "platform/files"],
    "shell": ["figures", "design", "fullwave", "formats", "antenna", "window", "platform"],
    "python": ["antenna", "formats", "platform/files"],
    "script": ["shell", "figures", "design", "fullwave", "formats", "antenna", "window",
               "platform"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """The table's folder holding `path` (relative to src/), the longest that fits."""
    best = None
    for f in MAY_USE:
        if (path == f or path.startswith(f + "/")) and (best is None or len(f) > len(best)):
            best = f
    return best


def allowed(frm, to, inc):
    """Whether `frm` may include `inc` (in folder `to`); a row may name a single header."""
    return to == frm or any(inc == u or to == u or to.startswith(u + "/") for u in MAY_USE[frm])


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    includes = {}
    for root, _, names in os.walk(src):
        for n in names:
            if n.endswith((".h", ".cpp")):
                path = os.path.relpath(os.path.join(root, n), src)
                with open(os.path.join(src, path), encoding="utf-8") as f:
                    includes[path] = INCLUDE.findall(f.read())
    faults = []
    for path, incs in sorted(includes.items()):
        frm = folder_of(path)
        if frm is None:
            faults.append(f"{path}: its folder is not in the table")
            continue
        for inc in incs:
            to = folder_of(inc)
            if inc in includes and to is not None and not allowed(frm, to, inc):
                faults.append(f"{path}: includes {inc}, but {frm} may not use {to}")
    # Circles of includes between units (a source file with its header), by
    # depth-first search: a.cpp including b.h while b.h includes a.h is one.
    # The front end's renderer and its painters call each other through
    # their headers by design, so units are checked above platform/ only.
    units = {}
    for path, incs in includes.items():
        if path.startswith("platform/"):
            continue
        units.setdefault(os.path.splitext(path)[0], set()).update(
            os.path.splitext(i)[0] for i in incs if i in includes)
    state, stack = {}, []

    def visit(p):
        state[p] = 1
        stack.append(p)
        for q in sorted(units.get(p, [])):
            if q == p:
                continue
            if state.get(q) == 1:
                faults.append("circle: " + " -> ".join(stack[stack.index(q):] + [q]))
            elif q not in state:
                visit(q)
        stack.pop()
        state[p] = 2

    for p in sorted(units):
        if p not in state:
            visit(p)
    for f in faults:
        print(f)
    print(f"{len(includes)} files read, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
