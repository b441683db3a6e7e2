#!/usr/bin/env python3
"""Prints the include cycles of src/ that hold more than one unit.

A unit is a .cpp and its .h taken together (src/emulation/input/keyboard.cpp and
src/emulation/input/keyboard.h are the unit emulation/input/keyboard); the portable and
the Win32 folders are both read. Unit A depends on unit B when a file of A
includes a file of B with a quoted include. The cycles are the strongly
connected components of that graph; each is printed with its size, largest
first, and the exit status is 0 whatever they are (see --max to fail).
"""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCE_EXTENSIONS = (".cpp", ".h", ".inc")


def unit_of(path):
    """The unit of a path relative to src/: the path without its extension."""
    return os.path.splitext(path)[0]


def read_graph(src):
    graph = {}
    for folder, _, files in os.walk(src):
        for name in files:
            if not name.endswith(SOURCE_EXTENSIONS):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            unit = unit_of(rel)
            graph.setdefault(unit, set())
            with open(full, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for included in INCLUDE.findall(text):
                # Includes are written from src/; a bare name is beside the file.
                target = included
                if not os.path.exists(os.path.join(src, target)):
                    beside = os.path.join(os.path.dirname(rel), included)
                    if os.path.exists(os.path.join(src, beside)):
                        target = os.path.normpath(beside).replace(os.sep, "/")
                    else:
                        continue
                other = unit_of(target)
                if other != unit:
                    graph[unit].add(other)
    for targets in list(graph.values()):
        for t in targets:
            graph.setdefault(t, set())
    return graph


def strongly_connected(graph):
    """Tarjan's algorithm, iterative so that deep graphs do not recurse."""
    index = {}
    low = {}
    on_stack = set()
    stack = []
    components = []
    counter = 0
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                components.append(sorted(component))
    return components


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", default=os.path.join(os.path.dirname(__file__), "..", "src"))
    parser.add_argument("--max", type=int, default=0,
                        help="fail (status 1) when a cycle holds more units than this")
    args = parser.parse_args()
    graph = read_graph(os.path.normpath(args.src))
    cycles = [c for c in strongly_connected(graph) if len(c) > 1]
    cycles.sort(key=lambda c: (-len(c), c))
    print(f"{len(graph)} units, {len(cycles)} include cycles")
    for c in cycles:
        print(f"{len(c):3} units: {' '.join(c)}")
    if args.max and cycles and len(cycles[0]) > args.max:
        print(f"largest cycle holds {len(cycles[0])} units (at most {args.max} allowed)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
