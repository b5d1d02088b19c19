#!/usr/bin/env python3
"""Indexes a folder tree of 3D scene files into one table, one Dask task per file.

Each task summarises its file with sceneinfo in a worker process of its own
(sceneinfo.Scanner.for_thread), so a file that crashes the importer or
runs past --timeout is recorded as failed and the rest go on. The table is written as
JSON lines (--jsonl) and as an SQLite table "scenes" (--sqlite), each replaced only
when the whole index is done.

    index_library.py ASSETS --jsonl index.jsonl --sqlite index.db            # LocalCluster
    index_library.py ASSETS --scheduler tcp://HOST:8786 --sqlite index.db    # a running cluster
"""

import argparse
import json
import os
import sqlite3
import sys
from typing import Any, Optional

import sceneinfo

COUNTS = ["nodes", "surfaces", "geometries", "vertices", "triangles", "lines", "points", "materials", "textures",
          "animations", "cameras", "lights"]
COLUMNS = ["path", "ok", "error", "format", *COUNTS, "seconds"]


def find_scenes(root: str) -> list[str]:
    """Every file under ``root`` whose extension the importer reads, sorted."""
    extensions = set(sceneinfo.supported_extensions())
    found = []
    for folder, _, files in os.walk(root):
        found += [os.path.join(folder, f) for f in files if os.path.splitext(f)[1].lower() in extensions]
    return sorted(found)


def table_row(record: dict[str, Any]) -> dict[str, Any]:
    summary = record["summary"] or {}
    counts = summary.get("counts", {})
    return {"path": record["path"], "ok": record["ok"], "error": record["error"], "format": summary.get("format"),
            **{name: counts.get(name) for name in COUNTS}, "seconds": round(record["seconds"], 4)}


def index_file(path: str, timeout: Optional[float]) -> dict[str, Any]:
    """The task: one file's row, read by this worker thread's own scanner process."""
    return table_row(sceneinfo.Scanner.for_thread().summarize(path, timeout))


def write_tables(rows: list[dict[str, Any]], jsonl: Optional[str], database: Optional[str]) -> None:
    rows = sorted(rows, key=lambda row: row["path"])
    if jsonl:
        with open(jsonl + ".part", "w", encoding="utf-8") as out:
            out.writelines(json.dumps(row) + "\n" for row in rows)
        os.replace(jsonl + ".part", jsonl)
    if database:
        if os.path.exists(database + ".part"):
            os.remove(database + ".part")
        with sqlite3.connect(database + ".part") as db:
            db.execute(f"CREATE TABLE scenes ({', '.join(COLUMNS)}, PRIMARY KEY (path))")
            db.executemany(f"INSERT INTO scenes VALUES ({', '.join('?' * len(COLUMNS))})",
                           [[row[c] for c in COLUMNS] for row in rows])
        db.close()
        os.replace(database + ".part", database)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("root", help="folder to index (searched recursively)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    parser.add_argument("--workers", type=int, default=os.cpu_count(), help="LocalCluster workers")
    parser.add_argument("--timeout", type=float, default=300, help="seconds a file may take (default 300)")
    parser.add_argument("--jsonl", help="write the table as JSON lines")
    parser.add_argument("--sqlite", help="write the table into this SQLite file")
    args = parser.parse_args()
    if not os.path.isdir(args.root):
        parser.error(f"{args.root} is not a folder")

    from dask.distributed import Client, LocalCluster, as_completed

    paths = find_scenes(args.root)
    cluster = None
    if args.scheduler is None:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True, dashboard_address=None)
    rows = []
    with Client(args.scheduler or cluster) as client:
        futures = client.map(index_file, paths, timeout=args.timeout, pure=False)
        path_of = dict(zip(futures, paths))
        for future in as_completed(futures):
            try:
                row = future.result()
            except Exception as error:  # the task itself failed, e.g. its Dask worker was lost
                row = table_row({"path": path_of[future], "ok": False, "summary": None,
                                 "error": f"task failed: {error!r}", "seconds": 0.0})
            rows.append(row)
            print(("ok    " if row["ok"] else "FAILED") + f" {row['path']}", file=sys.stderr)
    if cluster is not None:
        cluster.close()
    write_tables(rows, args.jsonl, args.sqlite)
    failed = sum(not row["ok"] for row in rows)
    print(f"{len(rows)} files indexed, {failed} failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
