"""The values queries answer as codes, as enums: they still compare equal to the raw values."""

import enum
from typing import TypeVar, Union

E = TypeVar("E", bound=enum.Enum)
V = TypeVar("V", int, str)


class LightType(enum.IntEnum):
    """A light's type, as the light-type query answers it."""

    UNKNOWN = 0
    POINT = 1
    SPOT = 2
    DIRECTIONAL = 3
    AMBIENT = 4
    AREA = 5


class PrimitiveType(enum.IntEnum):
    """What a geometry's indices draw, as the geometry query answers it."""

    NONE = 0
    POINT_LIST = 1
    LINE_LIST = 2
    TRIANGLE_LIST = 4


class TextureType(str, enum.Enum):
    """What a surface's texture map is for, as the surface-texture-type query names it.

    The query answers a word, not a number, so the members are those words
    (``TextureType.NORMALS == "normals"``)."""

    DIFFUSE = "diffuse"
    SPECULAR = "specular"
    AMBIENT = "ambient"
    EMISSIVE = "emissive"
    HEIGHT = "height"
    NORMALS = "normals"
    SHININESS = "shininess"
    OPACITY = "opacity"
    DISPLACEMENT = "displacement"
    LIGHTMAP = "lightmap"
    REFLECTION = "reflection"
    BASE_COLOR = "basecolor"
    NORMAL_CAMERA = "normal_camera"
    EMISSION_COLOR = "emission_color"
    METALNESS = "metalness"
    DIFFUSE_ROUGHNESS = "diffuse_roughness"
    AMBIENT_OCCLUSION = "ambient_occlusion"
    SHEEN = "sheen"
    CLEARCOAT = "clearcoat"
    TRANSMISSION = "transmission"
    UNKNOWN = "unknown"


def coded(kind: type[E], value: V) -> Union[E, V]:
    """``value`` as a member of ``kind``; a value no member has stays as it is."""
    try:
        return kind(value)
    except ValueError:
        return value
