#!/usr/bin/env python3
"""Writes the small glTF fixtures of the importer tests (run from this folder).

Each file holds one feature with values chosen by hand, so that a test can
compare the imported records with numbers it knows. Buffers are embedded as
base64 data URIs so that every fixture is a single file.
"""
import base64
import json
import math
import struct


def buffer_uri(data):
    return "data:application/octet-stream;base64," + base64.b64encode(data).decode()


class Builder:
    """Collects binary data and accessors for one glTF file."""

    def __init__(self):
        self.data = bytearray()
        self.views = []
        self.accessors = []

    def add(self, fmt, values, kind, component=5126, count=None, minmax=False):
        while len(self.data) % 4:
            self.data.append(0)
        offset = len(self.data)
        flat = [x for v in values for x in (v if isinstance(v, (list, tuple)) else [v])]
        self.data += struct.pack("<%d%s" % (len(flat), fmt), *flat)
        self.views.append({"buffer": 0, "byteOffset": offset, "byteLength": len(self.data) - offset})
        accessor = {"bufferView": len(self.views) - 1, "componentType": component,
                    "count": count if count is not None else len(values), "type": kind}
        if minmax:
            dims = len(values[0])
            accessor["min"] = [min(v[i] for v in values) for i in range(dims)]
            accessor["max"] = [max(v[i] for v in values) for i in range(dims)]
        self.accessors.append(accessor)
        return len(self.accessors) - 1

    def write(self, path, document):
        document["asset"] = {"version": "2.0", "generator": "make_import_fixtures.py"}
        document["buffers"] = [{"byteLength": len(self.data), "uri": buffer_uri(bytes(self.data))}]
        document["bufferViews"] = self.views
        document["accessors"] = self.accessors
        with open(path, "w") as f:
            json.dump(document, f, indent=1)
            f.write("\n")


def triangle(b):
    return b.add("f", [(0, 0, 0), (1, 0, 0), (0, 1, 0)], "VEC3", minmax=True)


def spot_light_camera():
    """A spot light (cones 0.3 / 0.6 rad half angles, range 12.5) and a
    perspective camera (yfov 0.8, aspect 1.5) on translated nodes."""
    b = Builder()
    pos = triangle(b)
    b.write("spot_light_camera.gltf", {
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [
            {"name": "Rig", "children": [1, 2, 3]},
            {"name": "Spot", "translation": [1, 2, 3],
             "extensions": {"KHR_lights_punctual": {"light": 0}}},
            {"name": "Eye", "translation": [0, 1, 5], "camera": 0},
            {"name": "Floor", "mesh": 0},
        ],
        "meshes": [{"primitives": [{"attributes": {"POSITION": pos}}]}],
        "cameras": [{"type": "perspective",
                     "perspective": {"yfov": 0.8, "aspectRatio": 1.5, "znear": 0.1, "zfar": 100}}],
        "extensionsUsed": ["KHR_lights_punctual"],
        "extensions": {"KHR_lights_punctual": {"lights": [
            {"type": "spot", "color": [1.0, 0.5, 0.25], "intensity": 2.0, "range": 12.5,
             "spot": {"innerConeAngle": 0.3, "outerConeAngle": 0.6}}]}},
    })


def texture_transform():
    """One material: base colour texture with KHR_texture_transform
    (offset 0.25/0.5, rotation 0.5, scale 2/3), the same image as emissive
    without a transform, and a normal map on the second UV set."""
    b = Builder()
    pos = triangle(b)
    uv0 = b.add("f", [(0, 0), (1, 0), (0, 1)], "VEC2")
    uv1 = b.add("f", [(0.5, 0.5), (1, 0.5), (0.5, 1)], "VEC2")
    b.write("texture_transform.gltf", {
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"name": "Panel", "mesh": 0}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": pos, "TEXCOORD_0": uv0, "TEXCOORD_1": uv1},
                                    "material": 0}]}],
        "materials": [{
            "name": "Tiled",
            "pbrMetallicRoughness": {"baseColorTexture": {"index": 0, "extensions": {
                "KHR_texture_transform": {"offset": [0.25, 0.5], "rotation": 0.5, "scale": [2, 3]}}}},
            "emissiveTexture": {"index": 0},
            "normalTexture": {"index": 1, "texCoord": 1},
        }],
        "textures": [{"source": 0}, {"source": 1}],
        "images": [{"uri": "checker.png"}, {"uri": "bumps.png"}],
        "extensionsUsed": ["KHR_texture_transform"],
    })


