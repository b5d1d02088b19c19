"""Summaries of many scene files, each read in a worker process of its own.

A worker reads one file at a time. A file that crashes the importer or runs past its
time limit costs only its worker, which is replaced; the file is reported as failed.
"""

import json
import os
import subprocess
import sys
import threading
import time
from collections.abc import Iterable, Iterator
from itertools import islice
from multiprocessing.connection import wait
from typing import IO, Any, Optional


# The folder that holds this package, for the worker's import path.
_PACKAGE_PARENT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


_thread_scanners = threading.local()


def _record(path: str, seconds: float, summary: Optional[dict[str, Any]] = None, error: Optional[str] = None,
            **details: Any) -> dict[str, Any]:
    return {"path": path, "ok": error is None, "summary": summary, "error": error, "seconds": seconds, **details}


class Scanner:
    """One worker process that summarises scene files, one at a time.

    ``summarize(path, timeout)`` blocks until the file is read, failed, crashed its
    worker or ran out of time, and returns its record (see ``scan``). A crashed or
    stopped worker is started again for the next file. Use it as a context manager,
    or call ``close()``. ``task="index"`` makes the records of ``sceneinfo.index_library``,
    which also carry the file's hash, triangles and missing textures.
    """

    def __init__(self, task: str = "summary") -> None:
        self.path: Optional[str] = None
        self.task = task
        self._launch()

    def _launch(self) -> None:
        env = dict(os.environ)
        env["PYTHONPATH"] = os.pathsep.join(filter(None, [_PACKAGE_PARENT, env.get("PYTHONPATH")]))
        self._process = subprocess.Popen([sys.executable, "-m", "sceneinfo._worker", self.task],
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
        if self._process.stdin is None or self._process.stdout is None:
            raise OSError("the worker process has no pipes")
        self._stdin: IO[bytes] = self._process.stdin
        self._stdout: IO[bytes] = self._process.stdout
        self._ready = False
        self._timeout: Optional[float] = None
        self._started = 0.0

    @classmethod
    def for_thread(cls, task: str = "summary") -> "Scanner":
        """The calling thread's own scanner of ``task``, made on first use: for task
        runners that call from a pool of threads, one file at a time in each."""
        scanners: dict[str, Scanner] = _thread_scanners.__dict__.setdefault("scanners", {})
        if task not in scanners:
            scanners[task] = cls(task)
        return scanners[task]

    @property
    def pid(self) -> int:
        """The worker process's ID."""
        return self._process.pid

    @property
    def alive(self) -> bool:
        """True while the worker process runs."""
        return self._process.poll() is None

    def start(self, path: str, timeout: Optional[float] = None) -> None:
        """Hands ``path`` to the worker, started again if it has stopped; the file's
        time starts once the worker is ready."""
        if not self.alive:
            self.close()
            self._launch()
        self.path, self._timeout = path, timeout
        if self._ready:
            self._send()

    def _send(self) -> None:
        self._started = time.monotonic()
        try:
            self._stdin.write(json.dumps(self.path).encode() + b"\n")
            self._stdin.flush()
        except BrokenPipeError:
            pass  # poll() reports the worker's end

    def deadline(self) -> Optional[float]:
        """When the file in hand runs out of time; None without a limit or before it starts."""
        if self.path is None or not self._ready or self._timeout is None:
            return None
        return self._started + self._timeout

    def waitable(self) -> int:
        """The file descriptor to wait on (``multiprocessing.connection.wait``) for the worker's answer."""
        return self._stdout.fileno()

    def poll(self) -> Optional[dict[str, Any]]:
        """The record of the file in hand when it is done, else None. Call when
        ``waitable()`` is readable or the deadline has passed."""
        while wait([self.waitable()], 0):
            line = self._stdout.readline()
            if not line:
                code = self._process.wait()
                how = f"signal {-code}" if code < 0 else f"exit code {code}"
                return self._finish(error=f"the process reading it stopped ({how})")
            message = json.loads(line)
            if message == "ready":
                self._ready = True
                if self.path is not None:
                    self._send()
                continue
            return self._finish(**message)
        deadline = self.deadline()
        if deadline is not None and time.monotonic() >= deadline:
            self._process.kill()
            self._process.wait()
            return self._finish(error=f"timed out after {self._timeout:g} s")
        return None

    def _finish(self, summary: Optional[dict[str, Any]] = None, error: Optional[str] = None,
                **details: Any) -> dict[str, Any]:
        record = _record(self.path or "", time.monotonic() - self._started if self._ready else 0.0, summary, error,
                         **details)
        self.path = None
        return record

    def summarize(self, path: str, timeout: Optional[float] = None) -> dict[str, Any]:
        """Reads one file and returns its record; ``timeout`` in seconds, None for none."""
        self.start(path, timeout)
        while True:
            deadline = self.deadline()
            wait([self.waitable()], None if deadline is None else max(0.0, deadline - time.monotonic()))
            record = self.poll()
            if record is not None:
                return record

    def close(self) -> None:
        """Stops the worker: at once when it is reading a file, else once it sees its input end."""
        if self.alive and self.path is not None:
            self._process.kill()
        if self.alive:
            self._stdin.close()
            try:
                self._process.wait(5)
            except subprocess.TimeoutExpired:
                self._process.kill()
        self._process.wait()
        self._stdin.close()
        self._stdout.close()

    def __enter__(self) -> "Scanner":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()


def scan(paths: Iterable[str], jobs: Optional[int] = None, timeout: Optional[float] = None) -> Iterator[dict[str, Any]]:
    """Summarises many scene files in ``jobs`` worker processes (default: one per CPU),
    yielding one record per file as each finishes:

    ``{"path": str, "ok": bool, "summary": dict or None, "error": str or None, "seconds": float}``

    ``summary`` is ``Scene.summary``; a file that cannot be read, crashes its worker or
    takes longer than ``timeout`` seconds has ``ok`` False and the reason in ``error``,
    and the scan goes on.
    """
    return _scan(paths, jobs, timeout, "summary")


def _scan(paths: Iterable[str], jobs: Optional[int], timeout: Optional[float],
          task: str) -> Iterator[dict[str, Any]]:
    pending = iter(paths)
    scanners: list[Scanner] = []
    try:
        for path in islice(pending, max(1, jobs or os.cpu_count() or 1)):
            scanners.append(Scanner(task))
            scanners[-1].start(os.fspath(path), timeout)
        busy = list(scanners)
        while busy:
            deadlines = [d for d in (s.deadline() for s in busy) if d is not None]
            wait([s.waitable() for s in busy], max(0.0, min(deadlines) - time.monotonic()) if deadlines else None)
            still_busy = []
            for scanner in busy:
                record = scanner.poll()
                if record is None:
                    still_busy.append(scanner)
                    continue
                yield record
                following = next(pending, None)
                if following is not None:
                    scanner.start(os.fspath(following), timeout)
                    still_busy.append(scanner)
            busy = still_busy
    finally:
        for scanner in scanners:
            scanner.close()
