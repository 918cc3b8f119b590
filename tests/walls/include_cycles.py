#!/usr/bin/env python3
"""include_cycles.py <src dir>: fails, listing them, when quoted includes run in a loop.

A header and its source (x.h, x.cpp) are one node. An include is resolved as the compiler does:
beside the including file, then from the tree's root (the rooms' spelling); ones that resolve
to no file of the tree (system headers, the resource ids) are outside the graph.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def node(path, root):
    stem, ext = os.path.splitext(os.path.relpath(path, root))
    return stem if ext in (".h", ".cpp") else stem + ext


def graph(root):
    edges = {}
    for folder, _, names in os.walk(root):
        for name in sorted(n for n in names if n.endswith((".h", ".cpp", ".inl"))):
            path = os.path.join(folder, name)
            here = edges.setdefault(node(path, root), set())
            with open(path, encoding="utf-8", errors="replace") as f:
                spelled = INCLUDE.findall(f.read())
            for include in spelled:
                for base in (folder, root):
                    target = os.path.join(base, include)
                    if os.path.isfile(target):
                        here.add(node(target, root))
                        break
    for name, targets in edges.items():
        targets.discard(name)
    return edges


def loops(edges):
    """One loop for each edge that leads back into the depth-first path."""
    found, path, state = [], [], {}

    def visit(v):
        state[v] = "open"
        path.append(v)
        for w in sorted(edges[v]):
            if state.get(w) == "open":
                found.append(path[path.index(w):] + [w])
            elif w not in state:
                visit(w)
        path.pop()
        state[v] = "done"

    for v in sorted(edges):
        if v not in state:
            visit(v)
    return found


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    edges = graph(os.path.abspath(sys.argv[1]))
    found = loops(edges)
    for loop in found:
        print("include loop: " + " -> ".join(loop))
    print(f"{len(edges)} files (a header and its source as one), {len(found)} loop(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
