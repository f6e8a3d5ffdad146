#!/usr/bin/env python3
"""Fails when a file under src/ includes a folder on a floor above its own.

The order of the floors lives here and nowhere else. A file may include its own folder and any
folder on a lower floor; folders on one floor do not include each other. src/main.cpp stands
above everything. Usage: check-layers.py [SRC_DIR]
"""
import pathlib
import re
import sys

# Ground floor first.
FLOORS = [
    ["platform"],  # the OS, the process-wide state, prompts, settings, files, processes
    ["db", "controls"],  # the database session and query helpers; the input controls
    ["grid"],  # the spreadsheet grid, its menu, layouts and export
    ["print"],  # printing and the print preview of grids
    ["customers"],  # the customer, charge and sender-number dialogs and their rules
    ["reports"],  # the report windows
    ["mainwindow"],  # the customer list, which opens the dialogs and the reports
    ["login"],  # the staff login
    ["app"],  # start-up, the server list and the update chain
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')


def floor_of(folder):
    for level, names in enumerate(FLOORS):
        if folder in names:
            return level
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or path.parent == src:
            continue
        own = path.relative_to(src).parts[0]
        own_floor = floor_of(own)
        if own_floor is None:
            faults.append(f"{path.relative_to(src)}: folder {own}/ has no floor in {__file__}")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m or m.group(1) == own:
                continue
            target = m.group(1)
            target_floor = floor_of(target)
            if target_floor is None:
                faults.append(f"{path.relative_to(src)}:{number}: {target}/ has no floor")
            elif target_floor >= own_floor:
                where = "beside" if target_floor == own_floor else "above"
                faults.append(f"{path.relative_to(src)}:{number}: includes {target}/, {where} {own}/")
    for fault in faults:
        print(fault)
    if faults:
        print(f"layering: {len(faults)} include(s) against the order of floors")
        return 1
    print(f"layering: every include points down ({src})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
