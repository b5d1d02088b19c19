"""Scene and the Pythonic views over its records, all answered by queries."""

from __future__ import annotations

import math
import os
import warnings
from collections.abc import Sequence
from functools import cached_property
from typing import TYPE_CHECKING, Any, Callable, Generic, Optional, TypeVar, Union, overload

from . import _native
from ._codes import LightType, PrimitiveType, TextureType, coded
from ._errors import QueryInputError, SceneClosedError, SceneReadError

T = TypeVar("T")
PathLike = Union[str, "os.PathLike[str]"]

# NumPy is imported when the first array is made: a program that only indexes files or
# asks for numbers starts without it.
if TYPE_CHECKING:
    import numpy as np
    import numpy.typing as npt

    Floats = npt.NDArray[np.float32]


def _floats(values: Any, shape: tuple[int, ...]) -> Floats:
    import numpy as np

    # JSON writes NaN and infinities as null.
    return np.array([math.nan if v is None else v for v in values], dtype=np.float32).reshape(shape)


def _vector(values: Any) -> Floats:
    return _floats(values, (3,))


def _matrix(values: Any) -> Floats:
    return _floats(values, (4, 4))


def _number(value: Any) -> float:
    # JSON writes NaN and infinities as null.
    return math.nan if value is None else float(value)


def _id(value: Any) -> Optional[int]:
    """An ID output as int, or None for -1 (none)."""
    return None if value < 0 else int(value)


