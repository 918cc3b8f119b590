#!/usr/bin/env python3
"""Fails, listing them, when the quoted includes of a source tree run in a loop.

A header and its source (x.h, x.cpp) are one node: a loop through a class's own .cpp counts.
Includes are resolved as the build resolves them: beside the including file, then from the
tree's root (the rooms' include spelling). Ones that resolve to nothing (system headers, the
resource ids) are outside the graph.

    include_cycles.py <src dir>
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
SOURCES = (".h", ".cpp", ".inl")


def node(path, root):
    rel = os.path.relpath(path, root)
    stem, ext = os.path.splitext(rel)
    return stem if ext in (".h", ".cpp") else rel


def graph(root):
    edges = {}
    for folder, _, names in os.walk(root):
        for name in names:
            if not name.endswith(SOURCES):
                continue
            path = os.path.join(folder, name)
            here = node(path, root)
            edges.setdefault(here, set())
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for spelled in INCLUDE.findall(text):
                for base in (folder, root):
                    target = os.path.normpath(os.path.join(base, spelled))
                    if os.path.isfile(target):
                        there = node(target, root)
                        if there != here:
                            edges[here].add(there)
                        break
    return edges


def cycles(edges):
    """Strongly connected components of more than one node (Tarjan), each with one loop."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def loop_in(component, edges):
    """One loop through the component's first node, for the message."""
    members = set(component)
    start = component[0]
    paths = [[start]]
    seen = {start}
    while paths:
        path = paths.pop(0)
        for w in sorted(edges[path[-1]] & members):
            if w == start:
                return path + [start]
            if w not in seen:
                seen.add(w)
                paths.append(path + [w])
    return component


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[1])
    edges = graph(root)
    found = cycles(edges)
    for component in found:
        print("include loop: " + " -> ".join(loop_in(component, edges)))
        if len(component) > 2:
            print("  (with " + ", ".join(component) + ")")
    print(f"{len(edges)} files checked, {len(found)} loop(s)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
