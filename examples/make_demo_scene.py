#!/usr/bin/env python3
"""Writes the demo scene that sci answers questions about when no file is given.

    python3 examples/make_demo_scene.py            # rewrites examples/demo/

The scene is a small glTF 2.0 file with its buffer embedded as base64 and
three tiny PNG textures beside it. It is meant to give every query something
to answer: a node tree four levels deep, two cameras, a point, a spot and a
directional light, textured materials (one mesh with two UV sets), a points
and a lines primitive besides triangles, one animated node and user
properties in node extras. Everything is plain Python; no package needed.
"""

import base64
import json
import math
import os
import struct
import zlib
from typing import Any, Callable, Optional, Sequence

HERE = os.path.dirname(os.path.abspath(__file__))
OUT_DIR = os.path.join(HERE, "demo")

# glTF constants
FLOAT, USHORT = 5126, 5123
ARRAY_BUFFER, ELEMENT_ARRAY_BUFFER = 34962, 34963
POINTS, LINES, TRIANGLES = 0, 1, 4


# --- PNG ---------------------------------------------------------------------

def png_bytes(width: int, height: int, pixel: Callable[[int, int], tuple[int, int, int]]) -> bytes:
    """An 8-bit RGB PNG whose pixel (x, y) is pixel(x, y) -> (r, g, b)."""
    raw = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(tag: bytes, data: bytes) -> bytes:
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


TEXTURES = {
    # wood-coloured checker for the table's base colour (UV set 0)
    "checker.png": png_bytes(8, 8, lambda x, y: (181, 136, 99) if (x + y) % 2 else (240, 217, 181)),
    # soft grey gradient used as the table's occlusion map (UV set 1)
    "grain.png": png_bytes(4, 4, lambda x, y: (255 - 40 * x, 255 - 40 * x, 255 - 40 * y)),
    # glaze colour for the cup and the spinner
    "glaze.png": png_bytes(2, 2, lambda x, y: (70, 130, 180) if x == y else (100, 160, 210)),
}


# --- geometry ----------------------------------------------------------------

Vector = tuple[float, ...]


