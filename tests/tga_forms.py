#!/usr/bin/env python3
"""tilecut --any-tga held to TGA code nobody here wrote: Pillow and ImageMagick.

Every form of TGA that a user meets is made from one picture: by Pillow and by ImageMagick
where they write it, and by this script where neither does (16 and 15 bits a pixel, lines that
run right to left, colour maps of 16- and 32-bit entries, run-length packets that run on from
one line into the next). Each is cut with --any-tga, and every
tile the manifest lists must open in both readers and hold, pixel for pixel with its alpha,
what each reader reads in the square of the input picture that the manifest names. A tile
keeps the input's pixel format: its image type (uncompressed), depth, alpha bits and colour map.

Every form is also cut with a border (--border), one of 2 pixels and, for some forms, one wider
than a tile: each tile must hold what numpy's pad(mode="edge") of each reader's picture holds in
its square grown by the border, and for some forms what libvips gives (vips embed --extend copy,
then vips crop).

    tga_forms.py TILECUT
"""

import io
import json
import pathlib
import struct
import subprocess
import sys
import tempfile

import numpy
from PIL import Image

TILECUT = sys.argv[1]
# Debian's Pillow 9.4 reads neither a 15-bit image nor a colour map of 32-bit entries, in the
# input or in its tiles: for those, ImageMagick alone.
PILLOW_READS_NOT = {"15 bits", "colour map of 32-bit entries, run-length"}
CONVERT = "/usr/bin/convert"
WIDTH, HEIGHT, ACROSS = 37, 29, 3
# Tiles of 12 pixels, so a border of 20 is wider than a tile; the forms libvips checks too.
BORDERS = {"Pillow 24 bits": (2, 20), "Pillow 32 bits run-length, top-left": (2, 20),
           "colour map of 32-bit entries, run-length": (2, 20), "Pillow grey 8 bits": (2, 13)}
VIPS_CHECKS = {"Pillow 24 bits", "Pillow 32 bits run-length, top-left"}
failures = []
checked = {"forms": 0, "tiles": 0}


def picture():
    """No symmetry, no two neighbours alike, and every alpha from opaque to clear."""
    image = Image.new("RGBA", (WIDTH, HEIGHT))
    for y in range(HEIGHT):
        for x in range(WIDTH):
            image.putpixel((x, y), ((x * 7 + y * 13) % 256, (x * x + y) % 256, (y * 11) % 256,
                                    (x * y * 5 + 3) % 256))
    return image


def pillow(image, **options):
    out = io.BytesIO()
    image.save(out, format="TGA", **options)
    return out.getvalue()


def magick(image, *options):
    png = io.BytesIO()
    image.save(png, format="PNG")
    return subprocess.run([CONVERT, "png:-", *options, "tga:-"], input=png.getvalue(),
                          capture_output=True, check=True).stdout


def header(image_type, depth, descriptor, width=WIDTH, height=HEIGHT, colour_map=b"",
           entries=0, entry_bits=0, image_id=b""):
    return (struct.pack("<BBBHHBHHHHBB", len(image_id), 1 if entry_bits else 0, image_type, 0,
                        entries, entry_bits, 0, 0, width, height, depth, descriptor)
            + image_id + colour_map)


def run_length(pixels, size):
    """Packets of up to 128 pixels that run on across line ends, as some writers make them."""
    out = bytearray()
    count = len(pixels) // size
    at = 0
    while at < count:
        pixel = pixels[at * size:(at + 1) * size]
        same = 1
        while at + same < count and same < 128 and pixels[(at + same) * size:(at + same + 1) * size] == pixel:
            same += 1
        if same > 1:
            out += bytes([0x80 | (same - 1)]) + pixel
            at += same
            continue
        raw = 1
        while at + raw < count and raw < 128 and (
                at + raw + 1 >= count or pixels[(at + raw) * size:(at + raw + 1) * size]
                != pixels[(at + raw + 1) * size:(at + raw + 2) * size]):
            raw += 1
        out += bytes([raw - 1]) + pixels[at * size:(at + raw) * size]
        at += raw
    return bytes(out)


