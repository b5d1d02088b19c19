"""The README's examples, run on the demo scene: every `build/bin/sci` line of its first sci block
succeeds and prints something, and every line of its Python block runs, giving the result its comment
shows where it shows one."""

import os
import re
import subprocess

import pytest

import sceneinfo
from conftest import DEMO, SCI

README = os.path.join(os.environ.get("SCI_SOURCE_DIR", ""), "README.md")


def block(opening: str) -> list[str]:
    """The lines of the README's first fenced block that starts with `opening`."""
    text = open(README, encoding="utf-8").read()
    start = text.index(opening)
    return text[start:text.index("```", start + len(opening))].splitlines()[1:]


def shown_result(comment: str):
    """The result a comment shows (a repr opening with <, { or ( up to its closing bracket, or
    `Error: message.`), or None where the comment only explains."""
    match = re.match(r"(\w+Error): (.+?\.)(\s|$)", comment)
    if match:
        return match.group(1), match.group(2)
    if not comment or comment[0] not in "<{(":
        return None
    closing = {"<": ">", "{": "}", "(": ")"}
    depth, quote = 0, None
    for end, c in enumerate(comment):
        if quote:
            quote = None if c == quote else quote
        elif c in "'\"":
            quote = c
        elif c in closing:
            depth += 1
        elif c in closing.values():
            depth -= 1
            if depth == 0:
                return comment[:end + 1]
    return None


def test_every_sci_example_runs_on_the_demo_scene(tmp_path):
    (tmp_path / "queries.txt").write_text("node-count\nnode-name 1\n")
    lines = [line.split("#")[0].split() for line in block("```sh\nbuild/bin/sci ") if line.startswith("build/bin/sci")]
    assert len(lines) >= 8
    for words in lines:
        args = [DEMO if re.fullmatch(r"model\.\w+", word) else word for word in words[1:]]
        run = subprocess.run([SCI, *args], capture_output=True, text=True, cwd=tmp_path, check=False)
        assert run.returncode == 0, (words, run.stderr)
        assert run.stdout.strip(), words
    assert any(name.endswith(".csv") for name in os.listdir(tmp_path / "t"))


def test_every_python_example_runs_and_shows_its_result():
    names = {"sceneinfo": sceneinfo, "path": DEMO, "paths": [DEMO]}
    checked = 0
    for line in block("```python\nimport sceneinfo"):
        # Loops, the with block and the library index need more than the demo scene.
        if not line or line.startswith((" ", "with ", "for ")) or "index_library" in line:
            continue
        code, _, comment = line.partition("  # ")
        code = code.strip().replace('"examples/demo/demo.gltf"', repr(DEMO))
        expected = shown_result(comment.strip())
        if isinstance(expected, tuple):
            with pytest.raises(getattr(sceneinfo, expected[0])) as raised:
                eval(code, names)
            assert str(raised.value) == expected[1], line
        elif expected is not None:
            pattern = ".*".join(re.escape(part) for part in expected.split("..."))
            assert re.fullmatch(pattern, repr(eval(code, names))), (line, repr(eval(code, names)))
        else:
            exec(code, names)
            continue
        checked += 1
    assert checked >= 5