def box(sx: float, sy: float, sz: float) -> tuple[list[Vector], list[Vector], list[Vector], list[Vector], list[int]]:
    """A box centred on the origin: 24 vertices (4 per face) with normals, a
    per-face UV set 0 and an atlas UV set 1 (each face its own cell of a 3x2
    grid), and 36 indices."""
    faces = [  # normal, u axis, v axis
        ((1, 0, 0), (0, 0, -1), (0, 1, 0)),
        ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
        ((0, 1, 0), (1, 0, 0), (0, 0, -1)),
        ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
        ((0, 0, 1), (1, 0, 0), (0, 1, 0)),
        ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
    ]
    half = (sx / 2, sy / 2, sz / 2)
    positions: list[Vector] = []
    normals: list[Vector] = []
    uv0: list[Vector] = []
    uv1: list[Vector] = []
    indices: list[int] = []
    for f, (n, u, v) in enumerate(faces):
        cell_u, cell_v = (f % 3) / 3, (f // 3) / 2
        base = len(positions)
        for cu, cv in ((0, 0), (1, 0), (1, 1), (0, 1)):
            su, sv = 2 * cu - 1, 2 * cv - 1
            positions.append(tuple(half[i] * (n[i] + su * u[i] + sv * v[i]) for i in range(3)))
            normals.append(n)
            uv0.append((cu, 1 - cv))
            uv1.append((cell_u + cu / 3, cell_v + (1 - cv) / 2))
        indices += [base, base + 1, base + 2, base, base + 2, base + 3]
    return positions, normals, uv0, uv1, indices


def ring(radius: float, segments: int) -> tuple[list[Vector], list[int]]:
    """A horizontal circle as a line list."""
    positions: list[Vector] = [(radius * math.cos(2 * math.pi * i / segments), 0.0,
                  radius * math.sin(2 * math.pi * i / segments)) for i in range(segments)]
    indices: list[int] = []
    for i in range(segments):
        indices += [i, (i + 1) % segments]
    return positions, indices


def quat_axis_angle(axis: Sequence[float], angle: float) -> list[float]:
    s = math.sin(angle / 2)
    return [axis[0] * s, axis[1] * s, axis[2] * s, math.cos(angle / 2)]


# --- buffer ------------------------------------------------------------------

class Buffer:
    def __init__(self) -> None:
        self.data = bytearray()
        self.views: list[dict[str, int]] = []
        self.accessors: list[dict[str, Any]] = []

    def _view(self, payload: bytes, target: Optional[int]) -> int:
        while len(self.data) % 4:
            self.data += b"\x00"
        view = {"buffer": 0, "byteOffset": len(self.data), "byteLength": len(payload)}
        if target is not None:
            view["target"] = target
        self.data += payload
        self.views.append(view)
        return len(self.views) - 1

    def floats(self, values: Sequence[Any], kind: str, target: Optional[int] = ARRAY_BUFFER,
               bounds: bool = False) -> int:
        rows = [r if isinstance(r, (tuple, list)) else (r,) for r in values]
        payload = b"".join(struct.pack("<%df" % len(r), *r) for r in rows)
        accessor = {"bufferView": self._view(payload, target), "componentType": FLOAT,
                    "count": len(rows), "type": kind}
        if bounds:
            # bounds of the values as stored (float32), as glTF asks
            stored = [struct.unpack("<%df" % len(r), struct.pack("<%df" % len(r), *r)) for r in rows]
            accessor["min"] = [min(r[i] for r in stored) for i in range(len(rows[0]))]
            accessor["max"] = [max(r[i] for r in stored) for i in range(len(rows[0]))]
        self.accessors.append(accessor)
        return len(self.accessors) - 1

    def indices(self, values: Sequence[int]) -> int:
        payload = struct.pack("<%dH" % len(values), *values)
        self.accessors.append({"bufferView": self._view(payload, ELEMENT_ARRAY_BUFFER),
                               "componentType": USHORT, "count": len(values), "type": "SCALAR"})
        return len(self.accessors) - 1


def build() -> dict[str, Any]:
    buf = Buffer()

    def box_primitive(size: Vector, material: int, two_uv_sets: bool) -> dict[str, Any]:
        p, n, t0, t1, i = box(*size)
        attributes = {"POSITION": buf.floats(p, "VEC3", bounds=True), "NORMAL": buf.floats(n, "VEC3"),
                      "TEXCOORD_0": buf.floats(t0, "VEC2")}
        if two_uv_sets:
            attributes["TEXCOORD_1"] = buf.floats(t1, "VEC2")
        return {"attributes": attributes, "indices": buf.indices(i), "material": material, "mode": TRIANGLES}

    steam = [(0.0, 0.05, 0.0), (0.02, 0.1, 0.01), (-0.015, 0.15, 0.02), (0.01, 0.2, -0.01),
             (-0.02, 0.25, 0.0), (0.0, 0.3, 0.015)]
    ring_positions, ring_indices = ring(0.8, 16)

    meshes = [
        {"name": "TableTop", "primitives": [box_primitive((1.6, 0.1, 0.9), 0, True)]},
        {"name": "Cup", "primitives": [box_primitive((0.1, 0.12, 0.1), 1, False)]},
        {"name": "SpinnerBody", "primitives": [box_primitive((0.4, 0.4, 0.4), 1, False)]},
        {"name": "SteamPuffs", "primitives": [
            {"attributes": {"POSITION": buf.floats(steam, "VEC3", bounds=True)}, "material": 2, "mode": POINTS}]},
        {"name": "OrbitRing", "primitives": [
            {"attributes": {"POSITION": buf.floats(ring_positions, "VEC3", bounds=True)},
             "indices": buf.indices(ring_indices), "material": 2, "mode": LINES}]},
    ]

    # The spinner turns once around Y in 2 seconds and bobs up and down.
    times = [0.0, 0.5, 1.0, 1.5, 2.0]
    rotations = [quat_axis_angle((0, 1, 0), 2 * math.pi * t / 2.0) for t in times]
    translations = [(1.5, 0.5 + 0.1 * math.sin(math.pi * t), 0.0) for t in times]
    time_accessor = buf.floats(times, "SCALAR", target=None, bounds=True)
    animation = {
        "name": "SpinnerTurn",
        "samplers": [
            {"input": time_accessor, "output": buf.floats(rotations, "VEC4", target=None), "interpolation": "LINEAR"},
            {"input": time_accessor, "output": buf.floats(translations, "VEC3", target=None),
             "interpolation": "LINEAR"},
        ],
        "channels": [
            {"sampler": 0, "target": {"node": 5, "path": "rotation"}},
            {"sampler": 1, "target": {"node": 5, "path": "translation"}},
        ],
    }

    down = quat_axis_angle((1, 0, 0), -math.pi / 2)
    nodes = [
        {"name": "World", "children": [1, 5, 7, 8, 9, 10],
         "extras": {"author": "SceneContainerInfo demo", "units": "meters"}},
        {"name": "Table", "mesh": 0, "translation": [0.0, 0.75, 0.0], "children": [2, 3],
         "extras": {"category": "furniture", "weight_kg": 12.5, "handmade": True}},
        {"name": "Cup", "mesh": 1, "translation": [0.3, 0.11, -0.2], "children": [4]},
        {"name": "Lamp", "translation": [-0.5, 0.6, 0.1], "extensions": {"KHR_lights_punctual": {"light": 0}}},
        {"name": "Steam", "mesh": 3, "translation": [0.0, 0.06, 0.0]},
        {"name": "Spinner", "mesh": 2, "translation": list(translations[0]), "rotation": rotations[0],
         "children": [6], "extras": {"speed_rpm": 30}},
        {"name": "Orbit", "mesh": 4, "scale": [1.0, 1.0, 1.0]},
        {"name": "MainCamera", "camera": 0, "translation": [0.0, 1.6, 4.0],
         "rotation": quat_axis_angle((1, 0, 0), -0.15)},
        {"name": "TopCamera", "camera": 1, "translation": [0.0, 6.0, 0.0], "rotation": down},
        {"name": "Sun", "rotation": quat_axis_angle((1, 0, 0), -0.9),
         "extensions": {"KHR_lights_punctual": {"light": 2}}},
        {"name": "StageSpot", "translation": [0.0, 3.0, 0.5], "rotation": down,
         "extensions": {"KHR_lights_punctual": {"light": 1}}},
    ]

    gltf = {
        "asset": {"version": "2.0", "generator": "SceneContainerInfo examples/make_demo_scene.py"},
        "extensionsUsed": ["KHR_lights_punctual"],
        "extensions": {"KHR_lights_punctual": {"lights": [
            {"name": "LampBulb", "type": "point", "color": [1.0, 0.85, 0.6], "intensity": 20.0, "range": 8.0},
            {"name": "StageSpot", "type": "spot", "color": [0.9, 0.9, 1.0], "intensity": 50.0, "range": 15.0,
             "spot": {"innerConeAngle": 0.3, "outerConeAngle": 0.6}},
            {"name": "Sun", "type": "directional", "color": [1.0, 1.0, 0.95], "intensity": 3.0},
        ]}},
        "scene": 0,
        "scenes": [{"name": "DemoScene", "nodes": [0]}],
        "nodes": nodes,
        "meshes": meshes,
        "cameras": [
            {"name": "MainCamera", "type": "perspective",
             "perspective": {"yfov": 0.8, "aspectRatio": 1.5, "znear": 0.1, "zfar": 100.0}},
            {"name": "TopCamera", "type": "perspective",
             "perspective": {"yfov": 1.2, "aspectRatio": 1.0, "znear": 0.5, "zfar": 50.0}},
        ],
        "materials": [
            {"name": "Wood", "pbrMetallicRoughness": {
                "baseColorFactor": [0.9, 0.8, 0.7, 1.0], "baseColorTexture": {"index": 0, "texCoord": 0},
                "metallicFactor": 0.0, "roughnessFactor": 0.8},
             "occlusionTexture": {"index": 1, "texCoord": 1, "strength": 0.75}},
            {"name": "Ceramic", "pbrMetallicRoughness": {
                "baseColorFactor": [1.0, 1.0, 1.0, 0.9], "baseColorTexture": {"index": 2, "texCoord": 0},
                "metallicFactor": 0.1, "roughnessFactor": 0.3},
             "alphaMode": "BLEND"},
            {"name": "Signal", "pbrMetallicRoughness": {"baseColorFactor": [0.2, 1.0, 0.4, 1.0],
                                                        "metallicFactor": 0.0, "roughnessFactor": 1.0},
             "emissiveFactor": [0.1, 0.5, 0.2]},
        ],
        "textures": [{"source": 0, "sampler": 0}, {"source": 1, "sampler": 0}, {"source": 2, "sampler": 0}],
        "images": [{"uri": "textures/" + name} for name in TEXTURES],
        "samplers": [{"magFilter": 9729, "minFilter": 9987, "wrapS": 10497, "wrapT": 10497}],
        "animations": [animation],
        "accessors": buf.accessors,
        "bufferViews": buf.views,
        "buffers": [{"byteLength": len(buf.data),
                     "uri": "data:application/octet-stream;base64," + base64.b64encode(bytes(buf.data)).decode()}],
    }
    return gltf


def main() -> None:
    os.makedirs(os.path.join(OUT_DIR, "textures"), exist_ok=True)
    for name, data in TEXTURES.items():
        with open(os.path.join(OUT_DIR, "textures", name), "wb") as f:
            f.write(data)
    with open(os.path.join(OUT_DIR, "demo.gltf"), "w", encoding="utf-8") as f:
        json.dump(build(), f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
