"""The numbers queries answer as codes, as IntEnums: they still compare equal to the numbers."""

import enum
from typing import TypeVar, Union

E = TypeVar("E", bound=enum.IntEnum)


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


def coded(kind: type[E], value: int) -> Union[E, int]:
    """``value`` as a member of ``kind``; a number no member has stays a plain int."""
    try:
        return kind(value)
    except ValueError:
        return value
