"""From an installed prefix, the module imports and answers with the plug-in and host
libraries of that prefix, found relative to itself."""

import os
import subprocess
import sys

from conftest import DEMO, sci_json

PROGRAM = """
import sceneinfo
scene = sceneinfo.open({demo!r})
answer = scene.query("node-count")
maps = open("/proc/self/maps").read().split()
print(repr(answer))
print([m for m in maps if m.endswith(("libSceneContainerInfo.so", "liborvhost.so", "_native" + {suffix!r}))])
"""


def test_installed_module_answers_from_its_prefix(tmp_path):
    prefix = tmp_path / "prefix"
    install = subprocess.run(["cmake", "--install", os.environ["SCI_BUILD_DIR"], "--prefix", str(prefix)],
                             capture_output=True, text=True, check=False)
    assert install.returncode == 0, install.stderr
    site = next(prefix.glob("lib*/python3*/*-packages"))
    suffix = next(site.glob("sceneinfo/_native*")).name[len("_native"):]
    env = dict(os.environ, PYTHONPATH=str(site))
    run = subprocess.run([sys.executable, "-c", PROGRAM.format(demo=DEMO, suffix=suffix)], cwd=tmp_path, env=env,
                         capture_output=True, text=True, check=True)
    answer, libraries = map(eval, run.stdout.splitlines())
    assert answer == sci_json(DEMO, "node-count")[0]
    assert len(set(libraries)) == 3 and all(lib.startswith(str(prefix) + "/") for lib in libraries)
