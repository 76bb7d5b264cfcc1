#!/usr/bin/python3
"""Runs the real-world table corpus's check.py on the engine built from the
tree and holds the engine to what it promises about those tables:

  - every table reads alike with python3-dbfread (or with python3-dbf, or
    the file's own bytes, where dbfread misreads it), or is one dbfread
    cannot read at all;
  - only the tables below are refused, each for its true reason;
  - the one table with two fields of one name gets no answer by that name,
    never another field's: each of its mismatches is an empty answer;
  - no crash, and reading changes no file.

Usage: dbf_corpus_test.py LIBXBENGINE_SO OUTPUT_DIR
The corpus is found by tools/reference-corpus-dir.sh; without one the test is
skipped (exit status 77). check.py's whole report goes to
OUTPUT_DIR/dbf-corpus.txt.
"""
import os
import re
import subprocess
import sys

SKIPPED = 77

# Table: what its refusal must say.
REFUSED = {
    "luads_dBaseVII.dbf": "dBase 7 table with a .DBT memo file (version byte 0x8C), which the "
                          "engine cannot open: dBase 7 lays out its header",
    "luads_dBaseVII_int.dbf": "dBase 7 table (version byte 0x04), which the engine cannot open: "
                              "dBase 7 lays out its header",
    "dbasers_stations_with_deleted.dbf": "dBase III table (version byte 0x03), which the engine "
                                         "cannot open: the widths of the fields up to field 4 "
                                         "(line) add up to more than the record length",
}
# Table: the field name that two of its fields share.
SHARED_NAMES = {"dbffile_dbase_03.dbf": "Point_ID"}

LINE = re.compile(r"^(\S+)\s+(0x[0-9A-F]{2}|----)\s+\S+ rec\s+\S+ fld  (.*)$")


def refusal_as_answers(name, details):
    """Whether every mismatch is the engine answering nothing for `name`."""
    empty_answer = (name + " (0,0)", "field " + name + ": engine ''",
                    "field " + name + " at offset -1")
    return all(any(e in d for e in empty_answer) for d in details)


def main(argv):
    if len(argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    library, out_dir = os.path.abspath(argv[1]), argv[2]
    here = os.path.dirname(os.path.abspath(__file__))
    corpus = subprocess.run([os.path.join(here, "..", "tools", "reference-corpus-dir.sh"), "dbf-corpus"],
                            capture_output=True, text=True).stdout.strip()
    if not corpus:
        print("dbf corpus: no shared/dbf-corpus beside the repository; skipped")
        return SKIPPED

    run = subprocess.run(["/usr/bin/python3", os.path.join(corpus, "check.py"), "--all", library,
                          os.path.join(corpus, "tables")], capture_output=True, text=True)
    os.makedirs(out_dir, exist_ok=True)
    report = os.path.join(out_dir, "dbf-corpus.txt")
    with open(report, "w") as f:
        f.write(run.stdout + run.stderr)
    if run.returncode != 0:
        print(run.stdout + run.stderr)
        return 1

    # Each table's line, and the indented lines of further mismatches.
    results, name = {}, None
    for line in run.stdout.splitlines():
        match = LINE.match(line)
        if match:
            name = match.group(1)
            results[name] = [match.group(3)]
        elif line.startswith("      ") and name:
            results[name].append(line.strip())

    failures = []
    for table, lines in sorted(results.items()):
        text = lines[0]
        if "FILES CHANGED BY READING" in text or text.startswith("crash"):
            failures.append("%s: %s" % (table, text))
        elif table in REFUSED:
            if not text.startswith("refused: ") or REFUSED[table] not in text:
                failures.append("%s: should be refused saying %r, but: %s"
                                % (table, REFUSED[table], text))
        elif table in SHARED_NAMES:
            first = re.sub(r"^\d+ mismatches, first: ", "", text)
            if text.startswith("refused") or (
                    "mismatches" in text
                    and not refusal_as_answers(SHARED_NAMES[table], [first] + lines[1:])):
                failures.append("%s: %s" % (table, "\n  ".join(lines)))
        elif not (text.startswith("agree") or text.startswith("opened, no reference")):
            failures.append("%s: %s" % (table, "\n  ".join(lines)))
    missing = sorted((set(REFUSED) | set(SHARED_NAMES)) - set(results))
    failures.extend("%s: not in the report" % t for t in missing)

    print("\n".join(l for l in run.stdout.splitlines() if l.startswith("dbf corpus:")))
    print("report: " + report)
    for failure in failures:
        print("FAIL " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
