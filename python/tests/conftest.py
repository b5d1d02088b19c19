"""Shared fixtures: the built sci, the demo scene and the sample scenes (skipped when absent)."""

import json
import os
import subprocess

import pytest

SCI = os.environ.get("SCI_EXECUTABLE", "")
DEMO = os.environ.get("SCI_DEMO_SCENE", "")
SAMPLES = os.environ.get("SCI_SAMPLE_SCENES_DIR", "")
FAILING_SAMPLE = "fails-fbx-6100/max2009_cube_texture_6100_ascii.fbx"


def sample(relative: str) -> str:
    """The path of a sample scene; skips the test when the samples are absent."""
    path = os.path.join(SAMPLES, relative)
    if not os.path.isdir(SAMPLES):
        pytest.skip(f"sample scenes not found at {SAMPLES!r}")
    return path


def slow_scene(folder) -> str:
    """An OBJ of 300,000 triangles as text: far slower to read than the demo scene."""
    path = folder / "slow.obj"
    count = 300000
    path.write_text("".join(f"v {i % 1000} {i // 1000} 0\n" for i in range(count)) +
                    "".join(f"f {i + 1} {i + 2} {i + 3}\n" for i in range(count - 2)))
    return str(path)


def sci_json(*args: str) -> list[dict]:
    """sci's JSON lines for ``args``, whatever its exit code."""
    run = subprocess.run([SCI, "--json", *args], capture_output=True, text=True, check=False)
    return [json.loads(line) for line in run.stdout.splitlines()]


def sci_batch(scene: str, lines: list[str]) -> list[dict]:
    run = subprocess.run([SCI, "--json", "--batch", "-", scene], input="\n".join(lines) + "\n",
                         capture_output=True, text=True, check=False)
    return [json.loads(line) for line in run.stdout.splitlines()]
