"""examples/index_library.py on a two-worker LocalCluster over the sample scenes: one row
per scene file in both tables, the failing sample recorded as failed, counts as read here."""

import json
import os
import sqlite3
import subprocess
import sys

import sceneinfo
from conftest import FAILING_SAMPLE, sample

SCRIPT = os.path.join(os.environ.get("SCI_SOURCE_DIR", ""), "examples", "index_library.py")


def test_index_of_the_sample_scenes(tmp_path):
    root = sample("")
    jsonl, database = tmp_path / "index.jsonl", tmp_path / "index.db"
    run = subprocess.run([sys.executable, SCRIPT, root, "--workers", "2", "--timeout", "60",
                          "--jsonl", str(jsonl), "--sqlite", str(database)],
                         capture_output=True, text=True, check=True, cwd=tmp_path)
    rows = [json.loads(line) for line in jsonl.read_text().splitlines()]
    with sqlite3.connect(database) as db:
        db.row_factory = sqlite3.Row
        table = [dict(row) for row in db.execute("SELECT * FROM scenes ORDER BY path")]
    assert table == [dict(row, ok=int(row["ok"])) for row in rows]

    extensions = set(sceneinfo.supported_extensions())
    expected = sorted(os.path.join(folder, f) for folder, _, files in os.walk(root) for f in files
                      if os.path.splitext(f)[1].lower() in extensions)
    assert [row["path"] for row in rows] == expected
    assert f"{len(rows)} files indexed, 1 failed" in run.stdout
    for row in rows:
        if row["path"] == sample(FAILING_SAMPLE):
            assert not row["ok"] and "FBX" in row["error"] and row["nodes"] is None
            continue
        summary = sceneinfo.open(row["path"]).summary
        assert row["ok"] and row["format"] == summary["format"]
        assert {name: row[name] for name in summary["counts"]} == summary["counts"]
