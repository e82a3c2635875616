#!/usr/bin/env python3
"""The JSON documents of every tool, held to the text report's promises.

For every sample, every cut of every sample (tilecut's image: every cut of its first 256
bytes, then one in 997), and every file of the fuzzing corpus, the document a tool prints with
--json must validate against the tool's schema in docs/schemas, end as the text report ends
(the same exit code), and name only values that are in the file: every field's offset and size
is checked against the file's bytes, not against the tool. For every cut of a sample, the
records before the break must be the whole sample's records.

    json_documents.py BUILD_DIR SOURCE_DIR
"""

import json
import pathlib
import struct
import subprocess
import sys
import tempfile

import jsonschema

BUILD, SOURCE = map(pathlib.Path, sys.argv[1:3])
TOOLS = {name: BUILD / name / name for name in ("skedump", "skndump", "bafdump", "surfstamp", "tilecut")}
SAMPLES = {"skedump": "skeleton.ske", "skndump": "skin.skn", "bafdump": "animation.baf",
           "surfstamp": "model.sm", "tilecut": "image.tga"}
failures = []
checked = {"documents": 0, "fields": 0}


def fail(what, message):
    failures.append(f"{what}: {message}")


def run(tool, args, folder):
    """Runs the tool with --json in `folder`: its exit code, its document and the document's text."""
    done = subprocess.run([str(TOOLS[tool]), "--json", *args], cwd=folder, capture_output=True,
                          timeout=60)
    if done.stderr:
        raise AssertionError(f"{tool} {args}: wrote to stderr: {done.stderr[:400]!r}")
    document = json.loads(done.stdout.decode("utf-8"), object_pairs_hook=ordered)
    return done.returncode, document, done.stdout


def check_written_back(what, tool, text, data, folder):
    """The dumpers: the document written back with -r is the file, byte for byte."""
    (folder / "doc.json").write_bytes(text)
    done = subprocess.run([str(TOOLS[tool]), "-r", "doc.json", "back"], cwd=folder,
                          capture_output=True, timeout=60)
    back = folder / "back"
    if done.returncode != 0 or done.stdout or done.stderr or back.read_bytes() != data:
        fail(what, f"-r: exit code {done.returncode}, {done.stdout[:300]!r}")
    back.unlink(missing_ok=True)


def ordered(pairs):
    keys = [key for key, _ in pairs]
    if len(keys) != len(set(keys)):
        raise AssertionError(f"duplicate keys in {keys}")
    return dict(pairs)


def little_endian(data, offset, size):
    raw = data[offset:offset + size]
    return int.from_bytes(raw, "little"), int.from_bytes(raw, "little", signed=True)


# The members that hold 32-bit floats, alone or as arrays of them. A float such as 1 is written
# as JSON writes it, without a point: the member, not the number, says it is a float.
FLOAT_MEMBERS = {"floats", "cFloats", "x", "y", "z", "weight"}


def check_fields(what, node, data, path=""):
    """Every {offset, size, value} and name field against the bytes of the file."""
    if isinstance(node, list):
        for i, item in enumerate(node):
            check_fields(what, item, data, f"{path}/{i}")
        return
    if not isinstance(node, dict):
        return
    if {"offset", "size"} <= node.keys() and ("value" in node or "hex" in node):
        offset, size = node["offset"], node["size"]
        checked["fields"] += 1
        if offset + size > len(data):
            fail(what, f"{path} lies beyond the file ({offset}+{size} > {len(data)})")
        elif "hex" in node:
            if node["hex"] != data[offset:offset + size].hex():
                fail(what, f"{path}: hex {node['hex']} is not the file's bytes")
        elif FLOAT_MEMBERS & set(path.split("/")[-2:]):
            check_float(what, node, data, path)
        elif node["value"] not in little_endian(data, offset, size):
            fail(what, f"{path}: {node['value']} is not the field's bytes {data[offset:offset + size].hex()}")
    for key, value in node.items():
        check_fields(what, value, data, f"{path}/{key}")


def check_float(what, node, data, path):
    raw = data[node["offset"]:node["offset"] + 4]
    if node["value"] is None:
        if node.get("bits") != raw[::-1].hex():
            fail(what, f"{path}: bits {node.get('bits')} are not the file's {raw.hex()}")
        return
    if struct.pack("<f", float(node["value"])) != raw:
        fail(what, f"{path}: {node['value']} does not read back to the file's bytes {raw.hex()}")


def check_every_byte(what, document, data):
    """The dumpers: the bytes after the last field, and those of a field the file ends in."""
    end = document["end"]
    if "unread" not in end:
        return
    unread = end["unread"]
    rest = data[unread["offset"]:]
    checked["fields"] += 1
    if unread["count"] != len(rest) or unread["firstBytes"] != rest[:16].hex():
        fail(what, f"unread: {unread['count']} bytes from {unread['offset']}, not the file's")
    if unread.get("bytes", rest.hex() if len(rest) <= 16 else None) != rest.hex():
        fail(what, "unread: bytes are not every byte after the last field")
    cut = bytes.fromhex(end.get("fieldBytes", ""))
    if cut and (end["outcome"] != "fileEndsEarly" or data[end["offset"] - len(cut):] != cut):
        fail(what, f"fieldBytes {cut.hex()} are not the bytes the file ends with")


