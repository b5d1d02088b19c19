#!/usr/bin/env python3
"""Brings the index of a folder tree of 3D scene files up to date (sceneinfo.index_library).

Only new and changed files are read; the rows of deleted files are dropped. The index is
the SQLite table "files" of DATABASE, one row per file (size, times, blake2b hash,
format, counts, triangles, missing textures, scene box, import time, error).

    index_library.py ASSETS assets.db                                  # local worker processes
    index_library.py ASSETS assets.db --csv assets.csv                 # and the table as CSV
    index_library.py ASSETS assets.db --scheduler tcp://HOST:8786      # on a Dask cluster
"""

import argparse
import os
import sys
from typing import Any

import sceneinfo


def main() -> int:
    parser = argparse.ArgumentParser(description=(__doc__ or "").split("\n\n")[0])
    parser.add_argument("root", help="folder to index (searched recursively)")
    parser.add_argument("database", help="SQLite file that holds the index (made when absent)")
    parser.add_argument("--csv", help="also write the table as CSV to this file")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: local processes)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count(), help="local worker processes (default: CPUs)")
    parser.add_argument("--timeout", type=float, default=300, help="seconds a file may take (default 300)")
    args = parser.parse_args()
    if not os.path.isdir(args.root):
        parser.error(f"{args.root} is not a folder")

    client: Any = None
    if args.scheduler:
        from dask.distributed import Client

        client = Client(args.scheduler)
    try:
        run = sceneinfo.index_library(args.root, args.database, client, jobs=args.jobs, timeout=args.timeout,
                                      csv=args.csv)
    finally:
        if client is not None:
            client.close()
    print(f"{run.read} files read ({run.failed} failed), {run.unchanged} unchanged, {run.dropped} dropped "
          f"in {run.seconds:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
