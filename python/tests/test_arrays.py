"""The NumPy views hold exactly what the queries answer: geometry arrays against the
geometry query's mesh, matrices, colours and animation keys against their queries."""

import numpy as np
import pytest

import sceneinfo
from conftest import DEMO, sample

# The demo, point and line primitives, two and three UV sets, a skeleton animation.
SCENES = ["demo", "gltf-points-lines/22_vertex_color.gltf", "dae-two-uvsets/cube_with_2UVs.DAE",
          "fbx-uv-sets/maya_uv_sets_7500_binary.fbx", "fbx-skeleton-anim/maya_kenney_character_7700_binary.fbx"]


@pytest.fixture(params=SCENES)
def scene(request):
    return sceneinfo.open(DEMO if request.param == "demo" else sample(request.param))


def f32(values):
    return np.array(values, dtype=np.float32)


def test_geometry_arrays_equal_the_mesh(scene):
    assert len(scene.geometries) == scene.summary["counts"]["geometries"]
    for i, geometry in enumerate(scene.geometries):
        mesh = scene.output("geometry", i)
        vertices = mesh["vertices"]
        count = len(vertices)
        assert geometry.positions.dtype == geometry.normals.dtype == np.float32
        assert geometry.indices.dtype == np.uint32
        assert geometry.positions.shape == geometry.normals.shape == (count, 3)
        assert np.array_equal(geometry.positions, f32([v["position"] for v in vertices]).reshape(count, 3))
        assert np.array_equal(geometry.normals, f32([v["normal"] for v in vertices]).reshape(count, 3))
        assert np.array_equal(geometry.indices, np.array(mesh["indices"], dtype=np.uint32))
        assert geometry.primitive_type == mesh["primitive_type"]
        assert len(geometry.uv_sets) == max((len(v["uv"]) for v in vertices), default=0)
        for s, uvs in enumerate(geometry.uv_sets):
            assert uvs.dtype == np.float32 and uvs.shape == (count, 2)
            expected = [v["uv"][s] if s < len(v["uv"]) else [0, 0] for v in vertices]
            assert np.array_equal(uvs, f32(expected).reshape(count, 2))


def test_record_views_equal_their_queries(scene):
    for node in scene.nodes:
        assert node.local_matrix.dtype == np.float32 and node.local_matrix.shape == (4, 4)
        assert np.array_equal(node.local_matrix, f32(scene.output("node-local-tm", node.id)).reshape(4, 4))
        assert np.array_equal(node.global_matrix, f32(scene.output("node-global-tm", node.id)).reshape(4, 4))
        assert all(child.parent == node for child in node.children)
        assert all(surface.node == node for surface in node.surfaces)
    for material in scene.materials:
        answer = scene.output("material", material.id)
        assert material.name == answer["name"]
        assert np.array_equal(material.diffuse, f32(answer["diffuse"]))
        assert all(surface.material == material for surface in material.surfaces)
    for animation in scene.animations:
        keys, expected = animation.keys, scene.output("animation", animation.id)["keys"]
        assert keys.times.dtype == np.uint32 and keys.rotations.shape == (len(expected), 4)
        assert keys.times.tolist() == [k["time"] for k in expected]
        assert np.array_equal(keys.rotations, f32([k["rotation"] for k in expected]).reshape(-1, 4))
        assert np.array_equal(keys.scales, f32([k["scale"] for k in expected]).reshape(-1, 3))


def test_records_index_like_sequences():
    scene = sceneinfo.open(DEMO)
    nodes = scene.nodes
    assert len(nodes) == scene.summary["counts"]["nodes"]
    assert nodes[-1] == nodes[len(nodes) - 1] and nodes[1:3] == [nodes[1], nodes[2]]
    assert nodes["Table"] == nodes[1] and nodes["Table"].name == "Table"
    with pytest.raises(IndexError):
        nodes[len(nodes)]
    with pytest.raises(KeyError):
        nodes["no node has this name"]
    # `in` takes a node's name as well as a node.
    assert all(node.name in nodes for node in nodes) and "no node has this name" not in nodes
    assert scene.root == nodes[0] and nodes[0].parent is None