def lines(image, encode, bottom_first=True, right_to_left=False):
    """The picture's pixels as a TGA stores them, each pixel made by `encode`."""
    rows = range(HEIGHT - 1, -1, -1) if bottom_first else range(HEIGHT)
    columns = range(WIDTH - 1, -1, -1) if right_to_left else range(WIDTH)
    return b"".join(encode(image.getpixel((x, y))) for y in rows for x in columns)


def bgra(pixel):
    return bytes([pixel[2], pixel[1], pixel[0], pixel[3]])


def bgr(pixel):
    return bytes([pixel[2], pixel[1], pixel[0]])


def arrr_rrgg_gggb_bbbb(pixel, alpha=True):
    """5 bits each of red, green and blue, and the top bit of alpha where it is kept."""
    red, green, blue = (value >> 3 for value in pixel[:3])
    opaque = alpha and pixel[3] >= 128
    word = (red << 10) | (green << 5) | blue | (0x8000 if opaque else 0)
    return struct.pack("<H", word)


def by_hand(image):
    """The forms neither Pillow nor ImageMagick writes."""
    forms = {
        "16 bits with an alpha bit": header(2, 16, 0x01) + lines(image, arrr_rrgg_gggb_bbbb),
        "16 bits run-length, top-left": header(10, 16, 0x21)
        + run_length(lines(image, arrr_rrgg_gggb_bbbb, bottom_first=False), 2),
        "24 bits right to left": header(2, 24, 0x10) + lines(image, bgr, right_to_left=True),
        "32 bits run-length, top-right": header(10, 32, 0x38)
        + run_length(lines(image, bgra, bottom_first=False, right_to_left=True), 4),
    }
    quantised = image.convert("RGB").quantize(64)
    palette = quantised.getpalette()[:64 * 3]
    indices = bytes(quantised.getpixel((x, y)) for y in range(HEIGHT - 1, -1, -1)
                    for x in range(WIDTH))
    alphas = [(i * 4) % 256 for i in range(64)]
    map16 = b"".join(arrr_rrgg_gggb_bbbb((*palette[i * 3:i * 3 + 3], 255), alpha=False)
                     for i in range(64))
    map32 = b"".join(bytes([palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3], alphas[i]])
                     for i in range(64))
    forms["colour map of 16-bit entries"] = header(1, 8, 0, colour_map=map16, entries=64,
                                                   entry_bits=16) + indices
    forms["colour map of 32-bit entries, run-length"] = header(
        9, 8, 0x08, colour_map=map32, entries=64, entry_bits=32) + run_length(indices, 1)
    return forms


def forms_of(image):
    rgb, grey = image.convert("RGB"), image.convert("L")
    forms = {
        "Pillow 24 bits": pillow(rgb),
        "Pillow 24 bits top-left, with an image ID": pillow(rgb, orientation=1, id_section=b"id!"),
        "Pillow 24 bits run-length": pillow(rgb, compression="tga_rle"),
        "Pillow 32 bits": pillow(image),
        "Pillow 32 bits run-length, top-left": pillow(image, compression="tga_rle", orientation=1),
        "Pillow grey 8 bits": pillow(grey),
        "Pillow grey 8 bits run-length": pillow(grey, compression="tga_rle"),
        "Pillow grey 16 bits with alpha, top-left": pillow(image.convert("LA"), orientation=1),
        "Pillow grey 16 bits run-length": pillow(image.convert("LA"), compression="tga_rle"),
        "Pillow colour-mapped": pillow(rgb.quantize(100)),
        "Pillow colour-mapped run-length": pillow(rgb.quantize(100), compression="tga_rle"),
        "ImageMagick 24 bits": magick(rgb, "-alpha", "off"),
        "ImageMagick 24 bits run-length": magick(rgb, "-alpha", "off", "-compress", "RLE"),
        "ImageMagick 32 bits run-length": magick(image, "-compress", "RLE"),
        "ImageMagick 32 bits top-left": magick(image, "-orient", "TopLeft"),
        "ImageMagick colour-mapped": magick(rgb.quantize(50).convert("RGB"), "-type", "Palette"),
        "ImageMagick grey": magick(grey, "-type", "Grayscale"),
    }
    forms.update(by_hand(image))
    return forms


