#!/usr/bin/env python3
"""Times examples/index_library.py on a folder of scenes twice, start-up included: the first
run reads every file (into an empty snapshot cache), the second finds nothing changed.
The target is a second run under 10% of the first.

    bench/index_rerun.py [--build build] [--runs 3] [FOLDER]   # FOLDER: the sample scenes

The folder is copied first, so that neither the copy's index nor its snapshots exist. The
package's byte code is written and kept, as an installed package's is.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def timed(command: list[str], env: dict[str, str]) -> float:
    started = time.monotonic()
    subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def main() -> int:
    parser = argparse.ArgumentParser(description=(__doc__ or "").split("\n\n")[0])
    parser.add_argument("folder", nargs="?", default=os.path.join(SOURCE, "..", "shared", "scenes"))
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"), help="build folder (holds python/)")
    parser.add_argument("--runs", type=int, default=3, help="pairs of runs, each on a fresh copy")
    args = parser.parse_args()
    if not os.path.isdir(args.folder):
        parser.error(f"{args.folder}: no such folder")

    ratios = []
    for _ in range(args.runs):
        with tempfile.TemporaryDirectory() as work:
            copy, database = os.path.join(work, "scenes"), os.path.join(work, "index.db")
            shutil.copytree(args.folder, copy)
            env = dict(os.environ, PYTHONPATH=os.path.join(os.path.abspath(args.build), "python"),
                       XDG_CACHE_HOME=os.path.join(work, "cache"))
            # Byte code kept, as an installed package has it: a shell that forbids writing it would
            # otherwise have every run compile the package again.
            env.pop("PYTHONDONTWRITEBYTECODE", None)
            command = [sys.executable, os.path.join(SOURCE, "examples", "index_library.py"), copy, database]
            first, second = timed(command, env), timed(command, env)
        ratios.append(second / first)
        print(f"first {first:.2f} s, second {second:.2f} s: {100 * second / first:.1f}%")
    print(f"median second run: {100 * sorted(ratios)[len(ratios) // 2]:.1f}% of the first (target: under 10%)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
