"""scan over the sample scenes: one record per file, the failing sample reported in its
record, summaries equal to those read in this process; time limits and crashed workers."""

import glob
import os
import signal

import sceneinfo
from conftest import DEMO, FAILING_SAMPLE, sample, slow_scene


def sample_files() -> list[str]:
    extensions = set(sceneinfo.supported_extensions())
    return sorted(p for p in glob.glob(os.path.join(sample(""), "*", "*")) if os.path.splitext(p)[1].lower() in extensions)


def test_scan_reports_every_sample_and_the_failing_one():
    paths = sample_files()
    records = {r["path"]: r for r in sceneinfo.scan(paths, jobs=2)}
    assert sorted(records) == paths
    failing = records.pop(sample(FAILING_SAMPLE))
    assert not failing["ok"] and failing["summary"] is None and sample(FAILING_SAMPLE) in failing["error"]
    for path, record in records.items():
        assert record["ok"] and record["error"] is None, record
        assert record["summary"] == sceneinfo.open(path).summary


def test_a_file_past_its_time_fails_and_the_scan_goes_on(tmp_path):
    slow = slow_scene(tmp_path)
    records = list(sceneinfo.scan([slow, DEMO], jobs=1, timeout=0.25))
    assert [(r["path"], r["ok"]) for r in records] == [(slow, False), (DEMO, True)]
    assert records[0]["error"] == "timed out after 0.25 s"


def test_a_crashed_worker_fails_its_file_and_is_replaced():
    with sceneinfo.Scanner() as scanner:
        scanner.start(DEMO)
        os.kill(scanner.pid, signal.SIGKILL)
        record = None
        while record is None:
            record = scanner.poll()
        assert (record["path"], record["ok"]) == (DEMO, False)
        assert record["error"] == "the process reading it stopped (signal 9)"
        assert scanner.summarize(DEMO)["ok"]
