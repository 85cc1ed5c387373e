#!/usr/bin/env python3
"""Mutation pass over Mirlot's runtime and packing code.

Makes one small change at a time to a source file (a comparison flipped or
loosened, a constant moved by one, a condition negated, a failure returned
as success, a statement dropped), rebuilds, runs the test suites and records
which tests fail. A mutant that no test notices "survives": either a test is
missing or the change does not matter.

The mutants are the same on every run: all candidates are enumerated in a
fixed order and a sample is drawn with a fixed seed. The source tree is
restored after every mutant, on interrupt, and on the next start should a
run have been killed outright.

Code moves between passes, so an earlier pass's mutants can be replayed by
their text (--replay): each original line is looked up where it lives now,
the lines around it in the earlier revision telling apart a line that occurs
more than once, and the same change is made there. --against matches by
text too.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass, asdict
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_FOLDERS = [
    "src/runtime", "src/format", "src/commit", "src/packing", "src/reading"
]

# Files whose code only a Windows build compiles.
WINDOWS_FILE = re.compile(r"windows")


@dataclass
class Mutant:
    number: int
    file: str
    line: int  # 1-based
    operator: str
    original: str
    mutated: str

    def label(self):
        return f"{self.file}:{self.line} {self.operator}"


# ---------------------------------------------------------------- candidates

RELATIONAL = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "),
              (" >= ", " > "), (" == ", " != "), (" != ", " == "),
              (" && ", " || "), (" || ", " && ")]
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
CONDITION = re.compile(r"^(\s*(?:\}\s*else\s+)?(?:if|while)\s*)\((.*)\)(\s*\{?\s*)$")
FAILURE_RETURN = re.compile(
    r"^(\s*)return Status\([^;]*\);\s*$")
BOOL_RETURN = re.compile(r"^(\s*)return (true|false);\s*$")
DECLARATION = re.compile(r"^\s*(?:const\s+)?[\w:]+(?:<.*>)?[\s*&]+\w+\s*[=({;\[]")
STATEMENT_SKIP = re.compile(
    r"^\s*(return|case|default|break|continue|using|namespace|template|"
    r"class|struct|enum|static_assert|public|private|protected|#|//|\}|\{)")


def code_part(line):
    """The line without a trailing // comment and with string and character
    literals blanked, so that operators inside them are never mutated."""
    line = re.sub(r'"(?:\\.|[^"\\])*"', lambda m: '"' + "_" * (len(m.group()) - 2) + '"', line)
    line = re.sub(r"'(?:\\.|[^'\\])+'", lambda m: "'" + "_" * (len(m.group()) - 2) + "'", line)
    cut = line.find("//")
    return line if cut < 0 else line[:cut]


def line_mutations(line, previous):
    """Yields (operator, mutated line) for one source line; `previous` is the
    code of the line before it, which tells whether a statement starts here."""
    stripped = line.strip()
    if (not stripped or stripped.startswith(("//", "#", "*", "/*"))
            or "static_assert" in stripped or "constexpr char" in stripped):
        return
    code = code_part(line)
    for before, after in RELATIONAL:
        start = 0
        while (at := code.find(before, start)) >= 0:
            yield "relational", line[:at] + after + line[at + len(before):]
            start = at + len(before)
    for match in INTEGER.finditer(code):
        if line[:match.start()].rstrip().endswith(("[", "<")) and "std::" in line:
            continue  # template arguments and array sizes rarely compile
        value = int(match.group(1))
        yield "constant", line[:match.start()] + str(value + 1) + line[match.end():]
    if m := CONDITION.match(code):
        yield "negate", f"{m.group(1)}(!({m.group(2)})){line[len(code) - len(m.group(3)):]}"
    if m := FAILURE_RETURN.match(code):
        yield "failure-as-success", f"{m.group(1)}return Status::Ok();\n"
    if m := BOOL_RETURN.match(code):
        flipped = "false" if m.group(2) == "true" else "true"
        yield "flip-return", f"{m.group(1)}return {flipped};\n"
    starts_statement = previous.rstrip().endswith((";", "{", "}", ")", ":")) or not previous.strip()
    if (starts_statement and code.rstrip().endswith(";") and not STATEMENT_SKIP.match(code)
            and not DECLARATION.match(code) and code.count("(") == code.count(")")):
        indent = line[:len(line) - len(line.lstrip())]
        yield "drop-statement", f"{indent}(void)0;  // mutant: statement dropped\n"


def source_files(folders):
    files = []
    for folder in folders:
        base = ROOT / folder
        if base.is_dir():
            files += sorted(p for p in base.rglob("*.cc"))
    return [str(p.relative_to(ROOT)) for p in files]


def enumerate_mutants(folders):
    mutants = []
    for file in source_files(folders):
        lines = (ROOT / file).read_text(encoding="utf-8").splitlines(keepends=True)
        depth_in_comment = False
        previous = ""
        for index, line in enumerate(lines):
            if "/*" in line:
                depth_in_comment = True
            if depth_in_comment:
                depth_in_comment = "*/" not in line
                continue
            for operator, mutated in line_mutations(line, previous):
                if mutated != line:
                    mutants.append(Mutant(0, file, index + 1, operator, line, mutated))
            if line.strip() and not line.strip().startswith("//"):
                previous = code_part(line)
    return mutants


def choose(mutants, sample, seed):
    if sample and sample < len(mutants):
        mutants = random.Random(seed).sample(mutants, sample)
        mutants.sort(key=lambda m: (m.file, m.line, m.operator, m.mutated))
    for number, mutant in enumerate(mutants, 1):
        mutant.number = number
    return mutants


# ------------------------------------------------------------ replay by text

CONTEXT_LINES = 4


def git_lines(revision, file):
    """The lines of `file` at `revision`, or None when it had no such file."""
    shown = subprocess.run(["git", "show", f"{revision}:{file}"], cwd=ROOT,
                           capture_output=True, text=True)
    return shown.stdout.splitlines(keepends=True) if shown.returncode == 0 else None


# A relocated line must have at least this many of the lines around it in
# common with its earlier place; blank lines and lone braces do not count.
MINIMUM_CONTEXT = 2


def context_score(lines, index, around):
    """How many of the lines `around` (before, after) an occurrence at
    `index` of `lines` match, compared stripped and outward from it."""
    def same(at, line):
        return (0 <= at < len(lines) and re.search(r"\w", line) is not None
                and lines[at].strip() == line.strip())
    before, after = around
    return (sum(same(index - k, line) for k, line in enumerate(reversed(before), 1))
            + sum(same(index + k, line) for k, line in enumerate(after, 1)))


def renamed(text, renames):
    for old, new in renames:
        text = text.replace(old, new)
    return text


def relocate(record, revision, sources, renames):
    """Where the earlier mutant `record` (made at `revision`) lives now, as
    a Mutant, or the reason it cannot be found. `sources` maps each current
    file to its lines; `renames` are (old, new) texts replaced in the
    earlier lines first."""
    earlier = git_lines(revision, record["file"])
    if earlier is None or earlier[record["line"] - 1] != record["original"]:
        return f"not in {revision}:{record['file']} as recorded"
    earlier = [renamed(line, renames) for line in earlier]
    record = record | {"original": renamed(record["original"], renames),
                       "mutated": renamed(record["mutated"], renames)}
    at = record["line"] - 1
    around = (earlier[max(0, at - CONTEXT_LINES):at], earlier[at + 1:at + 1 + CONTEXT_LINES])
    wanted = record["original"].strip()
    places = [(context_score(lines, i, around), file, i)
              for file, lines in sources.items()
              for i, line in enumerate(lines) if line.strip() == wanted]
    places = [place for place in places if place[0] >= MINIMUM_CONTEXT]
    if not places:
        return "its line is gone (changed, removed, or kept only elsewhere)"
    places.sort(reverse=True)
    if len(places) > 1 and places[0][0] == places[1][0]:
        return f"its line occurs in {len(places)} places the lines around it do not tell apart"
    _, file, index = places[0]
    line = sources[file][index]
    old_indent = record["original"][:len(record["original"]) - len(record["original"].lstrip())]
    new_indent = line[:len(line) - len(line.lstrip())]
    mutated = new_indent + record["mutated"][len(old_indent):]
    return Mutant(record["number"], file, index + 1, record["operator"], line, mutated)


def replay(earlier_file, revision, folders, renames):
    """The mutants of an earlier pass, relocated; prints those that could
    not be."""
    sources = {file: (ROOT / file).read_text(encoding="utf-8").splitlines(keepends=True)
               for file in source_files(folders)}
    mutants, lost = [], []
    for record in map(json.loads, earlier_file.read().splitlines()):
        found = relocate(record, revision, sources, renames)
        (lost if isinstance(found, str) else mutants).append((record, found))
    for record, why in lost:
        print(f"unmatched #{record['number']} {record['file']}:{record['line']} "
              f"{record['operator']} ({record['verdict']} there): {why}", file=sys.stderr)
    print(f"replaying {len(mutants)} of {len(mutants) + len(lost)} mutants; "
          f"{len(lost)} could not be matched", file=sys.stderr)
    return [m for _, m in mutants]


# ----------------------------------------------------------- keeping the tree

class Tree:
    """Applies one mutant at a time and always puts the file back."""

    def __init__(self, work):
        self.backup = work / "original"
        self.current = None

    def restore_leftover(self):
        # A run killed outright (SIGKILL, power cut) left its backup behind.
        if self.backup.exists():
            record = json.loads((self.backup.with_suffix(".json")).read_text())
            shutil.copy2(self.backup, ROOT / record["file"])
            print(f"restored {record['file']} from an interrupted run", file=sys.stderr)
            self.clear_backup()

    def apply(self, mutant):
        path = ROOT / mutant.file
        self.backup.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(path, self.backup)
        self.backup.with_suffix(".json").write_text(json.dumps({"file": mutant.file}))
        self.current = mutant.file
        lines = path.read_text(encoding="utf-8").splitlines(keepends=True)
        assert lines[mutant.line - 1] == mutant.original, f"{mutant.label()} is stale"
        lines[mutant.line - 1] = mutant.mutated
        path.write_text("".join(lines), encoding="utf-8")

    def restore(self):
        if self.current is None:
            return
        shutil.copy2(self.backup, ROOT / self.current)
        # The restored file must count as changed, so the next build
        # recompiles it without the mutant.
        os.utime(ROOT / self.current)
        self.current = None
        self.clear_backup()

    def clear_backup(self):
        self.backup.unlink(missing_ok=True)
        self.backup.with_suffix(".json").unlink(missing_ok=True)


# ---------------------------------------------------------- build and tests

@dataclass
class Build:
    folder: Path
    configure: list

    def prepare(self):
        if not (self.folder / "build.ninja").exists():
            subprocess.run(self.configure, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        return self.compile(timeout=3600)

    def compile(self, timeout):
        try:
            done = subprocess.run(["cmake", "--build", str(self.folder)], cwd=ROOT,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  timeout=timeout)
            return done.returncode == 0
        except subprocess.TimeoutExpired:
            return False

    def failing_tests(self, test_timeout, total_timeout):
        """Runs every test; returns the names of those that failed, or None
        when the whole run overstayed its time."""
        report = self.folder / "mutant-junit.xml"
        report.unlink(missing_ok=True)
        try:
            subprocess.run(["ctest", "--test-dir", str(self.folder), "-j2",
                            "--timeout", str(test_timeout), "--output-junit", str(report)],
                           cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=total_timeout, start_new_session=True)
        except subprocess.TimeoutExpired:
            return None
        if not report.exists():
            return None
        failed = []
        for case in ElementTree.parse(report).getroot().iter("testcase"):
            if case.get("status") not in ("run", "notrun", "skipped", "disabled"):
                failed.append(case.get("name"))
            elif case.find("failure") is not None:
                failed.append(case.get("name"))
        return sorted(failed)


def linux_build(work):
    folder = work / "linux"
    return Build(folder, ["cmake", "-S", ".", "-B", str(folder), "-G", "Ninja",
                          "-DCMAKE_BUILD_TYPE=Release", "-DMIRLOT_BUILD_GUI=OFF"])


def windows_build(work):
    folder = work / "windows-x86_64"
    toolchain = ROOT / "cmake/mingw-w64-x86_64.cmake"
    return Build(folder, ["cmake", "-S", ".", "-B", str(folder), "-G", "Ninja",
                          "-DCMAKE_BUILD_TYPE=Release", "-DMIRLOT_BUILD_GUI=OFF",
                          f"-DCMAKE_TOOLCHAIN_FILE={toolchain}"])


# ------------------------------------------------------------------- the run

def run(args):
    work = ROOT / args.work
    tree = Tree(work)
    tree.restore_leftover()
    if args.replay:
        renames = [tuple(pair.split("=", 1)) for pair in args.renamed]
        mutants = replay(args.replay, args.revision, args.folders, renames)
    else:
        mutants = choose(enumerate_mutants(args.folders), args.sample, args.seed)
    # The same draw either way: a platform's share keeps its numbers, so two
    # passes, one per platform, add up to one pass over both.
    if args.platform != "all":
        mutants = [m for m in mutants
                   if bool(WINDOWS_FILE.search(m.file)) == (args.platform == "windows")]
    if args.only:
        wanted = {int(n) for n in args.only.split(",")}
        mutants = [m for m in mutants if m.number in wanted]
    if args.list:
        for m in mutants:
            print(f"{m.number:4}  {m.label()}\n      - {m.original.strip()}\n      + {m.mutated.strip()}")
        print(f"{len(mutants)} mutants")
        return 0

    builds = {}
    if any(not WINDOWS_FILE.search(m.file) for m in mutants):
        builds["linux"] = linux_build(work)
    if any(WINDOWS_FILE.search(m.file) for m in mutants):
        builds["windows"] = windows_build(work)
    baseline = {}
    for name, build in builds.items():
        print(f"baseline: building and testing {name}", file=sys.stderr)
        if not build.prepare():
            print(f"the unchanged tree does not build ({name})", file=sys.stderr)
            return 2
        baseline[name] = set(build.failing_tests(args.test_timeout, args.mutant_timeout) or [])
        if baseline[name]:
            print(f"already failing, ignored: {sorted(baseline[name])}", file=sys.stderr)

    results = []
    started = time.monotonic()
    log = work / "results.jsonl"
    log.write_text("")
    for mutant in mutants:
        name = "windows" if WINDOWS_FILE.search(mutant.file) else "linux"
        build = builds[name]
        begun = time.monotonic()
        tree.apply(mutant)
        try:
            if not build.compile(timeout=args.mutant_timeout):
                verdict, killers = "not-viable", []
            else:
                failed = build.failing_tests(args.test_timeout, args.mutant_timeout)
                if failed is None:
                    verdict, killers = "killed", ["(time limit)"]
                else:
                    killers = [t for t in failed if t not in baseline[name]]
                    verdict = "killed" if killers else "survived"
        finally:
            tree.restore()
        record = asdict(mutant) | {"verdict": verdict, "killers": killers,
                                   "seconds": round(time.monotonic() - begun, 1)}
        results.append(record)
        with log.open("a") as out:
            out.write(json.dumps(record) + "\n")
        shown = ", ".join(killers[:3]) + (f" (+{len(killers) - 3})" if len(killers) > 3 else "")
        print(f"[{mutant.number}/{len(mutants)}] {verdict:10} {mutant.label()}  {shown}",
              flush=True)
    # Leave the build matching the unchanged tree.
    for build in builds.values():
        build.compile(timeout=3600)
    summarise(results, time.monotonic() - started)
    if args.against:
        report_lost_kills(results, args.against, replayed=bool(args.replay))
    return 0


def report_lost_kills(results, earlier_file, replayed=False):
    """Names the mutants an earlier pass killed that this pass did not,
    matched by their text: the original line and its change, wherever the
    line lives now; mutants `replayed` from that pass by their numbers."""
    def key(record):
        if replayed:
            return record["number"]
        return record["original"].strip(), record["mutated"].strip()
    earlier = {key(record): record
               for record in map(json.loads, earlier_file.read().splitlines())
               if record["verdict"] == "killed"}
    lost = [r for r in results if r["verdict"] == "survived" and key(r) in earlier]
    print(f"\nagainst {earlier_file.name}: {len(lost)} mutants killed there survive here")
    for r in lost:
        print(f"  #{r['number']} {r['file']}:{r['line']} {r['operator']}, "
              f"killed there by {', '.join(earlier[key(r)]['killers'][:3])}")


def summarise(results, seconds):
    counts = {}
    for r in results:
        counts[r["verdict"]] = counts.get(r["verdict"], 0) + 1
    viable = counts.get("killed", 0) + counts.get("survived", 0)
    print(f"\n{len(results)} mutants in {seconds / 60:.1f} min: "
          f"{counts.get('killed', 0)} killed, {counts.get('survived', 0)} survived, "
          f"{counts.get('not-viable', 0)} did not build"
          + (f"; score {100 * counts.get('killed', 0) / viable:.0f}%" if viable else ""))
    survivors = [r for r in results if r["verdict"] == "survived"]
    if survivors:
        print("\nsurvivors:")
        for r in survivors:
            print(f"  #{r['number']} {r['file']}:{r['line']} {r['operator']}\n"
                  f"      - {r['original'].strip()}\n      + {r['mutated'].strip()}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sample", type=int, default=150,
                        help="how many mutants to draw (0: all); default 150")
    parser.add_argument("--seed", type=int, default=1, help="seed of the draw; default 1")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--platform", choices=["all", "linux", "windows"], default="all",
                        help="only the mutants of Linux or of Windows code (the same "
                             "draw, so two passes in two clones add up to one); default all")
    parser.add_argument("--only", metavar="N,N,...",
                        help="only these numbers of the draw (as --list shows them)")
    parser.add_argument("--against", metavar="RESULTS", type=argparse.FileType("r"),
                        help="an earlier results.jsonl: name the mutants it killed "
                             "that survive now, matched by their text")
    parser.add_argument("--replay", metavar="RESULTS", type=argparse.FileType("r"),
                        help="instead of a draw, the mutants of an earlier results.jsonl, "
                             "each made where its original line lives now")
    parser.add_argument("--revision", default="main",
                        help="with --replay: the git revision the earlier pass ran on, "
                             "whose lines around each mutant tell repeated lines apart; "
                             "default main")
    parser.add_argument("--renamed", metavar="OLD=NEW", action="append", default=[],
                        help="with --replay: a text renamed since the earlier pass "
                             "(a function, a variable), replaced in its lines before "
                             "they are looked up; may be given several times")
    parser.add_argument("--mutant-timeout", type=int, default=300,
                        help="seconds for one mutant's build, and for its tests; default 300")
    parser.add_argument("--test-timeout", type=int, default=60,
                        help="seconds for one test; default 60")
    parser.add_argument("--work", default="build/mutants",
                        help="folder for the builds and results; default build/mutants")
    parser.add_argument("folders", nargs="*", default=DEFAULT_FOLDERS,
                        help="source folders to mutate; default: " + " ".join(DEFAULT_FOLDERS))
    args = parser.parse_args()

    # Interrupts and hang-ups unwind through the finally blocks above, which
    # put the mutated file back.
    def stop(signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")
    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, stop)
    try:
        return run(args)
    except KeyboardInterrupt:
        print("\ninterrupted; the tree is restored", file=sys.stderr)
        return 130


if __name__ == "__main__":
    sys.exit(main())
