#!/usr/bin/env python3
"""Fails when the modules' dependencies are not the ones docs/ARCHITECTURE.md draws.

Three things must agree: the graph on the page (its code block of "module ──> deps" lines), the
module dependencies each src/<module>/CMakeLists.txt links, and the headers each module's files
include. A module of src/ that the page does not draw is an error, and so is an include, written
"module/Header.h" or as a relative path ("../app/Header.h"), of a module outside the ones its
module depends on (directly or through them). Run by the test run (label base):

    python3 scripts/check-layers.py [repository root]
"""
import os
import re
import sys

ARROW = "──>"


def page_graph(page):
    graph = {}
    text = open(page, encoding="utf-8").read()
    block = text.split("## Modules and their real dependency graph", 1)[-1]
    block = block.split("```", 2)[1] if block.count("```") >= 2 else ""
    for line in block.splitlines():
        line = re.sub(r"\s{2,}\(.*$", "", line).strip()
        if not line or "/" in line.split()[0]:
            continue  # a tool, not a module
        name, _, deps = line.partition(ARROW)
        graph[name.strip()] = {d.strip() for d in deps.split(",") if d.strip()}
    return graph


def cmake_deps(cmake_file, modules, own):
    text = open(cmake_file, encoding="utf-8").read() if os.path.exists(cmake_file) else ""
    return {m for m in re.findall(r"\bvireo_([a-z]+)\b", text) if m in modules and m != own}


def closure(graph, module):
    seen, todo = set(), list(graph.get(module, ()))
    while todo:
        m = todo.pop()
        if m not in seen:
            seen.add(m)
            todo.extend(graph.get(m, ()))
    return seen


INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def included_module(src, file, header, modules):
    """The module of src whose header this include names, or None."""
    if header.startswith("."):
        path = os.path.normpath(os.path.join(os.path.dirname(file), header))
        rel = os.path.relpath(path, src)
        first = rel.split(os.sep)[0]
        return first if not rel.startswith("..") and first in modules else None
    first = header.split("/")[0]
    return first if "/" in header and first in modules else None


def main(root):
    src = os.path.join(root, "src")
    graph = page_graph(os.path.join(root, "docs", "ARCHITECTURE.md"))
    problems = []
    if not graph:
        problems.append("docs/ARCHITECTURE.md draws no module graph")
    present = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    modules = set(graph) | set(present)
    for module in present:
        if module not in graph:
            problems.append(f"src/{module} is a module the page's graph does not draw")
    for module in sorted(graph):
        if module not in present:
            problems.append(f"the page draws {module}, which src/ does not have")
            continue
        linked = cmake_deps(os.path.join(src, module, "CMakeLists.txt"), modules, module)
        if linked != graph[module]:
            problems.append(f"src/{module}/CMakeLists.txt links {sorted(linked)}, the page draws "
                            f"{sorted(graph[module])}")
        allowed = closure(graph, module)
        for folder, _, files in os.walk(os.path.join(src, module)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                file = os.path.join(folder, name)
                for n, line in enumerate(open(file, encoding="utf-8", errors="replace"), 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    used = included_module(src, file, m.group(1), modules)
                    if used and used != module and used not in allowed:
                        problems.append(f"{os.path.relpath(file, root)}:{n} includes {m.group(1)}"
                                        f" (the {module} module may use: "
                                        f"{', '.join(sorted(allowed)) or 'nothing'})")
    for p in problems:
        print("layering:", p)
    if not problems:
        print("layering: every include points down, and the page and CMake agree")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
