#!/usr/bin/env python3
"""Checks every project #include below a source root against the folders' include lists.

A folder's README.md may carry an include list, bullet lines of backticked paths relative to
the source root:

    - may use: `common/`, `content/`,
      `modes/mode_context.h`
    - must not use: `app/`

An indented line continues the list above it.

A path ending in `/` names a folder and everything below it; any other path names one file.
A source file is governed by the nearest folder above it (its own included) whose README
has such a list; files under no list are not checked. An include is allowed when it lies in
the governing folder itself or matches a "may use" path; it is a breach when it matches a
"must not use" path, or when the folder has a "may use" list that it matches nowhere. Where
paths of both kinds match, the longer one decides, and "must not use" wins a tie.

Only includes in double quotes whose first folder exists below the root are checked: system
and Qt headers are not the project's layering.

Usage: checkdeps.py SOURCE_ROOT   (exit status 1 and one line per breach when any is found)
"""
import pathlib
import re
import sys

RULE = re.compile(r"^\s*[-*]\s*(may use|must not use)\s*:(.*)$", re.IGNORECASE)
TOKEN = re.compile(r"`([^`]+)`")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".c", ".inc"}


def read_rules(readme):
    """(may, must_not) lists of a README, or None when it has no include list."""
    may, must_not, found = [], [], False
    target = None  # the list an indented continuation line adds to
    for line in readme.read_text(encoding="utf-8", errors="replace").splitlines():
        match = RULE.match(line)
        if match:
            found = True
            target = may if match.group(1).lower() == "may use" else must_not
            target.extend(TOKEN.findall(match.group(2)))
        elif target is not None and line.startswith((" ", "\t")) and line.strip():
            target.extend(TOKEN.findall(line))
        else:
            target = None
    return (may, must_not) if found else None


def matches(path, rule):
    return path.startswith(rule) if rule.endswith("/") else path == rule


def longest(path, rules):
    return max((len(r) for r in rules if matches(path, r)), default=-1)


class Checker:
    def __init__(self, root):
        self.root = root
        self.rules = {}  # folder (relative, ending in '/') -> (may, must_not) or None

    def rules_of(self, folder):
        if folder not in self.rules:
            readme = self.root / folder / "README.md"
            self.rules[folder] = read_rules(readme) if readme.is_file() else None
        return self.rules[folder]

    def governing(self, relative_file):
        """The folder whose list governs a file, with its lists; (None, None) for none."""
        parts = relative_file.split("/")[:-1]
        while True:
            folder = "".join(p + "/" for p in parts)
            rules = self.rules_of(folder)
            if rules is not None:
                return folder, rules
            if not parts:
                return None, None
            parts.pop()

    def is_project_include(self, include):
        first = include.split("/", 1)[0]
        return "/" in include and (self.root / first).is_dir()

    def verdict(self, folder, rules, include):
        may, must_not = rules
        allowed = max(longest(include, may), len(folder) if include.startswith(folder) else -1)
        denied = longest(include, must_not)
        if denied >= 0 and denied >= allowed:
            return "must not use"
        if allowed < 0 and may:
            return "not in may use"
        return None

    def breaches(self):
        for path in sorted(self.root.rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            relative = path.relative_to(self.root).as_posix()
            folder, rules = self.governing(relative)
            if rules is None:
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for number, line in enumerate(text.splitlines(), start=1):
                match = INCLUDE.match(line)
                if not match or not self.is_project_include(match.group(1)):
                    continue
                why = self.verdict(folder, rules, match.group(1))
                if why:
                    yield (f"{relative}:{number}: includes {match.group(1)}"
                           f" ({why} of {folder or './'}README.md)")


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root = pathlib.Path(argv[1])
    if not root.is_dir():
        print(f"{root}: no such folder", file=sys.stderr)
        return 2
    found = list(Checker(root).breaches())
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) break the layering", file=sys.stderr)
        return 1
    print("layering: every include keeps to its folder's list")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
