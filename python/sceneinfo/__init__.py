"""Ask 3D scene files questions from Python, through the SceneContainerInfo plug-in.

Every answer is the one ``sci --json`` gives: the same plug-in, loaded through the same
host framework, answers through the same channel.

    >>> import sceneinfo
    >>> scene = sceneinfo.open("model.gltf")
    >>> scene.query("node-child", 0, 1)["outputs"]
    {'OUT: child node ID': 5}
    >>> scene.nodes[0].name, scene.nodes[0].global_matrix.shape
    ('World', (4, 4))
    >>> scene.geometry(0).positions.dtype
    dtype('float32')
    >>> for record in sceneinfo.scan(paths, jobs=4):
    ...     print(record["path"], record["ok"])
    >>> sceneinfo.index_library("/assets", "assets.db")  # reads only new and changed files
    IndexRun(read=120, unchanged=0, dropped=0, failed=1, seconds=41.2)

``queries()`` lists the 69 queries with their inputs and outputs. Errors derive from
``sceneinfo.Error``: ``SceneReadError``, ``QueryInputError``, ``PluginError``, and
``SceneClosedError`` for a call into a scene after ``close()``. ``with sceneinfo.open(path)
as scene:`` closes the scene at the block's end. Coded values are enums: ``LightType``,
``PrimitiveType`` and ``TextureType``. Records' collections have ``len``, ``in`` and, for
nodes, geometries, materials and textures, ``to_pandas()``.
"""

import sys

from ._version import BUILT_FOR_PYTHON, __version__

# The compiled part only loads into the Python it was built for; say so rather than
# fail to find it.
if sys.version_info[:2] != BUILT_FOR_PYTHON:
    raise ImportError(f"sceneinfo was built for Python {'.'.join(map(str, BUILT_FOR_PYTHON))}, "
                      f"this is Python {sys.version_info[0]}.{sys.version_info[1]} ({sys.executable})")

from ._codes import LightType, PrimitiveType, TextureType
from ._errors import Error, PluginError, QueryInputError, SceneClosedError, SceneReadError
from ._index import IndexRun, export_csv, index_library
from ._native import queries, supported_extensions
from ._scan import Scanner, scan
from ._views import (Animation, AnimationKeys, Camera, Geometry, Light, Material, Node, Records, Scene,
                     Surface, SurfaceTexture, Texture, open)

__all__ = [
    "Animation", "AnimationKeys", "Camera", "Error", "Geometry", "IndexRun", "Light", "LightType", "Material", "Node",
    "PluginError", "PrimitiveType", "QueryInputError", "Records", "Scanner", "Scene", "SceneClosedError",
    "SceneReadError", "Surface", "SurfaceTexture", "Texture", "TextureType", "__version__", "export_csv",
    "index_library", "open", "queries", "scan", "supported_extensions",
]