class Scene:
    """A 3D scene file imported into a host with the SceneContainerInfo plug-in loaded.

    ``query`` answers any of the 69 queries as ``sci --json`` does; the properties below
    are views built on those queries. Calls from several threads are run one at a time.
    Use it as a context manager, or call ``close()``: a closed scene lets its host go, and
    every later call into it raises SceneClosedError.
    """

    def __init__(self, native: _native.Scene) -> None:
        self._native: Optional[_native.Scene] = native
        self._path = native.path

    @property
    def path(self) -> str:
        """The path the scene was opened with."""
        return self._path

    @property
    def closed(self) -> bool:
        """True once ``close()`` was called."""
        return self._native is None

    def _open_native(self) -> _native.Scene:
        if self._native is None:
            raise SceneClosedError(f"{self._path}: the scene is closed")
        return self._native

    def close(self) -> None:
        """Lets the host and its scene go; closing twice is harmless."""
        self._native = None
        # Answers kept from before would outlive the scene: later calls must fail alike.
        for name in [n for n, v in vars(type(self)).items() if isinstance(v, cached_property)]:
            self.__dict__.pop(name, None)

    def __enter__(self) -> "Scene":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __repr__(self) -> str:
        return f"<Scene {self.path!r}{' closed' if self.closed else ''}>"

    def query(self, query: Union[str, int], *inputs: Union[float, str], check: bool = True) -> dict[str, Any]:
        """Runs one query and returns its answer, shaped as ``sci --json`` writes it.

        ``query`` is a short name ("node-child"), a full name ("SCI_NODE_CHILD") or a
        number (11); ``inputs`` follow in child order: numbers, a str for a node name, and
        for a Node ID either (a name stands for the first node of that name, as in sci).
        When the channel reports a bad input, raises QueryInputError with its message, or
        with ``check=False`` returns the answer with the message in ``"messages"``; a name
        that no node has always raises QueryInputError.
        Raises ValueError for an unknown query and TypeError for wrong inputs.
        """
        native = self._native  # _open_native() inline: this is the path every query takes
        if native is None:
            raise SceneClosedError(f"{self._path}: the scene is closed")
        answer = native.query(query, *inputs)
        if check and answer["messages"]:
            raise QueryInputError(answer["messages"][0], answer)
        return answer

    def output(self, query: Union[str, int], *inputs: Union[float, str]) -> Any:
        """The first output of a query's answer (raises QueryInputError on a bad input)."""
        return next(iter(self.query(query, *inputs)["outputs"].values()))

    @cached_property
    def summary(self) -> dict[str, Any]:
        """Format, counts, scene box and node tree, as ``sci --json FILE`` writes them."""
        return self._open_native().summary()

    @cached_property
    def tree(self) -> dict[str, Any]:
        """The node tree as ``sci --tree --format json FILE`` writes it: ``{"scene": path,
        "tree": root}``, each node a dict with its id, name, animation, surfaces (with their
        texture maps), cameras, lights and children. A message the channel showed while
        the tree was asked (only a damaged scene makes one) is issued as a warning."""
        tree, messages = self._open_native().tree()
        for message in messages:
            warnings.warn(f"{self.path}: {message}", stacklevel=2)
        return tree

    @property
    def bounding_box(self) -> tuple[Floats, Floats]:
        """The scene's box as (min, max), each float32 of shape (3,)."""
        outputs = list(self.query("scene-bounding-box")["outputs"].values())
        return _vector(outputs[0]), _vector(outputs[1])

    @property
    def root(self) -> Optional["Node"]:
        """The root node, or None for a scene without nodes."""
        root = _id(self.output("root-node"))
        return None if root is None else Node(self, root)

    def geometry(self, id: int) -> "Geometry":
        """Geometry ``id`` as NumPy arrays, copied once from the host mesh the channel fills."""
        return Geometry(id, self._open_native().geometry(id), self)

    @cached_property
    def embedded_image_names(self) -> list[str]:
        """The file names the scene gave the images embedded in its file, by N of their
        ``"*N"`` texture paths (empty where it gave none)."""
        return self._open_native().embedded_image_names()

    @cached_property
    def nodes(self) -> "Records[Node]":
        """The nodes by ID; ``nodes["name"]`` finds one by name (KeyError when none has it)."""
        return Records(self, "node-count", Node, find=lambda name: _id(self.output("node-id", name)))

    @cached_property
    def surfaces(self) -> "Records[Surface]":
        """The surfaces by ID: one geometry with one material on one node each."""
        return Records(self, "surface-count", Surface)

    @cached_property
    def geometries(self) -> "Records[Geometry]":
        """Every geometry, each copied as ``geometry(i)`` when it is taken."""
        return Records(self, "geometry-count", Geometry, make=lambda scene, i: scene.geometry(i))

    @cached_property
    def materials(self) -> "Records[Material]":
        """The materials by ID."""
        return Records(self, "material-count", Material)

    @cached_property
    def textures(self) -> "Records[Texture]":
        """The textures by ID."""
        return Records(self, "texture-count", Texture)

    @cached_property
    def animations(self) -> "Records[Animation]":
        """The animations by ID."""
        return Records(self, "animation-count", Animation)

    @cached_property
    def cameras(self) -> "Records[Camera]":
        """The cameras by ID."""
        return Records(self, "camera-count", Camera)

    @cached_property
    def lights(self) -> "Records[Light]":
        """The lights by ID."""
        return Records(self, "light-count", Light)


def open(path: PathLike, cache: bool = True, cache_dir: Optional[PathLike] = None, timeout: float = 600.0,
         max_memory: Optional[int] = None) -> Scene:
    """Imports the scene file at ``path`` as ``sci`` does.

    The file is read in a helper process, stopped after ``timeout`` seconds (0: no limit)
    or above ``max_memory`` bytes (None: half the machine's memory, at most 16 GiB), so
    that no file can crash or exhaust this process. Its snapshot is kept in ``cache_dir``
    (None: sci's cache, ``$XDG_CACHE_HOME/sci``) and an unchanged file is loaded from it
    the next time; ``cache=False`` reads afresh and keeps nothing.

    Raises SceneReadError (with ``path`` set) when the file cannot be read, the reader
    crashed or went over a limit; PluginError when the plug-in cannot be loaded.
    """
    path = os.fspath(path)
    if not isinstance(timeout, (int, float)) or isinstance(timeout, bool) or not timeout >= 0 \
            or timeout == float("inf"):
        raise ValueError(f"timeout must be a number of seconds, 0 or above (0: no limit), not {timeout!r}")
    try:
        return Scene(_native.open(path, cache, os.fspath(cache_dir) if cache_dir else "", timeout, max_memory or 0))
    except SceneReadError as error:
        error.path = path
        raise


