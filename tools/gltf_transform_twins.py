#!/usr/bin/env python3
"""Each glTF file, compressed by glTF-Transform (quantize, meshopt, draco),
answers as its plain twin: the variant itself decoded to floats by
glTF-Transform (dequantize), which keeps its nodes and transforms. Compares
counts, the scene box, and every geometry's vertex count and box, within
1e-4 of the largest coordinate, as sci answers them.

  tools/gltf_transform_twins.py GLTF_TRANSFORM SCI FILE...

GLTF_TRANSFORM is the glTF-Transform command line (npm @gltf-transform/cli,
installed by hand: this project takes npm packages for its page only).
Exits 1 when any variant differs from its twin."""
import json
import os
import subprocess
import sys
import tempfile

COUNTS = ["node-count", "geometry-count", "surface-count", "material-count", "texture-count", "camera-count",
          "light-count"]


def answers(sci, path):
    """The counts, scene box and per-geometry answers of `path`."""
    def batch(lines):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
            f.write("\n".join(lines) + "\n")
        out = subprocess.run([sci, "--no-cache", "--json", "--batch", f.name, path], capture_output=True, text=True)
        os.unlink(f.name)
        if out.returncode != 0:
            raise RuntimeError(f"{path}: {out.stderr.strip()}")
        return [list(json.loads(line)["outputs"].values()) for line in out.stdout.splitlines()]
    first = batch(COUNTS + ["scene-bounding-box"])
    counts = [o[0] for o in first[:len(COUNTS)]]
    geometries = int(counts[1])
    per = batch([q for g in range(geometries) for q in (f"geometry-vertex-count {g}", f"geometry-bounding-box {g}")])
    return counts, first[-1], per


def differences(variant, twin):
    (vc, vbox, vper), (tc, tbox, tper) = variant, twin
    found = [f"{name}: {a} vs {b}" for name, a, b in zip(COUNTS, vc, tc) if a != b]
    scale = max(abs(x) for corner in tbox for x in corner) or 1.0
    allowed = 1e-4 * scale
    near = lambda a, b: all(abs(x - y) <= allowed for ca, cb in zip(a, b) for x, y in zip(ca, cb))
    if not near(vbox, tbox):
        found.append(f"scene box: {vbox} vs {tbox}")
    for i, (a, b) in enumerate(zip(vper, tper)):
        if (i % 2 == 0 and a != b) or (i % 2 == 1 and not near(a, b)):
            found.append(f"geometry {i // 2} {'vertex count' if i % 2 == 0 else 'box'}: {a} vs {b}")
    return found


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    tool, sci, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = checked = 0
    with tempfile.TemporaryDirectory() as work:
        for source in files:
            for variant in ("quantize", "meshopt", "draco"):
                made = os.path.join(work, f"{variant}.glb")
                twin = os.path.join(work, f"{variant}-twin.glb")
                for command in ([tool, variant, source, made], [tool, "dequantize", made, twin]):
                    run = subprocess.run(command, capture_output=True, text=True)
                    if run.returncode != 0:
                        print(f"{source} {variant}: {' '.join(command[:2])} failed: {run.stderr.strip()[:200]}")
                        failed += 1
                        break
                else:
                    try:
                        found = differences(answers(sci, made), answers(sci, twin))
                    except RuntimeError as error:
                        found = [str(error)]
                    checked += 1
                    status = "same" if not found else "DIFFERENT: " + "; ".join(found[:5])
                    print(f"{os.path.basename(source)} {variant}: {status}")
                    failed += bool(found)
    print(f"{checked} variants compared, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
