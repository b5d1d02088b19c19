#!/usr/bin/env python3
"""Times the sceneinfo module from Python, against sci where sci does the same work.

    bench/sceneinfo_bench.py [BUILD_DIR]      (default: build)

1. scene.geometry(0) on a 1,050,021-vertex mesh, in vertices per CPU second.
2. scene.query per call, 100,000 mixed queries on a 20,000-node scene, against the
   per-query cost of sci --batch on the same mix (a 1,000,000-line run minus a one-line
   run, the fastest of three each).
3. A warm scene.query("node-name", 0) on the demo scene asked 100,000 times, against the
   per-query cost of sci --batch asking the same line (target: 1 us a query from Python).
4. sceneinfo.scan over the sample scenes (../shared/scenes) with 1 and 2 jobs, wall time.
Times are this process's CPU time (sci's: the child's user + system time) except for scan.
"""

import glob
import os
import resource
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
sys.path.insert(0, os.path.join(BUILD, "python"))
import sceneinfo  # noqa: E402

QUERIES = 100000
# sci answers so much faster than it imports that its batch needs ten times the
# lines for the queries' cost to stand out from the import's spread.
SCI_QUERIES = 1000000


def mixed_queries(count: int, nodes: int = 20000, meshes: int = 1000) -> list[tuple]:
    """Node, surface, geometry and material queries in turn, as sci's batch benchmark asks them."""
    cases = []
    for i in range(count):
        node, mesh = (i * 7919) % nodes, (i * 31) % meshes
        cases.append([("node-count",), ("node-name", node), ("node-child", 0, node % 8), ("node-id", f"node{node}"),
                      ("node-global-tm", node), ("parent-node", node), ("surface-material-id", mesh),
                      ("geometry-vertex-count", mesh), ("node-child-count", node), ("material-name", 0)][i % 10])
    return cases


def sci_cpu_seconds(batch: str, scene: str) -> float:
    """The fastest of three sci --batch runs, in CPU seconds."""
    runs = []
    for _ in range(3):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run([os.path.join(BUILD, "bin", "sci"), "--batch", batch, scene], stdout=subprocess.DEVNULL,
                       check=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        runs.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
    return min(runs)


def bench_geometry(folder: str) -> None:
    mesh = os.path.join(folder, "mesh.glb")
    subprocess.run([os.path.join(BUILD, "bin", "sceneinfo_bench"), f"--write-mesh={mesh}"], check=True)
    scene = sceneinfo.open(mesh)
    scene.geometry(0)
    calls, start = 5, time.process_time()
    for _ in range(calls):
        vertices = len(scene.geometry(0))
    seconds = (time.process_time() - start) / calls
    print(f"geometry: {vertices} vertices in {seconds * 1e3:.1f} ms CPU, {vertices / seconds / 1e6:.1f} M vertices/s")


def bench_query(folder: str) -> None:
    scene_file = os.path.join(folder, "tree.glb")
    subprocess.run([os.path.join(BUILD, "bin", "import_bench"), f"--write-generated={scene_file}"], check=True)
    batch, single = os.path.join(folder, "mixed.txt"), os.path.join(folder, "single.txt")
    line = lambda case: " ".join([case[0]] + [f'"{w}"' if isinstance(w, str) else str(w) for w in case[1:]])
    with open(batch, "w") as out:
        out.writelines(line(case) + "\n" for case in mixed_queries(SCI_QUERIES))
    with open(single, "w") as out:
        out.write(line(mixed_queries(1)[0]) + "\n")
    sci_per_query = (sci_cpu_seconds(batch, scene_file) - sci_cpu_seconds(single, scene_file)) / SCI_QUERIES

    cases = mixed_queries(QUERIES)

    scene = sceneinfo.open(scene_file)
    start = time.process_time()
    for case in cases:
        scene.query(*case)
    python_per_query = (time.process_time() - start) / QUERIES
    print(f"query: {python_per_query * 1e6:.2f} us per call from Python, sci --batch {sci_per_query * 1e6:.2f} us "
          f"per query ({python_per_query / sci_per_query:.1f} x)")


def bench_node_name(folder: str) -> None:
    demo = os.path.join(ROOT, "examples", "demo", "demo.gltf")
    batch, single = os.path.join(folder, "names.txt"), os.path.join(folder, "name.txt")
    with open(batch, "w") as out:
        out.writelines("node-name 0\n" for _ in range(SCI_QUERIES))
    with open(single, "w") as out:
        out.write("node-name 0\n")
    sci_per_query = (sci_cpu_seconds(batch, demo) - sci_cpu_seconds(single, demo)) / SCI_QUERIES

    scene = sceneinfo.open(demo)
    timings = {}
    for name, ask in (("Scene.query", scene.query), ("native query", scene._native.query)):
        ask("node-name", 0)
        runs = []
        for _ in range(3):
            start = time.process_time()
            for _ in range(QUERIES):
                ask("node-name", 0)
            runs.append((time.process_time() - start) / QUERIES)
        timings[name] = min(runs)
    figures = ", ".join(f"{name} {seconds * 1e6:.2f} us" for name, seconds in timings.items())
    verdict = "met" if timings["Scene.query"] <= 1e-6 else "missed"
    print(f"node-name: {figures} per call from Python (target 1 us: {verdict}), sci --batch "
          f"{sci_per_query * 1e6:.2f} us per query")


def bench_scan() -> None:
    samples = os.path.join(ROOT, "..", "shared", "scenes")
    extensions = set(sceneinfo.supported_extensions())
    paths = sorted(p for p in glob.glob(os.path.join(samples, "*", "*")) if os.path.splitext(p)[1].lower() in extensions)
    if not paths:
        print(f"scan: skipped, no sample scenes at {samples}")
        return
    for jobs in (1, 2):
        start = time.monotonic()
        failed = sum(not record["ok"] for record in sceneinfo.scan(paths, jobs=jobs))
        seconds = time.monotonic() - start
        print(f"scan: {len(paths)} files ({failed} failed) with {jobs} job(s) in {seconds:.2f} s wall")


def main() -> None:
    with tempfile.TemporaryDirectory(prefix="sceneinfo-bench-") as folder:
        bench_geometry(folder)
        bench_query(folder)
        bench_node_name(folder)
    bench_scan()


if __name__ == "__main__":
    main()