class Records(Sequence[T], Generic[T]):
    """The records of one kind by ID: ``len``, indexing (negative too), slicing, iteration,
    and ``in`` for a record of this scene (or, for nodes, a name some node has).
    ``to_pandas()`` makes a table of nodes, geometries, materials or textures."""

    def __init__(self, scene: Scene, count_query: str, kind: type,
                 make: Optional[Callable[[Scene, int], T]] = None,
                 find: Optional[Callable[[str], Optional[int]]] = None) -> None:
        self._scene, self._kind, self._find = scene, kind, find
        self._make: Callable[[Scene, int], T] = make or kind
        self._count = int(scene.output(count_query))

    def __len__(self) -> int:
        return self._count

    def __contains__(self, item: object) -> bool:
        if isinstance(item, str):
            return self._find is not None and self._find(item) is not None
        return (type(item) is self._kind and getattr(item, "scene", None) is self._scene
                and 0 <= getattr(item, "id") < self._count)

    def __repr__(self) -> str:
        return f"<Records of {len(self)} {getattr(self._kind, '__name__', '')}>"

    def to_pandas(self) -> Any:
        """The records as a pandas DataFrame indexed by ID, one column per field; -1 stands
        for none where a field is an ID. Nodes, geometries, materials and textures have one.
        pandas is imported on the first call, not with sceneinfo."""
        columns: Optional[list[str]] = getattr(self._kind, "_columns", None)
        if columns is None:
            raise TypeError(f"{getattr(self._kind, '__name__', '')} records have no table")
        import pandas

        return pandas.DataFrame([getattr(record, "_row")() for record in self], columns=columns).set_index("id")

    @overload
    def __getitem__(self, key: int) -> T: ...
    @overload
    def __getitem__(self, key: slice) -> list[T]: ...
    @overload
    def __getitem__(self, key: str) -> T: ...

    def __getitem__(self, key: Union[int, slice, str]) -> Union[T, list[T]]:
        if isinstance(key, slice):
            return [self._make(self._scene, i) for i in range(*key.indices(self._count))]
        if isinstance(key, str):
            found = self._find(key) if self._find is not None else None
            if found is None:
                raise KeyError(key)
            return self._make(self._scene, found)
        index = key.__index__()
        if not -self._count <= index < self._count:
            raise IndexError(f"ID {index} out of range for {self._count} records")
        return self._make(self._scene, index % self._count)


class _Record:
    """A record of the scene, named by its ID; it asks the scene on each access."""

    def __init__(self, scene: Scene, id: int) -> None:
        self.scene, self.id = scene, id

    def _ask(self, query: str, *inputs: Union[float, str]) -> Any:
        return self.scene.output(query, self.id, *inputs)

    def _list(self, count_query: str, item_query: str, make: Callable[[Scene, int], T]) -> list[T]:
        count = int(self._ask(count_query))
        return [make(self.scene, int(self._ask(item_query, k))) for k in range(count)]

    def _label(self) -> Optional[str]:
        """What the repr names the record by besides its ID; None for nothing."""
        return None

    def __eq__(self, other: object) -> bool:
        return type(other) is type(self) and isinstance(other, _Record) and other.scene is self.scene \
            and other.id == self.id

    def __hash__(self) -> int:
        return hash((type(self), id(self.scene), self.id))

    def __repr__(self) -> str:
        # A closed scene can no longer name the record; its ID still does.
        label = None if self.scene.closed else self._label()
        return f"<{type(self).__name__} {self.id}{'' if label is None else ' ' + repr(label)}>"


