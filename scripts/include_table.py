#!/usr/bin/env python3
"""Prints the table of includes between the code folders and checks that each points down.

Floors, bottom first: platform, the shell's base floor (app/base), the subsystems, the shell (app).
A row is the including folder, a column the included one; the cell counts include lines. An include
that points up a floor (or sideways into a subsystem the floor order places above) is listed and the
script exits 1.
"""
import os
import re
import sys

# Bottom first; a folder may include itself and any folder before it.
FLOORS = ["platform", "app/base", "translations", "gfx", "theory", "midi", "visual", "practice", "board",
          "learning", "learning_ui", "classroom", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    """The floor a repository path belongs to, or None outside the code folders."""
    for floor in sorted(FLOORS, key=len, reverse=True):
        if path.startswith(floor + "/"):
            return floor
    return None


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    counts = {}
    upward = []
    for floor in FLOORS:
        top = os.path.join(root, floor)
        for directory, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(directory, name), root)
                if folder_of(path) != floor:
                    continue
                with open(os.path.join(root, path), encoding="utf-8") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = folder_of(match.group(1))
                        if target is None:
                            continue
                        counts[(floor, target)] = counts.get((floor, target), 0) + 1
                        if FLOORS.index(target) > FLOORS.index(floor):
                            upward.append(f"{path}:{number}: {match.group(1)}")
    short = [f.replace("app/base", "base") for f in FLOORS]
    width = max(len(s) for s in short) + 1
    print("includer \\ included (floors bottom first)".ljust(width))
    print("".ljust(width) + "".join(s[:5].rjust(6) for s in short))
    for i, floor in enumerate(FLOORS):
        cells = []
        for j, target in enumerate(FLOORS):
            n = counts.get((floor, target), 0)
            mark = "" if j <= i or n == 0 else "!"
            cells.append((f"{n}{mark}" if n else ".").rjust(6))
        print(short[i].ljust(width) + "".join(cells))
    if upward:
        print(f"\n{len(upward)} includes point up:")
        for line in upward:
            print("  " + line)
        return 1
    print("\nEvery include points down or stays inside its folder.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
