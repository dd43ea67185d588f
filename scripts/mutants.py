#!/usr/bin/env python3
"""The mutants of scripts/mutants.txt for scripts/mutation-check.sh: select, describe, apply.

  mutants.py select SET [ID|FIRST-LAST]...   IDs of the set (native or windows), in file order
  mutants.py info ID                         file, fault and test selection, tab-separated
  mutants.py apply ROOT ID                   writes the mutant into the tree; exit 3 if stale
  mutants.py check ROOT [SET]                lists the stale mutants (exit 3 if there are any)
"""
import re
import sys
from pathlib import Path

MUTANTS = Path(__file__).with_name("mutants.txt")
HEADER = re.compile(r"^\[(W?\d+)\]\s+(\S+)\s*$")
FIELD = re.compile(r"^(what|find|replace|tests):(?: (.*))?$")


def load():
    mutants, current = [], None
    for number, raw in enumerate(MUTANTS.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip()
        if not line or line.startswith("#"):
            continue
        header = HEADER.match(line)
        if header:
            current = {"id": header.group(1), "file": header.group(2), "line": number}
            mutants.append(current)
            continue
        field = FIELD.match(line)
        if not field or current is None or field.group(1) in current:
            sys.exit(f"{MUTANTS}:{number}: not a mutant field: {raw}")
        current[field.group(1)] = field.group(2) or ""
    seen = set()
    for m in mutants:
        missing = [k for k in ("what", "find", "replace") if k not in m]
        if missing or m["find"] == m["replace"] or m["id"] in seen:
            sys.exit(f"{MUTANTS}:{m['line']}: mutant {m['id']} is incomplete, a no-op or a duplicate")
        seen.add(m["id"])
    return mutants


def in_set(m, which):
    return m["id"].startswith("W") == (which == "windows")


def number(mid):
    return int(mid.lstrip("W"))


def select(which, wanted):
    chosen = [m for m in load() if in_set(m, which)]
    if not wanted:
        return [m["id"] for m in chosen]
    ids = []
    for w in wanted:
        bounds = w.split("-")
        if len(bounds) > 2 or not all(re.fullmatch(r"W?\d+", b) for b in bounds):
            sys.exit(f"mutants.py: '{w}' is neither a mutant number nor a range of them")
        low, high = number(bounds[0]), number(bounds[-1])
        hits = [m["id"] for m in chosen if low <= number(m["id"]) <= high]
        if not hits:
            sys.exit(f"mutants.py: no {which} mutant {w}")
        ids += [h for h in hits if h not in ids]
    return ids


def find(mid):
    for m in load():
        if m["id"] == mid:
            return m
    sys.exit(f"mutants.py: no mutant {mid}")


def occurrences(root, m):
    path = Path(root) / m["file"]
    if not path.is_file():
        return path, None, 0
    with open(path, encoding="utf-8", newline="") as f:
        text = f.read()
    return path, text, text.count(m["find"])


def main(argv):
    if len(argv) >= 2 and argv[0] == "select":
        print("\n".join(select(argv[1], argv[2:])))
    elif len(argv) == 2 and argv[0] == "info":
        m = find(argv[1])
        print(f"{m['file']}\t{m['what']}\t{m.get('tests', '')}")
    elif len(argv) == 3 and argv[0] == "apply":
        m = find(argv[2])
        path, text, count = occurrences(argv[1], m)
        if count != 1:
            print(f"stale: the original text occurs {count} times in {m['file']}")
            return 3
        # Newlines as they are: a CRLF file must not be rewritten whole.
        with open(path, "w", encoding="utf-8", newline="") as out:
            out.write(text.replace(m["find"], m["replace"], 1))
    elif len(argv) in (2, 3) and argv[0] == "check":
        stale = 0
        for m in load():
            if len(argv) == 3 and not in_set(m, argv[2]):
                continue
            _, _, count = occurrences(argv[1], m)
            if count != 1:
                stale += 1
                print(f"{m['id']}\tstale ({count} matches)\t{m['file']}\t{m['what']}")
        return 3 if stale else 0
    else:
        sys.exit(__doc__)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
