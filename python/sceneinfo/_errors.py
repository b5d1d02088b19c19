"""The exceptions sceneinfo raises; all derive from sceneinfo.Error."""

from typing import Any, Optional


class Error(Exception):
    """Base of every error sceneinfo raises."""


class SceneReadError(Error):
    """A scene file could not be read. The message names the file and the reason."""

    path: Optional[str] = None


class SceneClosedError(Error, ValueError):
    """A call into a scene after its ``close()``. The message names the file."""


class PluginError(Error):
    """The SceneContainerInfo plug-in library could not be found or loaded."""


class QueryInputError(Error):
    """A query's input was out of range for the scene.

    The message is the channel's own ("Node id out of range."); ``answer`` holds the
    query's whole answer (as ``Scene.query(..., check=False)`` returns it) when there is one.
    """

    def __init__(self, message: str, answer: Optional[dict[str, Any]] = None) -> None:
        super().__init__(message)
        self.message = message
        self.answer: Optional[dict[str, Any]] = answer