def node_extras():
    """A small tree (pre-order Root, Arm, Hand, Finger, Leg) with a matrix
    transform, node extras of several kinds and an unknown extension."""
    b = Builder()
    b.write("node_extras.gltf", {
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [
            {"name": "Root", "children": [1, 4]},
            # 90 degrees about Z, then a translation of (1, 2, 3); column-major.
            {"name": "Arm", "children": [2, 3],
             "matrix": [0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1]},
            {"name": "Hand", "extras": {"label": "left", "count": 3, "visible": True,
                                        "weight": 0.5, "limits": {"low": -2, "tag": "x"}}},
            {"name": "Finger"},
            {"name": "Leg", "extensions": {"EXT_made_up": {"value": 1}}},
        ],
    })


def trs_animation():
    """One node whose translation keys sit at 0 s and 1 s, rotation keys at
    0.5 s and 1.5 s (identity, then 90 degrees about Z) and one scale key at
    2 s."""
    b = Builder()
    t_in = b.add("f", [0.0, 1.0], "SCALAR", minmax=False)
    t_out = b.add("f", [(0, 0, 0), (2, 0, 0)], "VEC3")
    r_in = b.add("f", [0.5, 1.5], "SCALAR")
    h = math.sqrt(0.5)
    r_out = b.add("f", [(0, 0, 0, 1), (0, 0, h, h)], "VEC4")
    s_in = b.add("f", [2.0], "SCALAR")
    s_out = b.add("f", [(2, 2, 2)], "VEC3")
    for acc, times in ((t_in, [0.0, 1.0]), (r_in, [0.5, 1.5]), (s_in, [2.0])):
        b.accessors[acc]["min"] = [min(times)]
        b.accessors[acc]["max"] = [max(times)]
    b.write("trs_animation.gltf", {
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"name": "Mover"}],
        "animations": [{"name": "Move", "samplers": [
            {"input": t_in, "output": t_out}, {"input": r_in, "output": r_out},
            {"input": s_in, "output": s_out}],
            "channels": [
                {"sampler": 0, "target": {"node": 0, "path": "translation"}},
                {"sampler": 1, "target": {"node": 0, "path": "rotation"}},
                {"sampler": 2, "target": {"node": 0, "path": "scale"}}]}],
    })


def points_lines():
    """One glTF mesh with a points, a lines and a triangles primitive."""
    b = Builder()
    points = b.add("f", [(0, 0, 0), (1, 1, 1)], "VEC3", minmax=True)
    lines = b.add("f", [(0, 0, 0), (1, 0, 0), (0, 2, 0), (0, 2, 2)], "VEC3", minmax=True)
    tris = b.add("f", [(0, 0, 0), (3, 0, 0), (0, 3, 0)], "VEC3", minmax=True)
    b.write("points_lines.gltf", {
        "scene": 0,
        "scenes": [{"nodes": [0]}],
        "nodes": [{"name": "Mixed", "mesh": 0}],
        "meshes": [{"name": "Mixed", "primitives": [
            {"attributes": {"POSITION": points}, "mode": 0},
            {"attributes": {"POSITION": lines}, "mode": 1},
            {"attributes": {"POSITION": tris}, "mode": 4}]}],
    })


if __name__ == "__main__":
    spot_light_camera()
    texture_transform()
    node_extras()
    trs_animation()
    points_lines()
