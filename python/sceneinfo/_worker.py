"""The worker process of sceneinfo.scan: reads one JSON path per line from standard
input and answers one JSON record per line on standard output."""

import json
import os
import sys
from typing import Any

from ._errors import Error
from ._views import open as open_scene


def serve() -> None:
    # Only records go to the parent; anything the importer prints goes to stderr.
    out = os.fdopen(os.dup(sys.stdout.fileno()), "w")
    os.dup2(sys.stderr.fileno(), sys.stdout.fileno())

    def send(message: Any) -> None:
        out.write(json.dumps(message) + "\n")
        out.flush()

    send("ready")
    for line in sys.stdin:
        try:
            send({"summary": open_scene(json.loads(line)).summary})
        except Error as error:
            send({"error": str(error)})


if __name__ == "__main__":
    serve()
