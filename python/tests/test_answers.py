"""Every query answered through sceneinfo equals sci --json's answer, on the demo and
sample scenes: all 69 queries with good, truncated and out-of-range inputs."""

import threading

import numpy as np
import pytest

import sceneinfo
from conftest import DEMO, sample, sci_batch, sci_json

SCENES = ["demo", "dae-lights/lights.dae", "glb-2CylinderEngine/2CylinderEngine.glb",
          "fbx-skeleton-anim/maya_kenney_character_7700_binary.fbx", "3ds-camera-anim/CameraRollAnimWithChildObject.3ds",
          "obj-points-lines-faces/testmixed.obj", "x-skeleton-anim/BCN_Epileptic.X"]


def scene_path(name: str) -> str:
    return DEMO if name == "demo" else sample(name)


def all_queries(node_name: str) -> list[tuple]:
    """Each query with its inputs all 0, 1, 2, -1 and 99999, mixed where it has several,
    and with a node's name for a Node ID."""
    cases = []
    for query in sceneinfo.queries():
        kinds = [i["kind"] for i in query["inputs"]]
        variants = [[v] * len(kinds) for v in (0, 1, 2, -1, 99999)] if kinds else [[]]
        if len(kinds) > 1:
            variants.append([0, 1] + [0] * (len(kinds) - 2))
        if any(i["label"] == "Node ID" for i in query["inputs"]):
            variants.append([node_name if i["label"] == "Node ID" else 0 for i in query["inputs"]])
        for values in variants:
            inputs = [node_name if k == "Text" else v for k, v in zip(kinds, values)]
            cases.append((query["query"], *inputs))
    return cases + [("node-id", "no node has this name")]


def batch_line(case: tuple) -> str:
    """The query as a line of sci --batch: the name, then inputs, texts in double quotes."""
    quote = lambda text: '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'
    return " ".join([case[0]] + [quote(w) if isinstance(w, str) else repr(w) for w in case[1:]])


@pytest.mark.parametrize("name", SCENES)
def test_every_query_equals_sci(name):
    path = scene_path(name)
    scene = sceneinfo.open(path)
    cases = all_queries(scene.nodes[-1].name if len(scene.nodes) else "x")
    expected = sci_batch(path, [batch_line(case) for case in cases])
    assert len(expected) == len(cases)
    for case, answer in zip(cases, expected):
        assert scene.query(*case, check=False) == answer, case


@pytest.mark.parametrize("name", SCENES)
def test_summary_and_tree_equal_sci(name):
    path = scene_path(name)
    scene = sceneinfo.open(path)
    assert scene.summary == sci_json(path)[0]
    assert scene.tree == sci_json("--tree", path)[0]


def test_threads_share_a_scene_one_call_at_a_time():
    scene = sceneinfo.open(DEMO)
    cases = all_queries("Table")
    serial = [scene.query(*case, check=False) for case in cases]
    serial_geometry = [scene.geometry(i).positions for i in range(len(scene.geometries))]
    failures = []

    def ask_all():
        for _ in range(3):
            if [scene.query(*case, check=False) for case in cases] != serial:
                failures.append("query")
            for i, positions in enumerate(serial_geometry):
                if not np.array_equal(scene.geometry(i).positions, positions):
                    failures.append(f"geometry {i}")

    threads = [threading.Thread(target=ask_all) for _ in range(4)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []
