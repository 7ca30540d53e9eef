#!/usr/bin/env python3
"""Damages the shipped archives and runs the headless game on each damaged copy.

Each case copies the game's data folder, damages one archive (cut short at one of 20
points, seeded bit flips, or one entry replaced by seeded junk) and runs the headless game
through the intro, the title, a new game and one put. A case passes when the game plays
(it reaches the level and puts a crystal), refuses a damaged level with one message and
stays at the title, or ends with exit code 1 and one message on standard error; a crash, a
sanitizer report, a hang or any other end fails it. Prints one line per failing case and a
table: cases, played, levels refused, clean exits, crashes, hangs, other.

    scripts/damage-archives.py BIN [--sample N] [--jobs J] [--timeout S] [--flips N]

BIN is a build's bin folder (it holds quarzel, quarzel-data, game/ and levels/).
--sample N runs N cases spread evenly over all of them (for continuous integration).
"""

import argparse
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

ARCHIVES = ["game/game.zxc", "levels/levels.zxc"]
DATA_FOLDERS = ["game", "levels", "lng"]
CUTS = 20

# Intro, title, a new game in the default mode, one put by the game's bot, and the state.
SCRIPT = """\
3600 click WTitle_BNewGame
+100 click WStartGame_BPlay
+600 botput
+1500 report
+0 quit
"""

SANITIZER = re.compile(r"ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer")


def entries(tool, archive):
    listing = subprocess.run([tool, "zxc", "list", archive], capture_output=True, text=True,
                             check=True).stdout
    return [line.split("\t")[0] for line in listing.splitlines() if line]


def all_cases(bin_dir, flips):
    tool = os.path.join(bin_dir, "quarzel-data")
    cases = []
    for archive in ARCHIVES:
        size = os.path.getsize(os.path.join(bin_dir, archive))
        cases += [(archive, "cut", size * k // CUTS) for k in range(CUTS)]
        cases += [(archive, "flip", seed) for seed in range(1, flips + 1)]
        cases += [(archive, "junk", name) for name in entries(tool, os.path.join(bin_dir, archive))]
    return cases


def damage(tool, path, kind, arg):
    if kind == "cut":
        with open(path, "r+b") as f:
            f.truncate(arg)
    elif kind == "flip":
        rng = random.Random(arg)
        data = bytearray(open(path, "rb").read())
        for _ in range(1 + arg % 4):
            data[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
        open(path, "wb").write(data)
    else:
        extracted = path + ".entry"
        subprocess.run([tool, "zxc", "extract", path, arg, extracted], check=True,
                       capture_output=True)
        rng = random.Random(arg)
        junk = bytes(rng.randrange(256) for _ in range(max(1, os.path.getsize(extracted))))
        open(extracted, "wb").write(junk)
        subprocess.run([tool, "zxc", "replace", path, arg, extracted], check=True,
                       capture_output=True)
        os.remove(extracted)


def run_case(bin_dir, case, timeout):
    archive, kind, arg = case
    name = f"{archive} {kind} {arg}"
    with tempfile.TemporaryDirectory(prefix="quarzel-damage-") as work:
        data = os.path.join(work, "data")
        for folder in DATA_FOLDERS:
            shutil.copytree(os.path.join(bin_dir, folder), os.path.join(data, folder))
        damage(os.path.join(bin_dir, "quarzel-data"), os.path.join(data, archive), kind, arg)
        script = os.path.join(work, "input.txt")
        open(script, "w").write(SCRIPT)
        command = [os.path.join(bin_dir, "quarzel"), "--headless", "--data-dir", data,
                   "--seed", "1", "--language", "ENU", "--input", script]
        try:
            done = subprocess.run(command, capture_output=True, text=True, errors="replace",
                                  timeout=timeout, cwd=work)
        except subprocess.TimeoutExpired:
            return name, "hang", ""
    err = done.stderr.strip()
    if done.returncode < 0 or SANITIZER.search(err):
        return name, "crash", err[-2000:]
    report = next((line for line in done.stdout.splitlines() if line.startswith("tick ")), "")
    fields = dict(re.findall(r"(\w+)=(\S+)", report))
    if done.returncode == 0 and fields.get("state") == "gsGamePlay" and \
            fields.get("crystals", "0") not in ("0", "?"):
        return name, "played", ""
    if done.returncode == 0 and fields.get("state") == "gsTitle" and \
            fields.get("messages") == "1":
        return name, "level refused", ""
    if done.returncode == 1 and err and "\n" not in err:
        return name, "clean exit", ""
    return name, "other", f"exit {done.returncode}; {report}; {err[-600:]}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bin")
    parser.add_argument("--sample", type=int, default=0)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--timeout", type=float, default=60)
    parser.add_argument("--flips", type=int, default=200)
    args = parser.parse_args()

    args.bin = os.path.abspath(args.bin)
    cases = all_cases(args.bin, args.flips)
    if args.sample:
        step = len(cases) / args.sample
        cases = [cases[int(i * step)] for i in range(min(args.sample, len(cases)))]
    counts = {"played": 0, "level refused": 0, "clean exit": 0, "crash": 0, "hang": 0, "other": 0}
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        futures = [pool.submit(run_case, args.bin, case, args.timeout) for case in cases]
        for done, future in enumerate(concurrent.futures.as_completed(futures), 1):
            name, outcome, detail = future.result()
            counts[outcome] += 1
            if outcome not in ("played", "level refused", "clean exit"):
                print(f"{outcome}: {name}: {detail}", flush=True)
            if done % 25 == 0 or done == len(cases):
                print(f"damage-archives: {done} of {len(cases)} cases", file=sys.stderr,
                      flush=True)

    print("| cases | played | levels refused | clean exits | crashes | hangs | other |")
    print("|---|---|---|---|---|---|---|")
    print(f"| {len(cases)} | {counts['played']} | {counts['level refused']} | "
          f"{counts['clean exit']} | {counts['crash']} | {counts['hang']} | {counts['other']} |")
    return 0 if counts["crash"] + counts["hang"] + counts["other"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
