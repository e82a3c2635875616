#!/usr/bin/env python3
"""The pictures of bafdump --svg and skndump --svg, held to the bytes of the files they draw.

Every picture must parse as XML with an SVG root, end with the text report's exit code, and draw
only what the file holds: the points of every panel and view are read back through the scale the
picture itself states (its urn:assettools:picture attributes) and compared with the samples or
positions decoded here from the file. The files: the samples, every cut of them, fixtures made
here (long animations drawn as columns, runs past the frame count, names of every byte, skins of
many vertices and bones, positions that are not finite), and the fuzzing corpus. rsvg-convert
(librsvg2-bin) renders the samples' and the fixtures' pictures without a word on stderr.

    svg_pictures.py BUILD_DIR SOURCE_DIR [TOOL]

With a TOOL, only its pictures (the test command runs one tool a test, side by side).
"""

import math
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from tool_batch import run_batch

BUILD, SOURCE = map(pathlib.Path, sys.argv[1:3])
CHOSEN = sys.argv[3:] or ["bafdump", "skndump"]
SAMPLES = {"bafdump": "animation.baf", "skndump": "skin.skn"}
SVG = "{http://www.w3.org/2000/svg}"
AT = "{urn:assettools:picture}"
TOLERANCE = 0.011  # coordinates are written to two decimals
failures = []


def fail(what, message):
    failures.append(f"{what}: {message}")


def close(a, b, tolerance=TOLERANCE):
    return abs(a - b) <= tolerance


def number(text):
    return float(text)


