#!/usr/bin/env python3
"""Fails, naming them, where a source file of the program is longer than
MAX_FILE lines or one of its functions longer than MAX_FUNCTION: the program
stays in pieces that a reader takes in at once.

    size_check.py SOURCE_DIR

A function is what clang-format leaves at the start of a line (a definition
at namespace level) from its opening line to the closing brace alone at the
start of a line; methods defined inside a class body are not counted."""
import pathlib
import re
import sys

PROGRAM = ["game", "table_input", "sound", "help", "resources", "window"]
MAX_FILE = 400
MAX_FUNCTION = 45
# A definition begins at the start of a line with a name (not a namespace,
# class, template or declaration) and opens its body, maybe lines later.
HEAD = re.compile(r"^(?!namespace|class |struct |enum |template|using |typedef )[A-Za-z_].*\(")


def functions(lines):
    """(first line, length, heading) of each namespace-level function."""
    start = None
    in_body = False
    for number, line in enumerate(lines, 1):
        if start is None:
            one_liner = line.rstrip().endswith("}") and "{" in line
            if HEAD.match(line) and not line.rstrip().endswith(";") and not one_liner:
                start = number
        if start is not None and not in_body:
            if line.rstrip().endswith(";"):
                start = None  # a declaration after all
            elif line.rstrip().endswith("{"):
                in_body = True
            if not in_body:
                continue
        if in_body and line.startswith("}"):
            yield start, number - start + 1, lines[start - 1].strip()
            start, in_body = None, False


def main(root):
    faults = []
    for folder in PROGRAM:
        for path in sorted((root / folder).glob("*.[ch]*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            lines = path.read_text().splitlines()
            name = path.relative_to(root)
            if len(lines) > MAX_FILE:
                faults.append(f"{name}: {len(lines)} lines (at most {MAX_FILE})")
            for start, length, heading in functions(lines):
                if length > MAX_FUNCTION:
                    faults.append(f"{name}:{start}: {length} lines: {heading}")
    print("\n".join(faults) or "every file and function within bounds")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
