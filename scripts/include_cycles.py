#!/usr/bin/env python3
"""Lists the circles among the program's source files, taking a header and its .cpp as one
unit ("frame/MainFrame"): a unit reaches another when its header or its .cpp includes the
other's header. Prints each circle (a strongly connected group of units) and exits 1 when
there is one.

    scripts/include_cycles.py [--graph] [folder ...]   (default: src)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
SUFFIXES = ('.h', '.cpp')


def units_under(folders):
    files = []
    for folder in folders:
        for root, _, names in os.walk(folder):
            files += [os.path.join(root, n) for n in names if n.endswith(SUFFIXES)]
    return sorted(files)


def resolve(include, including, by_suffix):
    # As the compiler looks: beside the including file first, then anywhere on the path.
    beside = os.path.normpath(os.path.join(os.path.dirname(including), include))
    if os.path.exists(beside):
        return beside
    found = by_suffix.get(os.path.normpath(include))
    return found[0] if found and len(found) == 1 else None


def build_graph(files):
    by_suffix = {}
    for f in files:
        parts = os.path.normpath(f).split(os.sep)
        for i in range(len(parts)):
            by_suffix.setdefault(os.path.join(*parts[i:]), []).append(f)
    graph = {}
    for f in files:
        unit = os.path.splitext(f)[0]
        graph.setdefault(unit, set())
        with open(f, encoding='utf-8', errors='replace') as text:
            for include in INCLUDE.findall(text.read()):
                target = resolve(include, f, by_suffix)
                if target and target in files:
                    other = os.path.splitext(target)[0]
                    if other != unit:
                        graph[unit].add(other)
    return graph


def circles(graph):
    # Tarjan's strongly connected components, without recursion.
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.append(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(sorted(group))
    return found


def main(argv):
    show_graph = '--graph' in argv
    folders = [a for a in argv if not a.startswith('--')] or ['src']
    files = units_under(folders)
    if not files:
        print('include_cycles: no sources under ' + ', '.join(folders))
        return 2
    graph = build_graph(files)
    if show_graph:
        for unit in sorted(graph):
            for other in sorted(graph[unit]):
                print(f'{unit} -> {other}')
    found = circles(graph)
    for group in found:
        members = set(group)
        print('circle: ' + ', '.join(group))
        for unit in group:
            for other in sorted(graph[unit] & members):
                print(f'    {unit} -> {other}')
    print(f'include_cycles: {len(graph)} units, {len(found)} circles')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
