"""The package's own surface: its version, closing a scene, reprs, membership and tables."""

import os
import re
import subprocess
import sys

import pytest

import sceneinfo
from conftest import DEMO, SCI, sample, sci_json

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


NAMING_QUERIES = {"Node": "node-name", "Material": "material-name", "Camera": "camera-name", "Light": "light-name",
                  "Texture": "texture-path"}


def test_reprs_name_id_and_name():
    scene = sceneinfo.open(DEMO)
    records = [*scene.nodes, *scene.materials, *scene.cameras, *scene.lights, *scene.textures]
    assert {type(record).__name__ for record in records} == set(NAMING_QUERIES)
    for record in records:
        kind = type(record).__name__
        assert repr(record) == f"<{kind} {record.id} {scene.output(NAMING_QUERIES[kind], record.id)!r}>"
    for record in [*scene.surfaces, *scene.animations]:
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


def tree_nodes(node, parent=-1):
    yield node, parent
    for child in node["children"]:
        yield from tree_nodes(child, node["id"])


# The demo, a skeleton, every light type, mixed primitives and texture maps on two UV sets.
@pytest.mark.parametrize("name", ["demo", "fbx-skeleton-anim/maya_kenney_character_7700_binary.fbx",
                                  "dae-lights/lights.dae", "obj-points-lines-faces/testmixed.obj",
                                  "gltf-two-uvmaps/12_orm_two_uvmaps.gltf"])
def test_tables_and_coded_values_hold_what_sci_and_the_queries_answer(name):
    path = DEMO if name == "demo" else sample(name)
    scene = sceneinfo.open(path)
    tree = sci_json("--tree", path)[0]["tree"]
    nodes = scene.nodes.to_pandas()
    expected = {node["id"]: (node["name"], parent, len(node["children"]), len(node["surfaces"]), len(node["cameras"]),
                             len(node["lights"]), -1 if node["animation"] is None else node["animation"])
                for node, parent in tree_nodes(tree)}
    assert {i: tuple(row) for i, row in nodes.iterrows()} == expected

    geometries = scene.geometries.to_pandas()
    meshes = [scene.output("geometry", i) for i in range(len(scene.geometries))]
    assert list(geometries["vertices"]) == [len(mesh["vertices"]) for mesh in meshes]
    assert list(geometries["indices"]) == [len(mesh["indices"]) for mesh in meshes]
    assert list(geometries["primitive_type"]) == [mesh["primitive_type"] for mesh in meshes]

    materials = scene.materials.to_pandas()
    surfaces = [s for node, _ in tree_nodes(tree) for s in node["surfaces"]]
    assert list(materials["surfaces"]) == [sum(s["material"] == i for s in surfaces) for i in range(len(materials))]
    assert list(materials["name"]) == [scene.output("material-name", i) for i in range(len(materials))]
    assert list(scene.textures.to_pandas()["path"]) == [scene.output("texture-path", i)
                                                       for i in range(len(scene.textures))]
    assert list(nodes.index) == list(range(len(scene.nodes)))

    named = {light["id"]: light["type"] for node, _ in tree_nodes(tree) for light in node["lights"]}
    assert {light.id: light.type.name.lower() for light in scene.lights} == named
    for geometry in scene.geometries:
        text = subprocess.run([SCI, path, "geometry", str(geometry.id)], capture_output=True, text=True).stdout
        code, words = re.search(r"primitive type: (\d+) \(([a-z ]+)\)", text).groups()
        assert geometry.primitive_type == int(code)
        assert geometry.primitive_type.name.lower().replace("_", " ") == words
    for surface in scene.surfaces:
        for number, texture_map in enumerate(surface.textures):
            assert isinstance(texture_map.type, sceneinfo.TextureType)
            assert texture_map.type == scene.output("surface-texture-type", surface.id, number)


def test_pandas_is_imported_only_when_a_table_is_asked():
    code = ("import sys, sceneinfo; scene = sceneinfo.open(sys.argv[1]); before = 'pandas' in sys.modules; "
            "scene.nodes.to_pandas(); print(before, 'pandas' in sys.modules)")
    run = subprocess.run([sys.executable, "-c", code, DEMO], capture_output=True, text=True, check=True)
    assert run.stdout.split() == ["False", "True"]
    with pytest.raises(TypeError, match="Light records have no table"):
        sceneinfo.open(DEMO).lights.to_pandas()


@pytest.mark.parametrize("built_for", [(2, 7), (sys.version_info[0], sys.version_info[1] + 1)])
def test_a_module_built_for_another_python_names_both_versions(tmp_path, built_for):
    package = os.path.dirname(sceneinfo.__file__)
    copy = tmp_path / "sceneinfo"
    copy.mkdir()
    for name in os.listdir(package):
        if name.endswith(".py"):
            (copy / name).write_text(open(os.path.join(package, name)).read())
    version = (copy / "_version.py").read_text()
    (copy / "_version.py").write_text(re.sub(r"BUILT_FOR_PYTHON = \(.*\)", f"BUILT_FOR_PYTHON = {built_for}", version))
    run = subprocess.run([sys.executable, "-c", "import sceneinfo"], capture_output=True, text=True,
                         cwd=tmp_path, env={**os.environ, "PYTHONPATH": str(tmp_path)})
    this = f"{sys.version_info[0]}.{sys.version_info[1]}"
    assert run.returncode != 0
    assert (f"ImportError: sceneinfo was built for Python {built_for[0]}.{built_for[1]}, this is Python {this}"
            in run.stderr)
