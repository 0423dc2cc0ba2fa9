#!/usr/bin/env python3
"""scripts/setup's two package sets, checked without installing anything.

  setup_packages.py SETUP BUILD_DIR FILE...

The run set is part of the test set, and every shared library that FILE (a built program,
library or the Qt platform plugin the wizard loads) needs at run time belongs to a package the
run set installs: one of its packages or something they depend on. A package pulled in only
as a recommendation does not count: setup installs without recommendations.
"""
import os
import re
import subprocess
import sys


def package_set(setup, name):
    out = subprocess.run([setup, "--list", name], check=True, capture_output=True, text=True)
    return [line for line in out.stdout.splitlines() if line]


def installed_packages():
    """Each installed package's dependencies (Depends and Pre-Depends, every alternative),
    and which packages provide a virtual name."""
    fields = "${Package}\t${Status}\t${Provides}\t${Depends}, ${Pre-Depends}\n"
    out = subprocess.run(["dpkg-query", "-W", "-f=" + fields], check=True,
                         capture_output=True, text=True).stdout
    depends, providers = {}, {}
    for line in out.splitlines():
        package, status, provides, deps = line.split("\t")
        if not status.endswith(" installed"):
            continue
        names = set()
        for clause in deps.split(","):
            for alternative in clause.split("|"):
                word = alternative.strip().split(" ")[0].split(":")[0]
                if word:
                    names.add(word)
        depends[package] = names
        for provided in provides.split(","):
            word = provided.strip().split(" ")[0]
            if word:
                providers.setdefault(word, set()).add(package)
    return depends, providers


def closure(roots, depends, providers):
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        for package in {name} | providers.get(name, set()):
            if package in seen or package not in depends:
                continue
            seen.add(package)
            todo.extend(depends[package])
    return seen


def libraries(path):
    """The files of the shared libraries PATH loads, by ldd (which only reads the file)."""
    out = subprocess.run(["ldd", path], check=True, capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        match = re.search(r"=> (/\S+)", line) or re.match(r"\s*(/\S+)", line)
        if match:
            found.append(match.group(1))
        elif "not found" in line:
            sys.exit(f"{path}: ldd finds no {line.strip()}")
    return found


def owners(paths):
    """The package that holds each of PATHS, trying the names a merged /usr gives it."""
    names = {}
    for path in paths:
        candidates = {path, os.path.realpath(path)}
        for c in list(candidates):
            candidates.add(c[len("/usr"):] if c.startswith("/usr/") else "/usr" + c)
        names[path] = candidates
    every = sorted(set().union(*names.values())) if names else []
    # One query for all (it fails for the names that do not exist, which is expected).
    out = subprocess.run(["dpkg-query", "-S"] + every, capture_output=True, text=True).stdout
    holder = {}
    for line in out.splitlines():
        package, _, file = line.partition(": ")
        holder[file.strip()] = package.split(",")[0].split(":")[0].strip()
    return {path: next((holder[c] for c in sorted(names[path]) if c in holder), None)
            for path in paths}


def main():
    setup, build_dir, files = sys.argv[1], os.path.realpath(sys.argv[2]), sys.argv[3:]
    run_set, test_set = package_set(setup, "run"), package_set(setup, "test")
    faults = []
    if not run_set or not files:
        faults.append("nothing to check: empty run set or no files")
    faults += [f"{p} is in the run set but not the test set" for p in run_set
               if p not in test_set]

    depends, providers = installed_packages()
    absent = [p for p in run_set if p not in depends]
    if absent:
        sys.exit("not installed, so their dependencies are unknown: " + " ".join(absent))
    reachable = closure(run_set, depends, providers)

    needed = []
    for path in files:
        for library in libraries(path):
            if not os.path.realpath(library).startswith(build_dir + os.sep):
                needed.append((path, library))  # else built here, beside the programs
    holders = owners(sorted({library for _, library in needed}))
    checked = len(needed)
    for path, library in needed:
        package = holders[library]
        if package is None:
            faults.append(f"{path}: {library} belongs to no package")
        elif package not in reachable:
            faults.append(f"{path}: {library} is in {package}, which the run set does "
                          "not install")
    if checked == 0:
        faults.append("no system library found in any file")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(run_set)} run packages within {len(test_set)} test packages; "
              f"{checked} libraries of {len(files)} files all come with the run set")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