class Node(_Record):
    """A node of the scene tree."""

    _columns = ["id", "name", "parent", "children", "surfaces", "cameras", "lights", "animation"]

    def _row(self) -> list[Any]:
        counts = [int(self._ask(f"node-{kind}-count")) for kind in ("child", "surface", "camera", "light")]
        return [self.id, self.name, int(self._ask("parent-node")), *counts, int(self._ask("node-animation"))]

    def _label(self) -> Optional[str]:
        return self.name

    @property
    def name(self) -> str:
        """The node's name."""
        return str(self._ask("node-name"))

    @property
    def note(self) -> str:
        """The node's user properties as text."""
        return str(self._ask("node-note"))

    @property
    def local_matrix(self) -> Floats:
        """Transform relative to the parent: float32 (4, 4), row-major, translation in row 4."""
        return _matrix(self._ask("node-local-tm"))

    @property
    def global_matrix(self) -> Floats:
        """Transform relative to the scene: float32 (4, 4), row-major, translation in row 4."""
        return _matrix(self._ask("node-global-tm"))

    @property
    def parent(self) -> Optional["Node"]:
        """The parent node; None for the root."""
        parent = _id(self._ask("parent-node"))
        return None if parent is None else Node(self.scene, parent)

    @property
    def children(self) -> list["Node"]:
        """The node's children, in order."""
        return self._list("node-child-count", "node-child", Node)

    @property
    def surfaces(self) -> list["Surface"]:
        """The surfaces on the node."""
        return self._list("node-surface-count", "node-surface-id", Surface)

    @property
    def cameras(self) -> list["Camera"]:
        """The cameras on the node."""
        return self._list("node-camera-count", "node-camera-id", Camera)

    @property
    def lights(self) -> list["Light"]:
        """The lights on the node."""
        return self._list("node-light-count", "node-light-id", Light)

    @property
    def animation(self) -> Optional["Animation"]:
        """The animation of the node; None when it has none."""
        animation = _id(self._ask("node-animation"))
        return None if animation is None else Animation(self.scene, animation)


class SurfaceTexture:
    """One texture map of a surface: its texture, type (a TextureType), UV set, amount and matrix."""

    def __init__(self, surface: "Surface", number: int) -> None:
        def ask(query: str) -> Any:
            return surface._ask(query, number)

        self.texture = Texture(surface.scene, int(ask("surface-texture-id")))
        self.type: Union[TextureType, str] = coded(TextureType, str(ask("surface-texture-type")))
        self.uv_set = int(ask("surface-texture-uv-set"))
        self.amount = _number(ask("surface-texture-amount"))
        self.matrix = _matrix(ask("surface-texture-matrix"))

    def __repr__(self) -> str:
        kind = self.type.value if isinstance(self.type, TextureType) else self.type
        return f"<SurfaceTexture {kind} texture {self.texture.id} uv set {self.uv_set}>"


class Surface(_Record):
    """A surface: one geometry with one material and its texture maps, on one node."""

    @property
    def geometry_id(self) -> int:
        """The ID of the surface's geometry (``geometry`` copies it)."""
        return int(self._ask("surface-geometry-id"))

    @property
    def material(self) -> "Material":
        """The surface's material."""
        return Material(self.scene, int(self._ask("surface-material-id")))

    @property
    def node(self) -> Node:
        """The node the surface is on."""
        return Node(self.scene, int(self._ask("surface-node-id")))

    @property
    def geometry(self) -> "Geometry":
        """The surface's geometry, copied as ``Scene.geometry`` copies it."""
        return self.scene.geometry(self.geometry_id)

    @property
    def textures(self) -> list[SurfaceTexture]:
        """The surface's texture maps, in order."""
        return [SurfaceTexture(self, k) for k in range(int(self._ask("surface-texture-count")))]