def pillow_rgba(path, size):
    with Image.open(path) as image:
        if image.size != size:
            raise AssertionError(f"Pillow reads {image.size}, not {size}")
        return image.convert("RGBA")


def magick_rgba(path, size):
    """ImageMagick's reading of the image, as 8-bit RGBA, turned to its origin."""
    done = subprocess.run([CONVERT, str(path), "-auto-orient", "-depth", "8", "rgba:-"],
                          capture_output=True)
    if done.returncode != 0 or len(done.stdout) != 4 * size[0] * size[1]:
        raise AssertionError(done.stderr.decode(errors="replace")[:300])
    return Image.frombytes("RGBA", size, done.stdout)


def check_tile_header(what, tile, source):
    """The tile keeps the pixel format: type, depth, alpha bits and colour map; origin bottom-left."""
    expected_type = source[2] & 7
    mapped = expected_type == 1
    map_bytes = struct.unpack("<H", source[5:7])[0] * ((source[7] + 7) // 8) if mapped else 0
    if tile[2] != expected_type or tile[16] != source[16] or tile[17] != source[17] & 0x0F:
        failures.append(f"{what}: tile header {tile[:18].hex()} for input {source[:18].hex()}")
    if tile[1] != (1 if mapped else 0) or (mapped and tile[3:8] != source[3:8]):
        failures.append(f"{what}: colour map fields {tile[1:8].hex()} for {source[1:8].hex()}")
    start = 18 + source[0]
    if mapped and tile[18:18 + map_bytes] != source[start:start + map_bytes]:
        failures.append(f"{what}: the colour map is not the input's")


def padded(picture, border):
    """The picture grown by `border` pixels on every side, each edge pixel repeated."""
    pixels = numpy.asarray(picture)
    return numpy.pad(pixels, ((border, border), (border, border), (0, 0)), mode="edge")


def vips_square(folder, picture, x, y, side, border):
    """libvips' own growing of the picture (embed --extend copy), cropped to a tile's square."""
    picture.save(folder / "picture.png")
    grown, square = folder / "grown.v", folder / "square.png"
    subprocess.run(["vips", "embed", folder / "picture.png", grown, str(border), str(border),
                    str(WIDTH + 2 * border), str(HEIGHT + 2 * border), "--extend", "copy"],
                   check=True, capture_output=True)
    subprocess.run(["vips", "crop", grown, square, str(x + border), str(y + border), str(side),
                    str(side)], check=True, capture_output=True)
    with Image.open(square) as image:
        return image.convert("RGBA").tobytes()


def check_form(form, data, folder, border=0):
    what = f"{form}, border {border}" if border else form
    (folder / "in.tga").write_bytes(data)
    tiles = folder / "tiles"
    tiles.mkdir()
    options = ["--border", str(border)] if border else []
    done = subprocess.run([TILECUT, "--any-tga", "--json", *options, "-C", str(tiles), "in.tga",
                           str(ACROSS)], cwd=folder, capture_output=True)
    manifest = json.loads(done.stdout) if done.stdout else {}
    if done.returncode != 0 or manifest.get("end", {}).get("outcome") != "cut":
        failures.append(f"{what}: exit code {done.returncode}, {done.stdout[-300:]!r}")
        return
    readers = {"ImageMagick": magick_rgba}
    if form not in PILLOW_READS_NOT:
        readers["Pillow"] = pillow_rgba
    pictures = {}
    for name, read in list(readers.items()):
        try:
            pictures[name] = padded(read(folder / "in.tga", (WIDTH, HEIGHT)), border)
        except Exception as error:
            failures.append(f"{what}: {name} cannot read the input: {error}")
            del readers[name]
    for entry in manifest["tiles"]:
        path = tiles / entry["name"]
        square = entry.get("withBorder", entry)
        x, y, side = square["x"], square["y"], square["side"]
        check_tile_header(f"{what} {entry['name']}", path.read_bytes(), data)
        for name, read in readers.items():
            try:
                tile = read(path, (side, side))
            except Exception as error:  # a reader that cannot open the tile is a failure
                failures.append(f"{what} {entry['name']}: {name} cannot open it: {error}")
                continue
            expected = pictures[name][y + border:y + border + side, x + border:x + border + side]
            if tile.tobytes() != expected.tobytes():
                failures.append(f"{what} {entry['name']}: {name} reads other pixels than its square "
                                f"({x}, {y}, side {side}) of the input")
            if border and name == "Pillow" and form in VIPS_CHECKS and tile.tobytes() != vips_square(
                    folder, pillow_rgba(folder / "in.tga", (WIDTH, HEIGHT)), x, y, side, border):
                failures.append(f"{what} {entry['name']}: libvips grows the picture otherwise")
        checked["tiles"] += 1
    checked["forms"] += 1
    if len(manifest["tiles"]) != ACROSS * (HEIGHT // (WIDTH // ACROSS)):
        failures.append(f"{what}: {len(manifest['tiles'])} tiles")


def check_bands(folder):
    """A row of tiles read in several bands (its lines pass tilecut's 32 MiB), with a border,
    held to Pillow's reading padded by numpy."""
    width, height, across, border = 65535, 300, 256, 4
    rows, columns = numpy.mgrid[0:height, 0:width]
    pixels = numpy.stack([(columns * 7 + rows * 13) % 256, (columns // 3 + rows * rows) % 256,
                          (rows * 11 + columns // 257) % 256], axis=2).astype(numpy.uint8)
    (folder / "wide.tga").write_bytes(pillow(Image.fromarray(pixels, "RGB")))
    done = subprocess.run([TILECUT, "--json", "--border", str(border), "wide.tga", str(across)],
                          cwd=folder, capture_output=True)
    manifest = json.loads(done.stdout) if done.stdout else {}
    if done.returncode != 0 or len(manifest.get("tiles", [])) != across:
        failures.append(f"wide image, border {border}: exit code {done.returncode}")
        return
    grown = padded(Image.fromarray(pixels, "RGB"), border)
    for entry in manifest["tiles"]:
        square = entry["withBorder"]
        x, y, side = square["x"], square["y"], square["side"]
        with Image.open(folder / entry["name"]) as tile:
            if tile.tobytes() != grown[y + border:y + border + side,
                                       x + border:x + border + side].tobytes():
                failures.append(f"wide image, border {border} {entry['name']}: other pixels")
        checked["tiles"] += 1
    checked["forms"] += 1


def main():
    image = picture()
    forms = forms_of(image)
    # 15 bits: the 16-bit form's pixels under another depth, whose tiles must be the same bytes.
    sixteen = forms["16 bits with an alpha bit"]
    forms["15 bits"] = sixteen[:16] + bytes([15, 0]) + bytes(
        b & 0x7F if i % 2 else b for i, b in enumerate(sixteen[18:]))
    with tempfile.TemporaryDirectory() as temp:
        for number, (what, data) in enumerate(forms.items()):
            for border in (0, *BORDERS.get(what, (2,))):
                folder = pathlib.Path(temp) / f"{number}-{border}"
                folder.mkdir()
                check_form(what, data, folder, border)
        check_bands(pathlib.Path(temp))
    for failure in failures[:40]:
        print(failure)
    print(f"{checked['forms']} cuts, {checked['tiles']} tiles read by Pillow and ImageMagick")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
