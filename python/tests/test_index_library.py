"""index_library over a copy of the sample scenes: every scene file gets a row holding
what its queries answer; a second run reads nothing, a touched file is read again alone,
a deleted one is dropped. On a Dask cluster and through the example the rows are those of a local run."""

import csv
import hashlib
import os
import shutil
import sqlite3
import subprocess
import sys

import pytest

import sceneinfo
from conftest import DEMO, FAILING_SAMPLE, sample

SCRIPT = os.path.join(os.environ.get("SCI_SOURCE_DIR", ""), "examples", "index_library.py")

COUNTS = {"nodes": "nodes", "surfaces": "surfaces", "meshes": "geometries", "vertices": "vertices",
          "materials": "materials", "textures": "textures", "animations": "animations", "cameras": "cameras",
          "lights": "lights"}


def rows(database) -> dict[str, dict]:
    with sqlite3.connect(database) as db:
        db.row_factory = sqlite3.Row
        table = {row["path"]: dict(row) for row in db.execute("SELECT * FROM files")}
    db.close()
    return table


def scene_files(root) -> list[str]:
    extensions = set(sceneinfo.supported_extensions())
    return sorted(os.path.join(folder, f) for folder, _, files in os.walk(root) for f in files
                  if os.path.splitext(f)[1].lower() in extensions)


def triangles_as_queried(scene) -> int:
    meshes = [scene.output("geometry", i) for i in range(int(scene.output("geometry-count")))]
    return sum(len(mesh["indices"]) // 3 for mesh in meshes if mesh["primitive_type"] == 4)


def test_rows_hold_the_answers_and_later_runs_read_only_what_changed(tmp_path):
    root, database = tmp_path / "scenes", tmp_path / "index.db"
    shutil.copytree(sample(""), root)
    paths = scene_files(root)
    first = sceneinfo.index_library(root, database, jobs=2, timeout=60)
    table = rows(database)
    assert sorted(table) == paths and (first.read, first.failed) == (len(paths), 1)
    for path, row in table.items():
        with open(path, "rb") as file:
            assert row["blake2b"] == hashlib.blake2b(file.read()).hexdigest()
        assert (row["size"], row["mtime_ns"]) == (os.stat(path).st_size, os.stat(path).st_mtime_ns)
        if path == str(root / FAILING_SAMPLE):
            assert "FBX" in row["error"] and row["nodes"] is None and row["triangles"] is None
            continue
        with sceneinfo.open(path) as scene:
            summary = scene.summary
            assert row["error"] is None and row["format"] == summary["format"]
            assert {name: row[column] for column, name in COUNTS.items()} == {n: summary["counts"][n] for n in COUNTS.values()}
            assert row["triangles"] == triangles_as_queried(scene)
            # Every sample has its textures, in the file (some by name only) or beside it.
            assert row["missing_textures"] == ""
            box = [row[f"box_{corner}_{axis}"] for corner in ("min", "max") for axis in "xyz"]
            assert box == pytest.approx(summary["scene_box"]["min"] + summary["scene_box"]["max"], rel=1e-6)

    second = sceneinfo.index_library(root, database, jobs=2, timeout=60)
    assert (second.read, second.unchanged, second.dropped) == (0, len(paths), 0)
    assert rows(database) == table  # a row read again would differ, in its import time at least

    touched, deleted = str(root / "obj-spider" / "spider.obj"), str(root / "stl-binary" / "Spider_binary.stl")
    os.utime(touched, ns=(os.stat(touched).st_atime_ns, os.stat(touched).st_mtime_ns + 10**9))
    os.remove(deleted)
    third = sceneinfo.index_library(root, database, jobs=2, timeout=60, csv=tmp_path / "index.csv")
    after = rows(database)
    assert (third.read, third.dropped) == (1, 1)
    assert sorted(after) == [p for p in paths if p != deleted]
    assert [p for p in after if after[p] != table[p]] == [touched]
    assert after[touched]["mtime_ns"] == os.stat(touched).st_mtime_ns
    with open(tmp_path / "index.csv", newline="") as exported:
        lines = list(csv.DictReader(exported))
    assert [line["path"] for line in lines] == sorted(after)
    written = lambda value: "" if value is None else str(value)
    assert all(line["triangles"] == written(after[line["path"]]["triangles"]) for line in lines)


def test_missing_textures_and_a_dask_cluster_or_the_example_give_the_rows_of_a_local_run(tmp_path):
    from dask.distributed import Client, LocalCluster

    root = tmp_path / "scenes"
    shutil.copytree(os.path.dirname(DEMO), root / "demo")
    os.remove(root / "demo" / "textures" / "glaze.png")
    local, distributed = tmp_path / "local.db", tmp_path / "dask.db"
    sceneinfo.index_library(root, local, jobs=1)
    with LocalCluster(n_workers=1, threads_per_worker=2, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        run = sceneinfo.index_library(root, distributed, client)
    example = subprocess.run([sys.executable, SCRIPT, str(root), str(tmp_path / "example.db")],
                             capture_output=True, text=True, check=True)
    assert (run.read, run.failed) == (1, 0)
    assert example.stdout.startswith("1 files read (0 failed), 0 unchanged, 0 dropped")
    without_time = lambda table: {p: {**row, "import_seconds": None} for p, row in table.items()}
    assert without_time(rows(distributed)) == without_time(rows(local)) == without_time(rows(tmp_path / "example.db"))
    row = rows(local)[str(root / "demo" / "demo.gltf")]
    assert row["textures"] == 3 and row["missing_textures"] == "textures/glaze.png"