def f32(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def exact(value):
    """Reads the shortest float text the pictures' titles use."""
    return struct.unpack("<f", struct.pack("<f", float(value)))[0]


def same(a, b):
    """Float sequences alike, a NaN (whose payload no title shows) alike any NaN."""
    return len(a) == len(b) and all(x == y or (math.isnan(x) and math.isnan(y)) for x, y in zip(a, b))


# --- animations -------------------------------------------------------------------------------

def read_animation(data):
    """The samples of every component as the file holds them: {(bone, component): [(frame, value,
    repeated)]}, the frame count, and whether the walk got through the names."""
    samples, at = {}, 0

    def take(fmt):
        nonlocal at
        size = struct.calcsize(fmt)
        if at + size > len(data):
            raise EOFError
        value = struct.unpack_from(fmt, data, at)
        at += size
        return value[0]

    frames = None
    try:
        header, bones = take("<i"), take("<H")
        if header != 3:
            return samples, frames
        for _ in range(bones):
            length = take("<H")
            if length > 31:
                return samples, frames
            at += length
            if at > len(data):
                raise EOFError
        frames, _ = take("<i"), take("<B")
        for bone in range(1, bones + 1):
            take("<H")
            for component in range(1, 8):
                points = samples.setdefault((bone, component), [])
                take("<H")
                frame = 1
                while frame <= frames:
                    control = take("<H")
                    repeat, length = bool(control & 0x80), control & 0x7F
                    if repeat:
                        value = take("<h") / 32768
                        points += [(frame + i, value, True) for i in range(length)]
                    else:
                        for i in range(length):
                            points.append((frame + i, take("<h") / 32768, False))
                    frame += length
    except EOFError:
        pass
    return samples, frames


def check_animation(what, svg, data):
    samples, frames = read_animation(data)
    drawn = {}
    for panel in svg.iter(f"{SVG}g"):
        if panel.get(f"{AT}component") is None:
            continue
        key = (int(panel.get(f"{AT}bone")), int(panel.get(f"{AT}component")))
        if int(panel.get(f"{AT}frameCount")) != frames:
            fail(what, f"panel {key}: frame count {panel.get(f'{AT}frameCount')}, not {frames}")
        drawn[key] = panel
        check_panel(f"{what} bone {key[0]} component {key[1]}", panel, samples.get(key, []), frames)
    # Every component whose prefix word was read has a panel, and no other.
    if set(drawn) - set(samples):
        fail(what, f"panels of components not in the file: {sorted(set(drawn) - set(samples))}")


def check_panel(what, panel, points, frames):
    first = number(panel.get(f"{AT}firstFrameX", "0"))
    last = number(panel.get(f"{AT}lastFrameX", "0"))
    zero, unit = number(panel.get(f"{AT}zeroY")), number(panel.get(f"{AT}unitHeight"))

    def x_of(frame):
        return first if frames == 1 else first + (frame - 1) * (last - first) / (frames - 1)

    within = [p for p in points if p[0] <= frames]
    past = [p for p in points if p[0] > frames]
    circles = panel.findall(f"{SVG}circle")
    columns = panel.findall(f"{SVG}path")
    if frames <= 160:
        if len(circles) != len(within) or columns:
            fail(what, f"{len(circles)} sample points for {len(within)} samples")
        for circle, (frame, value, _) in zip(circles, within):
            title = circle.find(f"{SVG}title").text
            if title != f"frame {frame}: {title.split(': ')[1]}" or exact(title.split(": ")[1]) != value:
                fail(what, f"point {title!r} for frame {frame}, value {value!r}")
            if not close(number(circle.get("cx")), x_of(frame)) or \
                    not close(number(circle.get("cy")), zero - value * unit):
                fail(what, f"frame {frame} drawn at {circle.get('cx')},{circle.get('cy')}")
    else:
        check_columns(what, columns, within, x_of, zero, unit, first, frames)
    check_repeats(what, panel, points, frames, x_of, zero, unit)
    past_lines = [p for p in panel.findall(f"{SVG}polyline") if p.get("class") == "past"]
    drawn_past = len(past_lines[0].get("points").split()) if past_lines else 0
    if drawn_past != len(past):
        fail(what, f"{drawn_past} points past the frame count for {len(past)} samples")


def check_columns(what, columns, within, x_of, zero, unit, left, frames):
    """Each pixel column: its frames, their least and greatest sample, and its stroke."""
    by_column = {}
    for frame, value, _ in within:
        by_column.setdefault((frame - 1) * 160 // frames, []).append((frame, value))
    if len(columns) != len(by_column):
        fail(what, f"{len(columns)} columns for {len(by_column)}")
        return
    for path, (column, members) in zip(columns, sorted(by_column.items())):
        values = [v for _, v in members]
        title = path.find(f"{SVG}title").text
        frames_text, values_text = title.split(": ")
        low, high = (exact(v) for v in values_text.split(" to "))
        span = (f"frame {members[0][0]}" if len(members) == 1
                else f"frames {members[0][0]} to {members[-1][0]}")
        if frames_text != span or low != min(values) or high != max(values):
            fail(what, f"column {column}: {title!r}, the file: {span}, {min(values)} to {max(values)}")
        m = re.fullmatch(r"M([-\d.]+) ([-\d.]+)V([-\d.]+)", path.get("d"))
        x, top, bottom = map(float, m.groups())
        if not close(x, left + column + 0.5) or not close(top, zero - high * unit) or \
                not close(bottom, max(zero - low * unit, top + 1)):
            fail(what, f"column {column} drawn as {path.get('d')}")


def check_repeats(what, panel, points, frames, x_of, zero, unit):
    """A repeat run's line spans its frames, up to the frame count, at its value."""
    for line in panel.findall(f"{SVG}line"):
        if line.get("class") != "repeat":
            continue
        title = line.find(f"{SVG}title").text
        m = re.fullmatch(r"frames (\d+) to (\d+): (\S+), one repeat run", title)
        first, last, value = int(m[1]), int(m[2]), exact(m[3])
        run = [p for p in points if first <= p[0] <= last]
        if len(run) != last - first + 1 or any(v != value or not r for _, v, r in run) or last > frames:
            fail(what, f"{title!r} is not a repeat run of the file")
        expected = (x_of(first), zero - value * unit, x_of(last), zero - value * unit)
        drawn = tuple(number(line.get(k)) for k in ("x1", "y1", "x2", "y2"))
        if not all(close(a, b) for a, b in zip(drawn, expected)):
            fail(what, f"{title!r} drawn at {drawn}")


# --- skins ------------------------------------------------------------------------------------

def read_skin(data):
    """The vertices the picture may draw: (number, (x, y, z), bone, weight, envelope floats read)."""
    vertices, at, count = [], 0, 0

    def take(fmt):
        nonlocal at
        size = struct.calcsize(fmt)
        if at + size > len(data):
            raise EOFError
        value = struct.unpack_from(fmt, data, at)[0]
        at += size
        return value

    try:
        if take("<i") != 1:
            take("<i")
            return vertices
        count = take("<i")
        for number_ in range(1, count + 1):
            x, z, y = take("<f"), take("<f"), take("<f")
            take("<b")
            bone = take("<b")
            take("<b")
            weight = take("<f")
            vertices.append([number_, (x, y, z), bone, weight, []])
            for _ in range(3):
                vertices[-1][4].append(take("<f"))
            if weight not in (1.0, 0.5):
                break
            if weight == 0.5:
                at += 18
                if at > len(data):
                    raise EOFError
    except EOFError:
        pass
    return vertices


AXES = {"x": 0, "y": 1, "z": 2}


def check_skin(what, svg, data):
    vertices = [v for v in read_skin(data) if all(math.isfinite(c) for c in v[1])]
    views = [g for g in svg.iter(f"{SVG}g") if g.get(f"{AT}view")]
    if [g.get(f"{AT}view") for g in views] != ["front", "side", "top"]:
        fail(what, f"views {[g.get(f'{AT}view') for g in views]}")
        return
    bones = sorted({v[2] for v in vertices})
    legend = [t.text for t in svg.iter(f"{SVG}text") if t.text and t.text.startswith("bone ")]
    expected_legend = []
    for bone in bones:
        mine = [v for v in vertices if v[2] == bone]
        halves = sum(1 for v in mine if v[3] == 0.5)
        expected_legend.append(f"bone {bone}: {len(mine)} vertices" +
                               (f", {halves} of weight 0.5" if halves else ""))
    if legend != expected_legend:
        fail(what, f"legend {legend[:4]}, the file's {expected_legend[:4]}")
    for view in views:
        check_view(f"{what} {view.get(f'{AT}view')}", view, vertices, bones)


def check_view(what, view, vertices, bones):
    left, bottom = number(view.get(f"{AT}left")), number(view.get(f"{AT}bottom"))
    across_low, up_low = number(view.get(f"{AT}acrossLow")), number(view.get(f"{AT}upLow"))
    scale = number(view.get(f"{AT}scale"))
    across, up = AXES[view.get(f"{AT}across")], AXES[view.get(f"{AT}up")]

    def place(v):
        return left + (v[1][across] - across_low) * scale, bottom - (v[1][up] - up_low) * scale

    marks = [e for e in view if e.tag in (f"{SVG}circle", f"{SVG}path")]
    if len(vertices) <= 2000:
        if len(marks) != len(vertices):
            fail(what, f"{len(marks)} marks for {len(vertices)} vertices")
            return
        for mark, vertex in zip(marks, vertices):
            check_vertex_mark(what, mark, vertex, place(vertex), bones)
        return
    # Many vertices: every bone's marks are its vertices' pixels, each at least once.
    expected = set()
    for v in vertices:
        x, y = place(v)
        expected.add((math.floor(x + 0.5), math.floor(y + 0.5), bones.index(v[2]), v[3] == 0.5))
    drawn = set()
    for mark in marks:
        colour, kind = mark.get("class").split()
        rank = int(colour[1:])
        for mx, my in re.findall(r"M(-?\d+) (-?\d+)", mark.get("d")):
            half = kind == "crosses"
            drawn.add((int(mx) + (2 if half else 0), int(my) + (2 if half else 0), rank, half))
    if drawn != expected:
        fail(what, f"{len(drawn ^ expected)} marks differ from the vertices' pixels")


def check_vertex_mark(what, mark, vertex, at, bones):
    number_, position, bone, weight, envelope = vertex
    title = mark.find(f"{SVG}title").text
    m = re.fullmatch(r"vertex (\d+): x (\S+), y (\S+), z (\S+); bone (-?\d+), weight (\S+)(; envelope .*)?",
                     title)
    if not m or int(m[1]) != number_ or not same([exact(m[i]) for i in (2, 3, 4)], position) or \
            int(m[5]) != bone or not same([exact(m[6])], [weight]):
        fail(what, f"{title!r} for vertex {number_} {position} bone {bone} weight {weight}")
        return
    read = [part.split(" ") for part in (m[7] or "; envelope ")[len("; envelope "):].split(", ") if part]
    if [axis for axis, _ in read] != list("xzy"[:len(envelope)]) or \
            not same([exact(value) for _, value in read], envelope):
        fail(what, f"{title!r}: the envelope read is {envelope}")
    if mark.get("class") != f"c{bones.index(bone)} {'cross' if weight == 0.5 else 'dot'}":
        fail(what, f"vertex {number_} drawn as {mark.get('class')}")
    if mark.tag == f"{SVG}circle":
        x, y = number(mark.get("cx")), number(mark.get("cy"))
    else:
        mx, my = re.match(r"M([-\d.]+) ([-\d.]+)", mark.get("d")).groups()
        x, y = float(mx) + 2.5, float(my) + 2.5
    if not close(x, at[0]) or not close(y, at[1]):
        fail(what, f"vertex {number_} drawn at {x},{y}, not {at}")


# --- fixtures ---------------------------------------------------------------------------------

def animation(names, frames, components):
    """An animation file: `components(bone, component)` gives each stream's runs as
    (repeat, [words])."""
    out = struct.pack("<iH", 3, len(names))
    for name in names:
        out += struct.pack("<H", len(name)) + name
    out += struct.pack("<iB", frames, 15)
    for bone in range(len(names)):
        out += struct.pack("<H", 0)
        for component in range(7):
            out += struct.pack("<H", 0)
            for repeat, words in components(bone, component):
                if repeat:
                    out += struct.pack("<Hh", 0x80 | words[1], words[0])
                else:
                    out += struct.pack("<H", len(words)) + struct.pack(f"<{len(words)}h", *words)
    return out


def literal_runs(frames, word):
    runs, frame = [], 1
    while frame <= frames:
        runs.append((False, [word(frame + i) for i in range(127)]))
        frame += 127
    return runs


def long_animation():
    """1,000 frames: columns of several samples, repeat runs wide enough to show, a last run
    that overshoots the frame count."""
    def components(bone, component):
        runs, frame = [], 1
        while frame <= 1000:
            if frame % 3 == 1:
                runs.append((True, [int(20000 * math.sin(frame / 50 + component)), 100]))
                frame += 100
            else:
                runs.append((False, [(frame * 37 + i * 101 + bone) % 65536 - 32768 for i in range(60)]))
                frame += 60
        return runs
    return animation([b"root", b"arm"], 1000, components)


def odd_names():
    """Names of control bytes, invalid UTF-8, XML's own characters, a NUL; one frame."""
    names = [b"a&b<c>\"'", b"\x01\x1f\x7f", b"\xff\xfe\xc3", b"\xef\xbf\xbe ok", b"cut\0hidden"]
    return animation(names, 1, lambda bone, component: [(False, [bone * 100 - component])])


def skin(vertices, names=()):
    out = struct.pack("<ii", 1, len(vertices))
    for (x, y, z), bone, weight in vertices:
        out += struct.pack("<fffbbbf", x, z, y, 0, bone, 0, weight) + struct.pack("<fff", 0.5, 0.25, -1)
        if weight == 0.5:
            out += struct.pack("<bbffff", 1, 2, 0.5, 1, 2, 3)
    out += struct.pack("<H", len(names))
    for name in names:
        out += struct.pack("<H", len(name)) + name
    return out


def many_vertices(count):
    """`count` vertices on a twisted grid over 20 bones, a tenth of weight 0.5."""
    vertices = []
    for i in range(count):
        angle = i / 300
        vertices.append(((f32(math.cos(angle) * i / 30), f32(i / 100), f32(math.sin(angle) * 7)),
                         (i // 7) % 20 - 10, 0.5 if i % 10 == 0 else 1.0))
    return skin(vertices, [b"hips"])


def unusual_skin():
    """Negative bones, one vertex whose position is not finite, one far out, a refused weight."""
    return skin([((0, 0, 0), -128, 1.0), ((math.inf, 1, 1), 3, 1.0), ((1e30, -2, 5), 127, 0.5),
                 ((1, 1, 1), 3, 1.0), ((2, 2, 2), 3, 0.75), ((3, 3, 3), 3, 1.0)])


def single_point_skin():
    return skin([((5, 5, 5), 0, 1.0)] * 3)


# --- the run ----------------------------------------------------------------------------------

def picture(tool, path, what, render, drawn, text_code):
    """Checks the picture of one file, `drawn` as (exit code, document); the text report's exit
    code, `text_code`, must be the picture's."""
    code, out = drawn
    if code != text_code:
        fail(what, f"exit code {code}, the text report's {text_code}")
    try:
        svg = ET.fromstring(out)
    except ET.ParseError as error:
        fail(what, f"not XML: {error}")
        return None
    if svg.tag != f"{SVG}svg" or svg.get("version") != "1.1":
        fail(what, f"root {svg.tag} version {svg.get('version')}")
    data = path.read_bytes()
    (check_animation if tool == "bafdump" else check_skin)(what, svg, data)
    if render:
        rendered = subprocess.run([RSVG], input=out, capture_output=True,
                                  timeout=120)
        if rendered.returncode != 0 or rendered.stderr:
            fail(what, f"rsvg-convert: {rendered.returncode} {rendered.stderr[:300]!r}")
    return svg


def notes(svg):
    return [t.text for t in svg.iter(f"{SVG}text") if t.get("class") == "note"]


RSVG = shutil.which("rsvg-convert")


def main():
    if RSVG is None:
        print("rsvg-convert is missing: apt-get install librsvg2-bin")
        return 1
    jobs = []
    with tempfile.TemporaryDirectory() as temp:
        folder = pathlib.Path(temp)
        subprocess.run([str(BUILD / "samples" / "make_samples"), "--small", temp], check=True,
                       capture_output=True)
        fixtures = {"bafdump": {"long.baf": long_animation(), "names.baf": odd_names()},
                    # 2,000 vertices are the most drawn one by one, from the first reading.
                    "skndump": {"many.skn": many_vertices(3000), "every.skn": many_vertices(2000),
                                "past-every.skn": many_vertices(2001),
                                "unusual.skn": unusual_skin(), "point.skn": single_point_skin()}}
        for tool in CHOSEN:
            sample = SAMPLES[tool]
            data = (folder / sample).read_bytes()
            jobs.append((tool, folder / sample, f"{tool} sample", True))
            for name, fixture in fixtures[tool].items():
                (folder / name).write_bytes(fixture)
                jobs.append((tool, folder / name, f"{tool} {name}", True))
            for length in range(len(data)):
                cut = folder / f"{length}-{sample}"
                cut.write_bytes(data[:length])
                jobs.append((tool, cut, f"{tool} sample cut to {length} bytes", False))
            for path in sorted((SOURCE / "tests" / "corpus" / tool).iterdir()):
                jobs.append((tool, path, f"{tool} corpus {path.name}", False))
        svgs = {}
        for tool in CHOSEN:
            mine = [job for job in jobs if job[0] == tool]
            runs = run_batch(BUILD, tool, [(path.parent, ["--svg", path]) for _, path, _, _ in mine])
            runs += run_batch(BUILD, tool, [(path.parent, [path]) for _, path, _, _ in mine])
            pictures, texts = runs[:len(mine)], runs[len(mine):]
            for job, drawn, (text_code, _) in zip(mine, pictures, texts):
                svgs[job[2]] = picture(*job, drawn, text_code)
    if "bafdump" in CHOSEN:
        expect_note(svgs, "bafdump sample cut to 100 bytes", "Stopped: the file ends at byte 100")
        names = [t.text for t in svgs["bafdump names.baf"].iter(f"{SVG}text")
                 if t.get("class") == "name"]
        if names != ["a&b<c>\"'", "\u2401\u241f\u2421", "\ufffd\ufffd\ufffd", "\ufffd ok", "cut"]:
            fail("bafdump names.baf", f"names drawn as {names!r}")
    if "skndump" in CHOSEN:
        expect_note(svgs, "skndump unusual.skn",
                    "Stopped: the weight is neither 1 nor 0.5 (Weight of vertex 5)")
    for failure in failures[:40]:
        print(failure)
    print(f"{len(jobs)} pictures checked against their files, {len(failures)} failures")
    return 1 if failures else 0


def expect_note(svgs, what, start):
    if svgs[what] is None or not any(n.startswith(start) for n in notes(svgs[what])):
        fail(what, f"no note that begins {start!r}: {notes(svgs[what]) if svgs[what] else None}")


if __name__ == "__main__":
    sys.exit(main())