def check_runs(what, document, data):
    """bafdump: each run's sample values against the sample words after its control word."""
    for bone in document.get("bones", []):
        for component in bone.get("components", []):
            for run in component.get("runs", []):
                for i, value in enumerate(run["values"]):
                    _, word = little_endian(data, run["offset"] + 2 + 2 * i, 2)
                    checked["fields"] += 1
                    # The shortest text that reads back to the same float32.
                    if struct.unpack("<f", struct.pack("<f", value))[0] != word / 32768:
                        fail(what, f"run at {run['offset']}: value {i} is {value}, not {word / 32768}")


def check_id_fields(what, document, data):
    """surfstamp: the id read at every id field's offset."""
    for field in document.get("idFields", []):
        checked["fields"] += 1
        if field["read"] != little_endian(data, field["offset"], 2)[0]:
            fail(what, f"id field at {field['offset']}: read {field['read']} is not the file's")


def same_records_before_the_break(what, cut, whole):
    """Every member and complete record of a cut file's document is the whole file's."""
    for key, value in cut.items():
        if key in ("file", "end"):
            continue
        if isinstance(value, list):
            for i, record in enumerate(value):
                if record.get("complete") and record != whole[key][i]:
                    fail(what, f"/{key}/{i} differs from the whole file's")
        elif value != whole.get(key):
            fail(what, f"/{key} differs from the whole file's")


def document_of(tool, data, folder, validator, what):
    """Writes `data` as the tool's input, runs it, and checks the document's schema and fields."""
    name = "in" + pathlib.Path(SAMPLES[tool]).suffix
    if tool == "tilecut":
        # The count and the options byte first, as the fuzzing harness takes them.
        mode = data[1] if len(data) > 1 else 0
        args = ["--any-tga"] * (mode & 1) + ["--dry-run"] * (mode >> 1 & 1)
        args += [name, str(data[0]) if data else "0"]
        (folder / name).write_bytes(data[2:])
        data = data[2:]
    else:
        args = [name, "42"] if tool == "surfstamp" else [name]
        (folder / name).write_bytes(data)
        if tool == "surfstamp":
            args = ["--dry-run", *args]
    exit_code, document, text = run(tool, args, folder)
    checked["documents"] += 1
    errors = sorted(validator.iter_errors(document), key=lambda e: e.path)
    for error in errors[:3]:
        fail(what, f"schema: {'/'.join(map(str, error.path))}: {error.message[:200]}")
    if list(document)[-1] != "end":
        fail(what, "the last member is not end")
    check_fields(what, document, data)
    if tool in ("skedump", "skndump", "bafdump"):
        check_every_byte(what, document, data)
        check_written_back(what, tool, text, data, folder)
    if tool == "bafdump":
        check_runs(what, document, data)
    if tool == "surfstamp":
        check_id_fields(what, document, data)
    for tile in folder.glob("Tx*.tga"):
        tile.unlink()
    return exit_code, document


def cuts(tool, size):
    if tool != "tilecut":
        return range(size)
    return [n for n in range(size) if n <= 256 or n % 997 == 0]


def main():
    with tempfile.TemporaryDirectory() as temp:
        folder = pathlib.Path(temp)
        subprocess.run([str(BUILD / "samples" / "make_samples"), temp], check=True,
                       capture_output=True)
        samples = {tool: (folder / name).read_bytes() for tool, name in SAMPLES.items()}
        work = folder / "work"
        work.mkdir()
        for tool in TOOLS:
            schema = json.loads((SOURCE / "docs" / "schemas" / f"{tool}.schema.json").read_text())
            validator = jsonschema.Draft202012Validator(schema)
            sample = bytes([4, 0]) + samples[tool] if tool == "tilecut" else samples[tool]
            _, whole = document_of(tool, sample, work, validator, f"{tool} sample")
            for length in cuts(tool, len(sample)):
                what = f"{tool} sample cut to {length} bytes"
                exit_code, cut = document_of(tool, sample[:length], work, validator, what)
                if tool in ("skedump", "skndump", "bafdump"):
                    if exit_code != 1 or cut["end"]["outcome"] != "fileEndsEarly":
                        fail(what, f"exit code {exit_code}, outcome {cut['end']['outcome']}")
                    same_records_before_the_break(what, cut, whole)
            for path in sorted((SOURCE / "tests" / "corpus" / tool).iterdir()):
                document_of(tool, path.read_bytes(), work, validator, f"{tool} corpus {path.name}")
    for failure in failures[:40]:
        print(failure)
    print(f"{checked['documents']} documents, {checked['fields']} fields checked against the files")
    print(f"{checked['documents'] - len({f.split(':')[0] for f in failures})} passed, "
          f"{len({f.split(':')[0] for f in failures})} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
