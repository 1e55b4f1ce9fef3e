"""PNG writing for the fixture scripts: 8-bit RGBA images, filter 0 on every
row, compressed at level 9. Standard library only."""
import os
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def ihdr(w, h, depth=8, color=6):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, color, 0, 0, 0))


def encode(w, h, raw):
    """The PNG of the filtered scanlines raw (a filter byte before each row)."""
    return SIGNATURE + ihdr(w, h) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def png(w, h, pixel):
    """pixel(x, y) -> (r, g, b, a)."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            raw.extend(bytes(pixel(x, y)))
    return encode(w, h, raw)


def solid_png(w, h, rgba):
    """A w x h image of one colour; rgba may leave out the alpha (opaque)."""
    rgba = tuple(rgba)
    if len(rgba) == 3:
        rgba += (255,)
    return encode(w, h, (b"\x00" + bytes(rgba) * w) * h)


def write_solid_pngs(folder, images, size):
    """Writes one opaque size x size PNG per name -> colour of images into folder."""
    os.makedirs(folder, exist_ok=True)
    for name, rgb in images.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(solid_png(size, size, rgb))
