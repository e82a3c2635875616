#!/usr/bin/env python3
"""The JSON documents of every tool, held to the text report's promises.

For every sample, every cut of every sample (tilecut's image: every cut of its first 256
bytes, then one in 997), and every file of the fuzzing corpus, the document a tool prints with
--json must validate against the tool's schema in docs/schemas, end as the text report ends
(the same exit code), and name only values that are in the file: every field's offset and size
is checked against the file's bytes, not against the tool. For every cut of a sample, the
records before the break must be the whole sample's records.

    json_documents.py BUILD_DIR SOURCE_DIR [TOOL...]

With TOOL names, only their documents (the test command runs one tool a test, side by side).
"""

import json
import pathlib
import struct
import subprocess
import sys
import tempfile

import jsonschema

from tool_batch import run_batch

BUILD, SOURCE = map(pathlib.Path, sys.argv[1:3])
TOOLS = ("skedump", "skndump", "bafdump", "surfstamp", "tilecut")
CHOSEN = sys.argv[3:] or list(TOOLS)
SAMPLES = {"skedump": "skeleton.ske", "skndump": "skin.skn", "bafdump": "animation.baf",
           "surfstamp": "model.sm", "tilecut": "image.tga"}
failures = []
checked = {"documents": 0, "fields": 0}


def fail(what, message):
    failures.append(f"{what}: {message}")


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


def job_of(tool, data, folder):
    """Writes `data` as the tool's input into `folder`: the arguments of its --json run, and the
    bytes its document describes."""
    folder.mkdir()
    name = "in" + pathlib.Path(SAMPLES[tool]).suffix
    if tool == "tilecut":
        # The count and the options byte first, as the fuzzing harness takes them.
        mode = data[1] if len(data) > 1 else 0
        args = ["--any-tga"] * (mode & 1) + ["--dry-run"] * (mode >> 1 & 1)
        args += [name, str(data[0]) if data else "0"]
        data = data[2:]
    elif tool == "surfstamp":
        args = ["--dry-run", name, "42"]
    else:
        args = [name]
    (folder / name).write_bytes(data)
    return ["--json", *args], data


def check_document(what, tool, text, data, validator):
    """The document's schema, its last member and every field against the file's bytes."""
    document = json.loads(text.decode("utf-8"), object_pairs_hook=ordered)
    checked["documents"] += 1
    errors = sorted(validator.iter_errors(document), key=lambda e: e.path)
    for error in errors[:3]:
        fail(what, f"schema: {'/'.join(map(str, error.path))}: {error.message[:200]}")
    if list(document)[-1] != "end":
        fail(what, "the last member is not end")
    check_fields(what, document, data)
    if tool in ("skedump", "skndump", "bafdump"):
        check_every_byte(what, document, data)
    if tool == "bafdump":
        check_runs(what, document, data)
    if tool == "surfstamp":
        check_id_fields(what, document, data)
    return document


def check_written_back(tool, files, texts):
    """The dumpers: each document written back with -r is its file, byte for byte."""
    jobs = []
    for (_, data, folder), text in zip(files, texts):
        (folder / "doc.json").write_bytes(text)
        jobs.append((folder, ["-r", "doc.json", "back"]))
    for (what, data, folder), (code, out) in zip(files, run_batch(BUILD, tool, jobs)):
        back = folder / "back"
        if code != 0 or out or not back.exists() or back.read_bytes() != data:
            fail(what, f"-r: exit code {code}, {out[:300]!r}")


def check_tool(tool, sample, folder):
    """Every document of the tool: its sample, every cut of it and every corpus file."""
    schema = json.loads((SOURCE / "docs" / "schemas" / f"{tool}.schema.json").read_text())
    validator = jsonschema.Draft202012Validator(schema)
    inputs = [(f"{tool} sample", sample)]
    inputs += [(f"{tool} sample cut to {length} bytes", sample[:length])
               for length in cuts(tool, len(sample))]
    inputs += [(f"{tool} corpus {path.name}", path.read_bytes())
               for path in sorted((SOURCE / "tests" / "corpus" / tool).iterdir())]
    files, jobs = [], []
    for i, (what, data) in enumerate(inputs):
        args, described = job_of(tool, data, folder / str(i))
        files.append((what, described, folder / str(i)))
        jobs.append((folder / str(i), args))
    results = run_batch(BUILD, tool, jobs)
    documents = [check_document(what, tool, text, data, validator)
                 for (what, data, _), (_, text) in zip(files, results)]
    whole = documents[0]
    for (what, _, _), (exit_code, _), document in zip(files, results, documents):
        if tool in ("skedump", "skndump", "bafdump") and what.startswith(f"{tool} sample cut"):
            if exit_code != 1 or document["end"]["outcome"] != "fileEndsEarly":
                fail(what, f"exit code {exit_code}, outcome {document['end']['outcome']}")
            same_records_before_the_break(what, document, whole)
    if tool in ("skedump", "skndump", "bafdump"):
        check_written_back(tool, files, [text for _, text in results])


def cuts(tool, size):
    if tool != "tilecut":
        return range(size)
    return [n for n in range(size) if n <= 256 or n % 997 == 0]


def main():
    with tempfile.TemporaryDirectory() as temp:
        folder = pathlib.Path(temp)
        subprocess.run([str(BUILD / "samples" / "make_samples"), "--small", temp], check=True,
                       capture_output=True)
        for tool in CHOSEN:
            sample = (folder / SAMPLES[tool]).read_bytes()
            if tool == "tilecut":
                sample = bytes([4, 0]) + sample
            (folder / tool).mkdir()
            check_tool(tool, sample, folder / tool)
    for failure in failures[:40]:
        print(failure)
    print(f"{checked['documents']} documents, {checked['fields']} fields checked against the files")
    print(f"{checked['documents'] - len({f.split(':')[0] for f in failures})} passed, "
          f"{len({f.split(':')[0] for f in failures})} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
