"""From an installed prefix, the module imports and answers with the plug-in, host
libraries and import helper of that prefix, found relative to itself, and nothing of
the build tree."""

import os
import subprocess
import sys

from conftest import DEMO, sci_json

PROGRAM = """
import sceneinfo
scene = sceneinfo.open({demo!r})
print(repr(scene.query("node-count")))
print(repr(sorted({{line.split()[-1] for line in open("/proc/self/maps") if ".so" in line}})))
"""


def test_installed_module_answers_from_its_prefix(tmp_path):
    build = os.environ["SCI_BUILD_DIR"]
    prefix = tmp_path / "prefix"
    install = subprocess.run(["cmake", "--install", build, "--prefix", str(prefix)],
                             capture_output=True, text=True, check=False)
    assert install.returncode == 0, install.stderr
    site = next(prefix.glob("lib*/python3*/*-packages"))
    helper = os.path.realpath(site / "sceneinfo" / "sci-import")
    assert helper.startswith(str(prefix) + "/") and os.access(helper, os.X_OK)
    run = subprocess.run([sys.executable, "-c", PROGRAM.format(demo=DEMO)], cwd=tmp_path,
                         env=dict(os.environ, PYTHONPATH=str(site)), capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stderr
    answer, libraries = map(eval, run.stdout.splitlines())
    assert answer == sci_json(DEMO, "node-count")[0]
    ours = [lib for lib in libraries if lib.startswith(str(prefix) + "/")]
    assert any("/sceneinfo/_native" in lib for lib in ours)
    assert any(os.path.basename(lib).startswith("libSceneContainerInfo") for lib in ours)
    assert not [lib for lib in libraries if lib.startswith(build + "/")]
