"""An incremental index of a folder tree of scene files, kept in one SQLite table.

Each run compares every file's identity (size, modification and change times, inode,
device) with the one recorded, reads only the files that are new or changed, and drops
the rows of files that are gone. Files are read in worker processes of their own, so a
file that crashes the reader or runs past its time is recorded as failed.
"""

import csv
import dataclasses
import hashlib
import os
import sqlite3
import sys
import time
import warnings
from collections.abc import Iterable, Iterator
from typing import Any, Optional

from ._errors import Error
from ._scan import Scanner, _scan
from ._views import PathLike
from ._views import open as open_scene

# The table's columns in order, with their SQLite types. A row is one file.
COLUMNS: list[tuple[str, str]] = [
    ("path", "TEXT PRIMARY KEY"), ("size", "INTEGER"), ("mtime_ns", "INTEGER"), ("ctime_ns", "INTEGER"),
    ("inode", "INTEGER"), ("device", "INTEGER"), ("blake2b", "TEXT"), ("format", "TEXT"),
    ("nodes", "INTEGER"), ("surfaces", "INTEGER"), ("meshes", "INTEGER"), ("vertices", "INTEGER"),
    ("triangles", "INTEGER"), ("materials", "INTEGER"), ("textures", "INTEGER"), ("missing_textures", "TEXT"),
    ("animations", "INTEGER"), ("cameras", "INTEGER"), ("lights", "INTEGER"),
    ("box_min_x", "REAL"), ("box_min_y", "REAL"), ("box_min_z", "REAL"),
    ("box_max_x", "REAL"), ("box_max_y", "REAL"), ("box_max_z", "REAL"),
    ("import_seconds", "REAL"), ("error", "TEXT"),
]
NAMES = [name for name, _ in COLUMNS]
IDENTITY = ["size", "mtime_ns", "ctime_ns", "inode", "device"]
# Summary counts under the names the table gives them.
COUNTS = {"nodes": "nodes", "surfaces": "surfaces", "meshes": "geometries", "vertices": "vertices",
          "materials": "materials", "textures": "textures", "animations": "animations", "cameras": "cameras",
          "lights": "lights"}


@dataclasses.dataclass
class IndexRun:
    """What one ``index_library`` run did: files read (new or changed), left as they
    were, dropped (gone from the folder), and failed among those read."""

    read: int
    unchanged: int
    dropped: int
    failed: int
    seconds: float


def _content_hash(path: str) -> str:
    digest = hashlib.blake2b()
    with open(path, "rb") as file:
        while chunk := file.read(1 << 20):
            digest.update(chunk)
    return digest.hexdigest()


def _find_ignoring_case(folder: str, name: str) -> bool:
    try:
        return any(entry.lower() == name.lower() and os.path.isfile(os.path.join(folder, entry))
                   for entry in os.listdir(folder or "."))
    except OSError:
        return False


def texture_found(scene_path: str, texture_path: str, embedded: list[str]) -> bool:
    """Whether the image a texture path names is there, looked for where ``sci --view``
    looks: embedded in the scene file (``"*N"``, or the file name the scene gave an
    embedded image, of those in ``embedded``), a file where the path leads from the
    scene's folder, or one of its file name (in any case) in that folder. Unlike the
    view, any such file counts, wherever it lies and whatever it holds."""
    name = texture_path.replace("\\", "/")
    if texture_path.startswith("*"):
        return texture_path[1:].isdigit() and int(texture_path[1:]) < len(embedded)
    if any(image and os.path.basename(image.replace("\\", "/")) == os.path.basename(name) for image in embedded):
        return True
    folder = os.path.dirname(scene_path)
    candidate = name if os.path.isabs(name) else os.path.join(folder, name)
    return (os.path.isfile(candidate) or _find_ignoring_case(os.path.dirname(candidate), os.path.basename(name))
            or _find_ignoring_case(folder, os.path.basename(name)))


def file_facts(path: str) -> dict[str, Any]:
    """What the index records of one file beyond its identity, read in this process:
    the summary, content hash, triangles (a third of every triangle list's indices, as
    the geometry query gives them), missing texture paths and the seconds reading took;
    for a file that cannot be read, its hash and the error."""
    digest = _content_hash(path)
    started = time.monotonic()
    try:
        with open_scene(path) as scene:
            summary = scene.summary
            triangles = sum(scene.geometry(i).triangles for i in range(len(scene.geometries)))
            embedded = scene.embedded_image_names
            missing = [texture.path for texture in scene.textures if not texture_found(path, texture.path, embedded)]
    except Error as error:
        return {"error": str(error), "blake2b": digest, "import_seconds": time.monotonic() - started}
    return {"summary": summary, "blake2b": digest, "triangles": triangles, "missing_textures": missing,
            "import_seconds": time.monotonic() - started}


def _dask_task(path: str, timeout: Optional[float]) -> dict[str, Any]:
    # Each Dask worker thread reads through a worker process of its own.
    return Scanner.for_thread("index").summarize(path, timeout)


def _dask_records(client: Any, paths: list[str], timeout: Optional[float]) -> Iterator[dict[str, Any]]:
    from distributed import as_completed

    futures = client.map(_dask_task, paths, timeout=timeout, pure=False)
    path_of = dict(zip(futures, paths))
    for future in as_completed(futures):
        try:
            yield future.result()
        except Exception as error:  # the task itself failed, e.g. its Dask worker was lost
            yield {"path": path_of[future], "ok": False, "error": f"task failed: {error!r}", "lost": True}


def _with_progress(records: Iterator[dict[str, Any]], total: int,
                   progress: Optional[bool]) -> Iterable[dict[str, Any]]:
    if not (sys.stderr.isatty() if progress is None else progress):
        return records
    try:
        from tqdm import tqdm
    except ImportError:
        return records
    bar: Iterable[dict[str, Any]] = tqdm(records, total=total, unit="file", file=sys.stderr)
    return bar


def _scene_files(root: str) -> dict[str, list[int]]:
    """Every file under ``root`` whose extension a reader claims, with its identity."""
    from ._native import supported_extensions

    extensions = set(supported_extensions())
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            if os.path.splitext(name)[1].lower() not in extensions:
                continue
            try:
                path.encode("utf-8")
            except UnicodeEncodeError:
                warnings.warn(f"{path!r}: not indexed, its name is not UTF-8", stacklevel=3)
                continue
            try:
                info = os.stat(path)
            except OSError:
                continue  # gone since the folder was listed
            found[path] = [info.st_size, info.st_mtime_ns, info.st_ctime_ns, info.st_ino, info.st_dev]
    return found


def _row(record: dict[str, Any], identity: list[int]) -> list[Any]:
    summary = record.get("summary") or {}
    counts = summary.get("counts", {})
    box = summary.get("scene_box", {})
    values: dict[str, Any] = {
        "path": record["path"], **dict(zip(IDENTITY, identity)), "blake2b": record.get("blake2b"),
        "format": summary.get("format"), **{column: counts.get(count) for column, count in COUNTS.items()},
        "triangles": record.get("triangles"), "import_seconds": record.get("import_seconds", record.get("seconds")),
        "error": record.get("error"),
    }
    missing = record.get("missing_textures")
    values["missing_textures"] = None if missing is None else "\n".join(missing)
    for corner in ("min", "max"):
        for axis, value in zip("xyz", box.get(corner) or [None] * 3):
            values[f"box_{corner}_{axis}"] = value
    return [values.get(name) for name in NAMES]


def _inside(path: str, root: str) -> bool:
    return path.startswith(root.rstrip(os.sep) + os.sep)


def export_csv(database: PathLike, path: PathLike) -> None:
    """Writes the index's table as CSV, a header line then one line per file by path,
    replacing ``path`` only once it is complete."""
    part = os.fspath(path) + ".part"
    with sqlite3.connect(database) as db, open(part, "w", newline="", encoding="utf-8") as out:
        cursor = db.execute(f"SELECT {', '.join(NAMES)} FROM files ORDER BY path")
        writer = csv.writer(out)
        writer.writerow(NAMES)
        writer.writerows(cursor)
    db.close()
    os.replace(part, path)


def index_library(root: PathLike, database: PathLike, client: Any = None, *, jobs: Optional[int] = None,
                  timeout: Optional[float] = 300.0, csv: Optional[PathLike] = None,
                  progress: Optional[bool] = None) -> IndexRun:
    """Brings the index of every scene file under ``root`` in the SQLite file ``database``
    up to date, and returns what it did.

    The table ``files`` holds one row per file: its absolute path, identity (``size``,
    ``mtime_ns``, ``ctime_ns``, ``inode``, ``device``), ``blake2b`` content hash, ``format``,
    counts (``nodes``, ``surfaces``, ``meshes``, ``vertices``, ``triangles``, ``materials``, ``textures``,
    ``animations``, ``cameras``, ``lights``), ``missing_textures`` (the texture paths whose
    image is neither embedded nor found beside the scene, one a line), the scene box
    (``box_min_x`` ... ``box_max_z``), ``import_seconds`` and ``error`` (None when the file
    was read; then the counts are None). Only files that are new or whose identity changed
    are read; rows of files no longer under ``root`` are dropped. Rows are committed as
    files finish, so an interrupted run keeps what it did.

    Files are read in ``jobs`` local worker processes (default: one per CPU), or as tasks
    of the Dask ``client`` when one is given (its workers need sceneinfo; a task the
    cluster lost is reported as failed and tried again on the next run). A file may take
    ``timeout`` seconds. ``csv`` also writes the table as CSV. ``progress`` shows a tqdm
    bar (when tqdm is installed); by default only when standard error is a terminal.
    """
    started = time.monotonic()
    root = os.path.abspath(os.fspath(root))
    if not os.path.isdir(root):
        raise NotADirectoryError(f"{root}: not a folder")
    found = _scene_files(root)
    with sqlite3.connect(database) as db:
        db.execute(f"CREATE TABLE IF NOT EXISTS files ({', '.join(f'{n} {t}' for n, t in COLUMNS)})")
        known = {row[0]: list(row[1:]) for row in db.execute(f"SELECT path, {', '.join(IDENTITY)} FROM files")}
        gone = [path for path in known if _inside(path, root) and path not in found]
        db.executemany("DELETE FROM files WHERE path = ?", [(path,) for path in gone])
        stale = sorted(path for path, identity in found.items() if known.get(path) != identity)

        records = _dask_records(client, stale, timeout) if client is not None else _scan(stale, jobs, timeout, "index")
        failed, committed = 0, time.monotonic()
        insert = f"INSERT OR REPLACE INTO files VALUES ({', '.join('?' * len(NAMES))})"
        for record in _with_progress(records, len(stale), progress):
            failed += not record["ok"]
            if record.get("lost"):
                db.execute("DELETE FROM files WHERE path = ?", (record["path"],))
                continue
            db.execute(insert, _row(record, found[record["path"]]))
            if time.monotonic() - committed > 1.0:
                db.commit()
                committed = time.monotonic()
    db.close()
    if csv is not None:
        export_csv(database, csv)
    return IndexRun(read=len(stale), unchanged=len(found) - len(stale), dropped=len(gone), failed=failed,
                    seconds=time.monotonic() - started)