class Geometry:
    """A geometry's vertices and indices as NumPy arrays.

    ``positions`` and ``normals`` are float32 (N, 3); ``uv_sets`` a list of float32 (N, 2),
    as many as the vertex with the most sets has ((0, 0) where a vertex lacks one);
    ``indices`` uint32 (M,); ``primitive_type`` a PrimitiveType (1 points, 2 lines, 4 triangles).
    ``len()`` is the number of vertices.
    """

    _columns = ["id", "primitive_type", "vertices", "indices", "uv_sets"]

    def __init__(self, id: int, arrays: dict[str, Any], scene: Optional[Scene] = None) -> None:
        self.id, self.scene = id, scene
        self.primitive_type: Union[PrimitiveType, int] = coded(PrimitiveType, int(arrays["primitive_type"]))
        self.positions: Floats = arrays["positions"]
        self.normals: Floats = arrays["normals"]
        self.uv_sets: list[Floats] = arrays["uv_sets"]
        self.indices: npt.NDArray[np.uint32] = arrays["indices"]

    def _row(self) -> list[Any]:
        return [self.id, int(self.primitive_type), len(self), len(self.indices), len(self.uv_sets)]

    @property
    def triangles(self) -> int:
        """How many triangles the indices make: a third of them for a triangle list, else 0."""
        return len(self.indices) // 3 if self.primitive_type == PrimitiveType.TRIANGLE_LIST else 0

    def __len__(self) -> int:
        return len(self.positions)

    def __repr__(self) -> str:
        return f"<Geometry {self.id}: {len(self)} vertices, {len(self.indices)} indices>"


class Material(_Record):
    """A material: colours as float32 (3,), specular power, opacity (None when unset)."""

    _columns = ["id", "name", "diffuse_r", "diffuse_g", "diffuse_b", "opacity", "specular_power", "surfaces"]

    def _row(self) -> list[Any]:
        return [self.id, self.name, *self.diffuse.tolist(), self.opacity, self.specular_power,
                int(self._ask("material-surface-count"))]

    def _label(self) -> Optional[str]:
        return self.name

    @property
    def name(self) -> str:
        """The material's name."""
        return str(self._ask("material-name"))

    @property
    def xml(self) -> str:
        """The material as XML text, exactly as the channel writes it."""
        return str(self._ask("material-as-xml"))

    @cached_property
    def _channel(self) -> dict[str, Any]:
        answer: dict[str, Any] = self._ask("material")
        return answer

    @property
    def diffuse(self) -> Floats:
        """Diffuse colour, float32 (3,)."""
        return _vector(self._channel["diffuse"])

    @property
    def emissive(self) -> Floats:
        """Emissive colour, float32 (3,)."""
        return _vector(self._channel["emissive"])

    @property
    def specular(self) -> Floats:
        """Specular colour, float32 (3,)."""
        return _vector(self._channel["specular"])

    @property
    def specular_power(self) -> Optional[float]:
        """Specular power; None when unset."""
        power: Optional[float] = self._channel["specular_power"]
        return power

    @property
    def opacity(self) -> Optional[float]:
        """Opacity; None when unset."""
        opacity: Optional[float] = self._channel["opacity"]
        return opacity

    @property
    def surfaces(self) -> list[Surface]:
        """The surfaces that use the material."""
        return self._list("material-surface-count", "material-surface-id", Surface)


class Texture(_Record):
    """A texture: the path of its image as the scene names it ("*N" for one embedded in the file)."""

    _columns = ["id", "path"]

    def _row(self) -> list[Any]:
        return [self.id, self.path]

    def _label(self) -> Optional[str]:
        return self.path

    @property
    def path(self) -> str:
        """The image's path as the scene names it."""
        return str(self._ask("texture-path"))


class AnimationKeys:
    """An animation's keys as arrays: ``times`` uint32 (K,) in ticks of 1/4800 s,
    ``rotations`` float32 (K, 4) as x, y, z, w, ``positions`` and ``scales`` float32 (K, 3).
    ``len()`` is the number of keys."""

    def __init__(self, keys: list[dict[str, Any]]) -> None:
        import numpy as np

        count = len(keys)
        self.times: npt.NDArray[np.uint32] = np.array([k["time"] for k in keys], dtype=np.uint32)
        self.rotations = _floats([v for k in keys for v in k["rotation"]], (count, 4))
        self.positions = _floats([v for k in keys for v in k["position"]], (count, 3))
        self.scales = _floats([v for k in keys for v in k["scale"]], (count, 3))

    def __len__(self) -> int:
        return len(self.times)

    def __repr__(self) -> str:
        return f"<AnimationKeys: {len(self)} keys>"


