"""The package's own surface: its version, closing a scene, reprs and membership."""

import os
import re

import pytest

import sceneinfo
from conftest import DEMO

SOURCE = os.environ.get("SCI_SOURCE_DIR", "")


def test_version_is_the_projects():
    with open(os.path.join(SOURCE, "CMakeLists.txt")) as cmake:
        declared = re.search(r"project\(SceneContainerInfo VERSION ([0-9.]+)", cmake.read()).group(1)
    assert sceneinfo.__version__ == declared


CLOSED_CALLS = {
    "query": lambda scene: scene.query("node-count"),
    "output": lambda scene: scene.output("root-node"),
    "summary": lambda scene: scene.summary,
    "tree": lambda scene: scene.tree,
    "geometry": lambda scene: scene.geometry(0),
    "nodes": lambda scene: scene.nodes,
    "node name": lambda scene: scene.nodes[0].name,
    "bounding box": lambda scene: scene.bounding_box,
}


@pytest.mark.parametrize("call", CLOSED_CALLS.values(), ids=CLOSED_CALLS.keys())
def test_calls_after_close_raise_naming_the_file(call):
    with sceneinfo.open(DEMO) as scene:
        call(scene)
        kept = scene.nodes[0]
    assert scene.closed
    with pytest.raises(sceneinfo.SceneClosedError, match=re.escape(DEMO)):
        call(scene)
    assert repr(kept) == "<Node 0>" and repr(scene) == f"<Scene {DEMO!r} closed>"
    scene.close()


def test_reprs_name_id_and_name():
    scene = sceneinfo.open(DEMO)
    records = [*scene.nodes, *scene.materials, *scene.cameras, *scene.lights]
    assert records
    for record in records:
        kind = type(record).__name__
        assert repr(record) == f"<{kind} {record.id} {scene.output(kind.lower() + '-name', record.id)!r}>"
    for record in [*scene.surfaces, *scene.textures, *scene.animations]:
        assert repr(record) == f"<{type(record).__name__} {record.id}>"


COLLECTIONS = ["nodes", "surfaces", "geometries", "materials", "textures", "animations", "cameras", "lights"]


@pytest.mark.parametrize("name", COLLECTIONS)
def test_in_holds_for_this_scenes_records_only(name):
    scene, other = sceneinfo.open(DEMO), sceneinfo.open(DEMO)
    records, others = getattr(scene, name), getattr(other, name)
    if not len(records):
        pytest.skip(f"the demo scene has no {name}")
    assert all(record in records for record in records)
    assert records[-1] not in others and records[0] not in others
    assert not any(record in getattr(scene, n) for n in COLLECTIONS if n != name for record in records)
    assert 3 not in records and "x" not in records


def test_in_on_nodes_takes_a_name():
    scene = sceneinfo.open(DEMO)
    names = [node.name for node in scene.nodes]
    assert all(name in scene.nodes for name in names)
    assert "no node has this name" not in scene.nodes
