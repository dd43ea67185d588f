#!/usr/bin/env python3
"""Opens the sample reports written by render_samples in real consumers.

    render_consumers.py soffice|tidy|chromium|csv <samples folder>

soffice   every RTF report converts to text in LibreOffice and shows the title, the sub-title,
          the headers and every cell, in order, the empty cell as an empty line;
tidy      every HTML report parses without errors (tidy -e; the files are Windows-1252);
chromium  every HTML report loads in headless Chromium and its table holds the headers and
          every cell (the empty one empty);
csv       the CSV report reads back through Python's csv module, double quotes as apostrophes.

Exit 0 when all pass, 1 on a failure, 77 when the consumer program is not installed.
"""
import csv
import glob
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77


def fail(message):
    print("FAIL: " + message)
    return 1


def load(folder):
    with open(os.path.join(folder, "expected.json"), encoding="utf-8") as f:
        expected = json.load(f)
    rtf = sorted(glob.glob(os.path.join(folder, "*.rtf")))
    htm = sorted(glob.glob(os.path.join(folder, "*.html")))
    if len(rtf) + len(htm) != expected["styles"] or not rtf or not htm:
        raise SystemExit(fail("expected %d styled reports, found %d RTF and %d HTML"
                              % (expected["styles"], len(rtf), len(htm))))
    return expected, rtf, htm


def need(program):
    path = shutil.which(program)
    if path is None:
        print("SKIP: %s is not installed" % program)
        raise SystemExit(SKIP)
    return path


def check_soffice(folder):
    expected, rtf, _ = load(folder)
    soffice = need("soffice")
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        profile = "file://" + os.path.join(work, "profile")
        result = subprocess.run([soffice, "-env:UserInstallation=" + profile, "--headless", "--convert-to",
                                 "txt:Text (encoded):UTF8", "--outdir", work] + rtf,
                                capture_output=True, text=True, timeout=500)
        cells = expected["headers"] + [cell for row in expected["rows"] for cell in row]
        for path in rtf:
            name = os.path.basename(path)
            txt = os.path.join(work, os.path.splitext(name)[0] + ".txt")
            if not os.path.exists(txt):
                failures += fail("%s: LibreOffice made no text (%s)" % (name, result.stderr.strip()[-300:]))
                continue
            with open(txt, encoding="utf-8-sig") as f:
                lines = [line.strip() for line in f.read().splitlines()]
            if expected["title"] not in lines or expected["subtitle"] not in lines:
                failures += fail("%s: title or sub-title missing: %r" % (name, lines[:4]))
            # The table: one paragraph per cell, row after row.
            start = lines.index(cells[0]) if cells[0] in lines else -1
            shown = lines[start:start + len(cells)] if start >= 0 else []
            if shown != cells:
                failures += fail("%s: cells read %r, expected %r" % (name, shown, cells))
    print("%d RTF reports opened in LibreOffice, %d failed" % (len(rtf), failures))
    return 1 if failures else 0


def check_tidy(folder):
    _, _, htm = load(folder)
    tidy = need("tidy")
    failures = 0
    for path in htm:
        result = subprocess.run([tidy, "-q", "-e", "-win1252", path], capture_output=True, text=True, timeout=60)
        report = (result.stdout + result.stderr).strip()
        if result.returncode >= 2:
            failures += fail("%s: tidy found errors:\n%s" % (os.path.basename(path), report))
        elif report:
            print("%s: tidy warnings:\n%s" % (os.path.basename(path), report))
    print("%d HTML reports checked by tidy, %d with errors" % (len(htm), failures))
    return 1 if failures else 0


class TableReader(html.parser.HTMLParser):
    """The texts of the cells of every table row, and the heading texts."""

    def __init__(self):
        super().__init__()
        self.rows, self.cell, self.headings, self.heading = [], None, [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag in ("h1", "p"):
            self.heading = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self.cell is not None:
            self.rows[-1].append(self.cell.strip())
            self.cell = None
        elif tag in ("h1", "p") and self.heading is not None:
            self.headings.append(self.heading.strip())
            self.heading = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        if self.heading is not None:
            self.heading += data


def check_chromium(folder):
    expected, _, htm = load(folder)
    chromium = shutil.which("chromium") or shutil.which("chromium-browser") or need("chromium")
    failures = 0
    wanted = [expected["headers"]] + expected["rows"]
    with tempfile.TemporaryDirectory() as profile:
        for path in htm:
            name = os.path.basename(path)
            result = subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                                     "--disable-background-networking", "--disable-component-update",
                                     "--no-first-run", "--user-data-dir=" + profile, "--dump-dom",
                                     "file://" + os.path.abspath(path)],
                                    capture_output=True, text=True, timeout=120)
            reader = TableReader()
            reader.feed(result.stdout)
            rows = [row for row in reader.rows if row]
            if rows != wanted:
                failures += fail("%s: table read %r, expected %r" % (name, rows, wanted))
            if expected["title"] not in reader.headings or expected["subtitle"] not in reader.headings:
                failures += fail("%s: title or sub-title missing: %r" % (name, reader.headings))
    print("%d HTML reports rendered by Chromium, %d failed" % (len(htm), failures))
    return 1 if failures else 0


def check_csv(folder):
    expected, _, _ = load(folder)
    with open(os.path.join(folder, "comma.csv"), newline="", encoding="cp1252") as f:
        rows = list(csv.reader(f))
    wanted = [[cell.replace('"', "'") for cell in row] for row in [expected["headers"]] + expected["rows"]]
    if rows != wanted:
        return fail("CSV read %r, expected %r" % (rows, wanted))
    with open(os.path.join(folder, "comma.csv"), "rb") as f:
        raw = f.read()
    if not raw.endswith(b"\r\n") or b"\n" in raw.replace(b"\r\n", b""):
        return fail("CSV lines do not all end in CR LF")
    print("CSV report read back: %d rows" % len(rows))
    return 0


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    checks = {"soffice": check_soffice, "tidy": check_tidy, "chromium": check_chromium, "csv": check_csv}
    return checks[sys.argv[1]](sys.argv[2])


if __name__ == "__main__":
    sys.exit(main())
