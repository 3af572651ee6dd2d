#!/usr/bin/env python3
"""The include rule of the source tree: arrows point only down the layers,
and no two files include each other, directly or round a loop.

    check-includes.py SOURCE_DIR

Layers, lowest first: base and data (what everything uses; they use nothing
of ours above them), then audio and render (side by side: neither includes
the other), then game, then app (the shell). A file may include its own
layer and any lower one. tests/, bench/ and tools/ stand above everything.
A file and its header count as one node of the loop check, so a .cpp that
includes a header whose .cpp includes its own header is a loop too."""

import os
import re
import sys

RANK = {"base": 0, "data": 0, "audio": 1, "render": 1, "game": 2, "app": 3}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def sources(root):
    for layer in RANK:
        folder = os.path.join(root, layer)
        for dirpath, _, names in os.walk(folder):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(dirpath, name), root)


def node(path):
    return os.path.splitext(path)[0]


def main():
    root = sys.argv[1]
    faults = []
    edges = {}
    for path in sources(root):
        layer = path.split(os.sep)[0]
        with open(os.path.join(root, path), encoding="utf-8") as source:
            included = INCLUDE.findall(source.read())
        for target in included:
            target_layer = target.split("/")[0]
            if target_layer not in RANK:
                continue
            if target_layer != layer and RANK[target_layer] >= RANK[layer]:
                faults.append("%s includes %s: %s may not include %s" % (path, target, layer, target_layer))
            if node(target) != node(path):
                edges.setdefault(node(path), set()).add(node(target))
    # Loops among files, by depth-first search with colours.
    state = {}
    stack = []

    def visit(current):
        state[current] = "open"
        stack.append(current)
        for following in sorted(edges.get(current, ())):
            if state.get(following) == "open":
                faults.append("include loop: " + " -> ".join(stack[stack.index(following):] + [following]))
            elif following not in state:
                visit(following)
        stack.pop()
        state[current] = "done"

    for start in sorted(edges):
        if start not in state:
            visit(start)
    for fault in faults:
        print(fault)
    print("%d include faults" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
