#!/usr/bin/env python3
"""--diff on pairs of the samples, the second of each written back with -r from an edited
document: each edit must show as just the differences it makes, in the text and in the JSON
document alike, and the document must validate against docs/schemas/diff.schema.json.

    diff_pairs.py SOURCE_DIR MAKE_SAMPLES TOOLS_DIR"""

import copy
import json
import pathlib
import subprocess
import sys
import tempfile

import jsonschema

SOURCE, MAKE_SAMPLES, TOOLS = map(pathlib.Path, sys.argv[1:4])
SCHEMA = jsonschema.Draft202012Validator(
    json.loads((SOURCE / "docs" / "schemas" / "diff.schema.json").read_text()))


def run(tool, *args):
    return subprocess.run([str(TOOLS / tool), *map(str, args)], capture_output=True)


def longer_name(doc):
    name = doc["bones"][1]["name"]["text"] + "_l"
    doc["bones"][1]["name"] = name
    doc["bones"][1]["nameLength"] = len(name)


def added_bone(doc):
    doc["bones"].append(copy.deepcopy(doc["bones"][2]))
    doc["boneCount"] = len(doc["bones"])


def added_half_vertex(doc):
    vertex = copy.deepcopy(doc["vertices"][0])
    vertex["weight"] = 0.5
    vertex["extension"] = {"flags": [1, 2], "weight": 0.5, "cFloats": [1, 2, 3]}
    doc["vertices"].append(vertex)
    doc["vertexCount"] = len(doc["vertices"])


def split_first_run(doc):
    """The first component's first literal run as two runs: the same samples, coded otherwise."""
    runs = doc["bones"][0]["components"][0]["runs"]
    values = runs[0]["values"]
    half = len(values) // 2
    runs[0:1] = [{"control": len(values[:half]), "values": values[:half]},
                 {"control": len(values[half:]), "values": values[half:]}]


def changed_sample(doc):
    runs = doc["bones"][1]["components"][0]["runs"]
    runs[0]["values"][1] = 0.5


# (tool, sample, edit, the differences it makes: (field, kind, frame))
PAIRS = [
    ("skedump", "skeleton.ske", lambda d: d["bones"][0]["floats"].__setitem__(3, 0.25),
     [("/bones/0/floats/3", None, None)]),
    ("skedump", "skeleton.ske", longer_name,
     [("/bones/1/nameLength", None, None), ("/bones/1/name", None, None)]),
    ("skedump", "skeleton.ske", added_bone,
     [("/boneCount", None, None), ("/bones/24", "added", None)]),
    ("skndump", "skin.skn", added_half_vertex,
     [("/vertexCount", None, None), ("/vertices/3192", "added", None)]),
    ("bafdump", "animation.baf", split_first_run,
     [("/bones/0/components/0/runs", "otherCoding", None)]),
    ("bafdump", "animation.baf", changed_sample, [("/bones/1/components/0", None, 2)]),
]

failures = []


def check(what, tool, a, b, expected):
    text = run(tool, "--diff", a, b)
    document = run(tool, "--diff", "--json", a, b)
    code = 1 if expected else 0
    if text.returncode != code or document.returncode != code or text.stderr or document.stderr:
        failures.append(f"{what}: exit codes {text.returncode} and {document.returncode}, "
                        f"{text.stderr + document.stderr}")
        return
    doc = json.loads(document.stdout)
    for error in SCHEMA.iter_errors(doc):
        failures.append(f"{what}: schema: {error.message[:200]}")
    found = [(d["field"], d.get("kind"), d.get("frame")) for d in doc["differences"]]
    if found != expected:
        failures.append(f"{what}: {found}, not {expected}")
    lines = text.stdout.decode().splitlines()
    counts = f"{doc['end']['compared']} fields compared, {len(expected)} differ"
    if lines[-1] != counts or [line.split(":")[0].split(",")[0] for line in lines[:-1]] != \
            [field for field, _, _ in expected]:
        failures.append(f"{what}: the text says {lines}")


with tempfile.TemporaryDirectory() as temp:
    temp = pathlib.Path(temp)
    subprocess.run([str(MAKE_SAMPLES), str(temp)], check=True, capture_output=True)
    for number, (tool, sample, edit, expected) in enumerate(PAIRS):
        document = json.loads(run(tool, "--json", temp / sample).stdout)
        edit(document)
        edited = temp / f"edited{number}.json"
        edited.write_text(json.dumps(document))
        written = temp / f"{number}-{sample}"
        if run(tool, "-r", edited, written).returncode != 0:
            failures.append(f"{sample}, edit {number}: -r refuses the edited document")
            continue
        check(f"{sample}, edit {number}", tool, temp / sample, written, expected)
        check(f"{sample} with itself", tool, temp / sample, temp / sample, [])
    cut = temp / "cut.baf"
    cut.write_bytes((temp / "animation.baf").read_bytes()[:500])
    check("a cut animation", "bafdump", temp / "animation.baf", cut, [("/end", "end", None)])
    missing = run("skndump", "--diff", "--json", temp / "skin.skn", temp / "missing.skn")
    if missing.returncode != 2 or list(SCHEMA.iter_errors(json.loads(missing.stdout))):
        failures.append(f"a missing file: exit code {missing.returncode}, {missing.stdout}")

for failure in failures:
    print(failure)
print(f"{len(PAIRS) * 2 + 2} comparisons, {len(failures)} failures")
sys.exit(1 if failures else 0)
