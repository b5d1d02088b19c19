"""Errors: files that cannot be read, inputs the channel rejects, calls that are wrong."""

import subprocess

import pytest

import sceneinfo
from conftest import DEMO, SCI, sci_json, slow_scene


@pytest.mark.parametrize("name, content", [("missing.gltf", None), ("", None), ("empty.obj", ""),
                                           ("damaged.gltf", '{"asset": {"version": "2.0"}, "nodes": [')],
                         ids=["missing", "folder", "empty", "damaged"])
def test_unreadable_scene_raises_with_path_and_reason(tmp_path, name, content):
    path = tmp_path / name
    if content is not None:
        path.write_text(content)
    with pytest.raises(sceneinfo.SceneReadError) as raised:
        sceneinfo.open(path)
    assert str(path) in str(raised.value) and raised.value.path == str(path)
    assert isinstance(raised.value, sceneinfo.Error)


@pytest.mark.parametrize("limit, option", [({"timeout": 0.05}, ["--timeout", "0.05"]),
                                           ({"max_memory": 1 << 20}, ["--max-memory", "1M"])])
def test_the_readers_limits_stop_it_as_sci_reports_it(tmp_path, limit, option):
    slow = slow_scene(tmp_path)
    run = subprocess.run([SCI, "--no-cache", *option, slow, "node-count"], capture_output=True, text=True, check=False)
    with pytest.raises(sceneinfo.SceneReadError) as raised:
        sceneinfo.open(slow, cache=False, **limit)
    assert run.returncode == 3 and run.stderr == f"sci: {raised.value}\n"


def test_snapshots_go_to_the_cache_folder_unless_the_cache_is_off(tmp_path):
    kept, unused = tmp_path / "kept", tmp_path / "unused"
    fresh = sceneinfo.open(DEMO, cache_dir=kept).summary
    assert len(list(kept.iterdir())) == 1
    assert sceneinfo.open(DEMO, cache_dir=kept).summary == fresh
    assert sceneinfo.open(DEMO, cache=False, cache_dir=unused).summary == fresh and not unused.exists()


@pytest.mark.parametrize("case", [("node-name", 999), ("node-child", 0, 99), ("geometry", -1), ("material", 50),
                                  ("animation-time", 0, 1000), ("surface-texture-type", 0, 7), ("light-name", 3)])
def test_bad_input_raises_the_channels_message(case):
    scene = sceneinfo.open(DEMO)
    expected = sci_json(DEMO, *map(str, case))[0]
    assert expected["messages"]
    with pytest.raises(sceneinfo.QueryInputError) as raised:
        scene.query(*case)
    assert raised.value.message == expected["messages"][0] and raised.value.answer == expected
    assert scene.query(*case, check=False) == expected


def test_a_node_name_no_node_has_raises_as_sci_reports_it():
    run = subprocess.run([SCI, DEMO, "node-name", "no such node"], capture_output=True, text=True, check=False)
    with pytest.raises(sceneinfo.QueryInputError) as raised:
        sceneinfo.open(DEMO).query("node-name", "no such node", check=False)
    assert run.returncode == 1 and run.stderr == f"sci: {raised.value}\n"


def test_geometry_with_a_bad_id_raises_the_channels_message():
    with pytest.raises(sceneinfo.QueryInputError) as raised:
        sceneinfo.open(DEMO).geometry(99)
    assert str(raised.value) == sci_json(DEMO, "geometry", "99")[0]["messages"][0]


@pytest.mark.parametrize("case, error, words", [
    (("node-chld", 0), ValueError, "unknown query 'node-chld'"),
    ((69,), ValueError, "unknown query '69'"),
    ((True,), TypeError, "not bool"),
    (("node-child", 0), TypeError, "takes 2 inputs (Node ID, Child number), 1 given"),
    (("node-child", 0, "1"), TypeError, "Child number must be a number, not str"),
    (("node-name", None), TypeError, "Node ID must be a number or a node's name, not NoneType"),
    (("node-id", 0), TypeError, "Node name must be a str"),
    (("node-name", float("nan")), ValueError, "must be a finite 32-bit float, not nan"),
    (("node-name", 1e39), ValueError, "not 1e+39"),
    (("node-name", 0.9), ValueError, "Node ID must be a whole number, not 0.9"),
    (("node-child", 0, 1.5), ValueError, "Child number must be a whole number, not 1.5"),
])
def test_wrong_calls_raise_python_errors(case, error, words):
    with pytest.raises(error) as raised:
        sceneinfo.open(DEMO).query(*case)
    assert words in str(raised.value)


@pytest.mark.parametrize("timeout", [-5, float("nan"), float("inf"), "10", None])
def test_a_timeout_that_is_no_time_is_refused_before_reading(timeout):
    with pytest.raises(ValueError, match="timeout must be a number of seconds"):
        sceneinfo.open(DEMO, timeout=timeout)
