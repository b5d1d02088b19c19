"""The worker process of sceneinfo.scan and sceneinfo.index_library: reads one JSON path
per line from standard input and answers one JSON record per line on standard output.
Its one argument names the task: "summary" (the default) or "index"."""

import json
import os
import sys
from typing import Any, Callable

from ._errors import Error
from ._index import file_facts
from ._views import open as open_scene

TASKS: dict[str, Callable[[str], dict[str, Any]]] = {
    "summary": lambda path: {"summary": open_scene(path).summary},
    "index": file_facts,
}


def serve(task: Callable[[str], dict[str, Any]]) -> None:
    # Only records go to the parent; anything the importer prints goes to stderr.
    out = os.fdopen(os.dup(sys.stdout.fileno()), "w")
    os.dup2(sys.stderr.fileno(), sys.stdout.fileno())

    def send(message: Any) -> None:
        out.write(json.dumps(message) + "\n")
        out.flush()

    send("ready")
    for line in sys.stdin:
        try:
            send(task(json.loads(line)))
        except (Error, OSError) as error:
            send({"error": str(error)})


if __name__ == "__main__":
    serve(TASKS[sys.argv[1] if len(sys.argv) > 1 else "summary"])