class Animation(_Record):
    """An animation: a list of keys."""

    @property
    def keys(self) -> AnimationKeys:
        """The animation's keys as arrays."""
        return AnimationKeys(self._ask("animation")["keys"])

    def matrix(self, key: int) -> Floats:
        """Key ``key`` as a float32 (4, 4) matrix."""
        return _matrix(self._ask("animation-matrix", key))


class Camera(_Record):
    """A camera: name, node, fields of view (radians), clip planes, offset matrix."""

    def _label(self) -> Optional[str]:
        return self.name

    @property
    def name(self) -> str:
        """The camera's name."""
        return str(self._ask("camera-name"))

    @property
    def node(self) -> Node:
        """The node the camera hangs on."""
        return Node(self.scene, int(self._ask("camera-node-id")))

    @property
    def fov_x(self) -> float:
        """Horizontal field of view, the full angle in radians."""
        return _number(self._ask("camera-fov-x"))

    @property
    def fov_y(self) -> float:
        """Vertical field of view, the full angle in radians."""
        return _number(self._ask("camera-fov-y"))

    @property
    def near_z(self) -> float:
        """Distance of the near clip plane."""
        return _number(self._ask("camera-near-z"))

    @property
    def far_z(self) -> float:
        """Distance of the far clip plane."""
        return _number(self._ask("camera-far-z"))

    @property
    def offset_matrix(self) -> Floats:
        """The camera's matrix relative to its node: float32 (4, 4), row-major."""
        return _matrix(self._ask("camera-offset-matrix"))


class Light(_Record):
    """A light: type, colours and attenuation as float32 (3,), range, cone angles, shadows."""

    def _label(self) -> Optional[str]:
        return self.name

    @property
    def name(self) -> str:
        """The light's name."""
        return str(self._ask("light-name"))

    @property
    def node(self) -> Node:
        """The node the light hangs on."""
        return Node(self.scene, int(self._ask("light-node-id")))

    @property
    def type(self) -> Union[LightType, int]:
        """A LightType; a code no member has stays an int."""
        return coded(LightType, int(self._ask("light-type")))

    @property
    def diffuse(self) -> Floats:
        """Diffuse colour, float32 (3,)."""
        return _vector(self._ask("light-diffuse"))

    @property
    def ambient(self) -> Floats:
        """Ambient colour, float32 (3,)."""
        return _vector(self._ask("light-ambient"))

    @property
    def specular(self) -> Floats:
        """Specular colour, float32 (3,)."""
        return _vector(self._ask("light-specular"))

    @property
    def attenuation(self) -> Floats:
        """Constant, linear and quadratic attenuation, float32 (3,)."""
        return _vector(self._ask("light-attenuation"))

    @property
    def range(self) -> float:
        """How far the light reaches; 1.8446743e+19 (the square root of the largest float)
        for a light without a range, as the query answers it."""
        return _number(self._ask("light-range"))

    @property
    def theta(self) -> float:
        """Inner cone angle, the full angle in radians."""
        return _number(self._ask("light-theta"))

    @property
    def phi(self) -> float:
        """Outer cone angle, the full angle in radians."""
        return _number(self._ask("light-phi"))

    @property
    def casts_shadow(self) -> bool:
        """Whether the light casts shadows."""
        return bool(self._ask("light-shadow-cast"))

    @property
    def shadow_density(self) -> float:
        """How dark the light's shadows are."""
        return _number(self._ask("light-shadow-density"))

    @property
    def offset_matrix(self) -> Floats:
        """The light's matrix relative to its node: float32 (4, 4), row-major."""
        return _matrix(self._ask("light-offset-matrix"))
