"""PNG reading and PSNR, with the Python standard library only."""

import math
import struct
import zlib


def read_png(path):
    """(width, height, rgb bytes top row first) of an 8-bit, non-interlaced
    RGB, RGBA, grey or grey+alpha PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG" % path)
    pos = 8
    idat = bytearray()
    width = height = channels = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
            if depth != 8 or channels is None or interlace:
                raise ValueError("%s: only 8-bit non-interlaced PNGs are read" % path)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(bytes(idat))
    stride = width * channels
    rows = []
    prev = bytearray(stride)
    p = 0
    for _ in range(height):
        kind = raw[p]
        line = bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + ((a + b) >> 1)) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line))
        prev = line
    pixels = b"".join(rows)
    if channels == 3:
        return width, height, pixels
    out = bytearray(width * height * 3)
    for i in range(width * height):
        px = pixels[i * channels:(i + 1) * channels]
        out[i * 3:i * 3 + 3] = px[:3] if channels == 4 else bytes([px[0]] * 3)
    return width, height, bytes(out)


def psnr(a, b):
    """PSNR in dB of two RGB pictures of the same size (inf when equal)."""
    if a[0] != b[0] or a[1] != b[1]:
        raise ValueError("pictures of different sizes: %dx%d and %dx%d" % (a[0], a[1], b[0], b[1]))
    pa, pb = a[2], b[2]
    total = sum((x - y) * (x - y) for x, y in zip(pa, pb))
    if total == 0:
        return math.inf
    return 10 * math.log10(255.0 * 255.0 * len(pa) / total)


def write_png(path, width, height, rgb):
    """Writes RGB bytes (top row first) as an 8-bit PNG."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    stride = width * 3
    raw = b"".join(b"\x00" + rgb[y * stride:(y + 1) * stride] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def half_size(picture):
    """The picture at half its width and height, each pixel the mean of four."""
    width, height, rgb = picture
    w, h = width // 2, height // 2
    out = bytearray(w * h * 3)
    stride = width * 3
    for y in range(h):
        top = 2 * y * stride
        bottom = top + stride
        for x in range(w):
            i = 6 * x
            for c in range(3):
                out[(y * w + x) * 3 + c] = (rgb[top + i + c] + rgb[top + i + 3 + c] +
                                            rgb[bottom + i + c] + rgb[bottom + i + 3 + c] + 2) >> 2
    return w, h, bytes(out)


def side_by_side(left, right, gap=4):
    """Two pictures of the same height next to each other, a black gap between."""
    (wl, h, pl), (wr, hr, pr) = left, right
    if h != hr:
        raise ValueError("pictures of different heights")
    width = wl + gap + wr
    rows = []
    for y in range(h):
        rows.append(pl[y * wl * 3:(y + 1) * wl * 3] + bytes(gap * 3) + pr[y * wr * 3:(y + 1) * wr * 3])
    return width, h, b"".join(rows)
