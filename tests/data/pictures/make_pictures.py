#!/usr/bin/python3
"""Makes the test pictures, their expected pixels and the malformed corpus.

Run once (python3 with python3-pil); the results are checked in. BMP and PNG
files are written byte by byte here so that every bit depth, row order,
palette and interlacing variant is exactly what its name says; JPEG files come
from Pillow (libjpeg), and their expected pixels are Pillow's own decode.

expected.txt: one line per picture: name width height tolerance, then the
colour values 0xAARRGGBB (hex, top row first, left to right).
"""
import io
import os
import struct
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
BAD = os.path.join(HERE, "malformed")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- pixels
def rgba_pattern(w, h, alpha=True):
    """Distinct colours everywhere, alpha varying when asked."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            r = (x * 37 + y * 11) & 0xFF
            g = (x * 5 + y * 53 + 40) & 0xFF
            b = (255 - x * 23 - y * 7) & 0xFF
            a = (x * 29 + y * 61 + 17) & 0xFF if alpha else 0xFF
            row.append((r, g, b, a))
        rows.append(row)
    return rows


def argb(p):
    r, g, b, a = p
    return (a << 24) | (r << 16) | (g << 8) | b


# ---------------------------------------------------------------- BMP
def bmp(w, h, bits, pixels, palette=None, top_down=False, header=40, alpha_mask=False,
        compression=None, offset=None, planes=1):
    """pixels: rows of palette indexes (bits < 16) or (r, g, b, a) tuples."""
    rows = []
    for row in pixels:
        if bits < 16:
            acc, nbits, out = 0, 0, bytearray()
            for index in row:
                acc = (acc << bits) | index
                nbits += bits
                if nbits == 8:
                    out.append(acc)
                    acc, nbits = 0, 0
            if nbits:
                out.append(acc << (8 - nbits))
        elif bits == 16:
            out = bytearray()
            for r, g, b, a in row:
                out += struct.pack("<H", ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
        elif bits == 24:
            out = bytearray()
            for r, g, b, a in row:
                out += bytes((b, g, r))
        else:
            out = bytearray()
            for r, g, b, a in row:
                out += bytes((b, g, r, a if alpha_mask else 0))
        out += b"\0" * ((-len(out)) % 4)
        rows.append(bytes(out))
    if not top_down:
        rows = rows[::-1]
    data = b"".join(rows)
    pal = b""
    if palette:
        pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    if compression is None:
        compression = 3 if alpha_mask else 0
    height = -h if top_down else h
    info = struct.pack("<IiiHHIIiiII", header, w, height, planes, bits, compression, len(data), 2835, 2835,
                       len(palette or []), 0)
    if header >= 108:
        masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 if alpha_mask else 0)
        info += masks + struct.pack("<I", 0x73524742) + b"\0" * 36 + b"\0" * 12
        if header == 124:
            info += struct.pack("<IIII", 4, 0, 0, 0)
    if offset is None:
        offset = 14 + len(info) + len(pal)
    fileheader = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pal) + len(data), 0, 0, offset)
    return fileheader + info + pal + data


def bmp_expected_palette(pixels, palette):
    return [[0xFF000000 | (palette[i][0] << 16) | (palette[i][1] << 8) | palette[i][2] for i in row]
            for row in pixels]


def widen5(v):
    v >>= 3
    return (v << 3) | (v >> 2)


# ---------------------------------------------------------------- PNG
def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def pack_samples(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    acc, nbits, out = 0, 0, bytearray()
    for s in samples:
        acc = (acc << depth) | s
        nbits += depth
        if nbits == 8:
            out.append(acc)
            acc, nbits = 0, 0
    if nbits:
        out.append(acc << (8 - nbits))
    return bytes(out)


def png_raw(w, h, depth, samples, interlace, filters=(0, 1, 2, 3, 4)):
    """samples: rows of per-pixel sample tuples. Rows use the filters in turn."""
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    raw = bytearray()
    counter = 0
    for x0, y0, dx, dy in passes:
        prior = None
        for y in range(y0, h, dy):
            flat = [s for x in range(x0, w, dx) for s in samples[y][x]]
            if not flat:
                continue
            line = pack_samples(flat, depth)
            bpp = max(1, len(samples[y][0]) * depth // 8)
            ftype = filters[counter % len(filters)]
            counter += 1
            raw.append(ftype)
            raw += apply_filter(ftype, line, prior, bpp)
            prior = line
    return bytes(raw)


def apply_filter(ftype, line, prior, bpp):
    out = bytearray()
    for i, v in enumerate(line):
        a = line[i - bpp] if i >= bpp else 0
        b = prior[i] if prior else 0
        c = prior[i - bpp] if prior and i >= bpp else 0
        if ftype == 0:
            p = 0
        elif ftype == 1:
            p = a
        elif ftype == 2:
            p = b
        elif ftype == 3:
            p = (a + b) // 2
        else:
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
        out.append((v - p) & 0xFF)
    return bytes(out)


def png(w, h, depth, colour, samples, interlace=False, palette=None, trns=None, raw=None):
    ihdr = struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, 1 if interlace else 0)
    if raw is None:
        raw = png_raw(w, h, depth, samples, interlace)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(p) for p in palette))
    if trns is not None:
        out += chunk(b"tRNS", bytes(trns))
    out += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    return out


# ---------------------------------------------------------------- the pictures
expected = []


def expect(name, rows, tolerance=0):
    h = len(rows)
    w = len(rows[0])
    values = " ".join("%08X" % v for row in rows for v in row)
    expected.append("%s %d %d %d %s" % (name, w, h, tolerance, values))


def make_bmps():
    w, h = 7, 5
    pal2 = [(0x10, 0x20, 0x30), (0xF0, 0xE0, 0xD0)]
    idx2 = [[(x + y) % 2 for x in range(w + 6)] for y in range(h)]  # 13 wide: two bytes a row
    write(os.path.join(HERE, "bmp1_bottomup.bmp"), bmp(w + 6, h, 1, idx2, pal2))
    expect("bmp1_bottomup.bmp", bmp_expected_palette(idx2, pal2))

    pal16 = [(i * 16, 255 - i * 16, (i * 97) & 0xFF) for i in range(16)]
    idx16 = [[(x * 3 + y * 5) % 16 for x in range(w)] for y in range(h)]
    write(os.path.join(HERE, "bmp4_topdown.bmp"), bmp(w, h, 4, idx16, pal16, top_down=True))
    expect("bmp4_topdown.bmp", bmp_expected_palette(idx16, pal16))

    pal256 = [((i * 7) & 0xFF, (i * 13) & 0xFF, (255 - i) & 0xFF) for i in range(256)]
    idx256 = [[(x * 41 + y * 67) % 256 for x in range(w)] for y in range(h)]
    write(os.path.join(HERE, "bmp8_bottomup.bmp"), bmp(w, h, 8, idx256, pal256))
    expect("bmp8_bottomup.bmp", bmp_expected_palette(idx256, pal256))

    rgb = rgba_pattern(w, h, alpha=False)
    write(os.path.join(HERE, "bmp16_topdown.bmp"), bmp(w, h, 16, rgb, top_down=True))
    expect("bmp16_topdown.bmp",
           [[0xFF000000 | (widen5(r) << 16) | (widen5(g) << 8) | widen5(b) for r, g, b, a in row] for row in rgb])

    for order, top in (("bottomup", False), ("topdown", True)):
        name = "bmp24_%s.bmp" % order
        write(os.path.join(HERE, name), bmp(w, h, 24, rgb, top_down=top))
        expect(name, [[argb(p) for p in row] for row in rgb])

    one = rgba_pattern(1, 1, alpha=False)
    write(os.path.join(HERE, "bmp24_smallest.bmp"), bmp(1, 1, 24, one))
    expect("bmp24_smallest.bmp", [[argb(p) for p in row] for row in one])

    write(os.path.join(HERE, "bmp32_bottomup.bmp"), bmp(w, h, 32, rgb))
    expect("bmp32_bottomup.bmp", [[argb(p) for p in row] for row in rgb])

    rgba = rgba_pattern(w, h)
    write(os.path.join(HERE, "bmp32_alpha_topdown.bmp"), bmp(w, h, 32, rgba, top_down=True, header=124, alpha_mask=True))
    expect("bmp32_alpha_topdown.bmp", [[argb(p) for p in row] for row in rgba])


def make_pngs():
    w, h = 13, 11  # every Adam7 pass has pixels
    grey = [[((x * 19 + y * 23) & 0xFF,) for x in range(w)] for y in range(h)]
    write(os.path.join(HERE, "png_grey.png"), png(w, h, 8, 0, grey))
    expect("png_grey.png", [[0xFF000000 | s[0] * 0x010101 for s in row] for row in grey])

    palette = [((i * 50) & 0xFF, (200 - i * 30) & 0xFF, (i * 90) & 0xFF) for i in range(6)]
    trns = [0, 128, 255, 64]  # entries 4 and 5 stay opaque
    idx = [[((x + 2 * y) % 6,) for x in range(w)] for y in range(h)]

    def pal_rows():
        return [[((trns[i] if i < len(trns) else 255) << 24) | (palette[i][0] << 16) | (palette[i][1] << 8)
                 | palette[i][2] for (i,) in row] for row in idx]
    write(os.path.join(HERE, "png_palette_trns.png"), png(w, h, 4, 3, idx, palette=palette, trns=trns))
    expect("png_palette_trns.png", pal_rows())
    write(os.path.join(HERE, "png_palette_interlaced.png"),
          png(w, h, 4, 3, idx, interlace=True, palette=palette, trns=trns))
    expect("png_palette_interlaced.png", pal_rows())

    rgba = rgba_pattern(w, h)
    write(os.path.join(HERE, "png_rgba.png"), png(w, h, 8, 6, rgba))
    expect("png_rgba.png", [[argb(p) for p in row] for row in rgba])
    write(os.path.join(HERE, "CAPITALS.PNG"), png(w, h, 8, 6, rgba))
    expect("CAPITALS.PNG", [[argb(p) for p in row] for row in rgba])

    # 16 bits a sample: the decoder keeps the high byte.
    rgba16 = [[tuple((s << 8) | (s ^ 0x5A) for s in p) for p in row] for row in rgba]
    write(os.path.join(HERE, "png_rgba16.png"), png(w, h, 16, 6, rgba16))
    expect("png_rgba16.png", [[argb(p) for p in row] for row in rgba])

    rgb = [[p[:3] for p in row] for row in rgba_pattern(w, h, alpha=False)]
    write(os.path.join(HERE, "png_rgb_interlaced.png"), png(w, h, 8, 2, rgb, interlace=True))
    expect("png_rgb_interlaced.png", [[0xFF000000 | (r << 16) | (g << 8) | b for r, g, b in row] for row in rgb])


def smooth_picture(w, h):
    img = Image.new("RGB", (w, h))
    img.putdata([(40 + x * 4, 60 + y * 5, 200 - x * 2 - y * 2) for y in range(h) for x in range(w)])
    return img


def make_jpegs():
    w, h = 32, 24
    img = smooth_picture(w, h)
    for name, progressive in (("jpeg_baseline.jpg", False), ("jpeg_progressive.jpg", True)):
        buf = io.BytesIO()
        img.save(buf, "JPEG", quality=95, progressive=progressive, subsampling=0)
        write(os.path.join(HERE, name), buf.getvalue())
        decoded = Image.open(io.BytesIO(buf.getvalue())).convert("RGB")
        px = list(decoded.getdata())
        expect(name, [[0xFF000000 | (r << 16) | (g << 8) | b for r, g, b in px[y * w:(y + 1) * w]] for y in range(h)],
               tolerance=4)


# ---------------------------------------------------------------- malformed
def set_bytes(data, at, values):
    data = bytearray(data)
    data[at:at + len(values)] = values
    return bytes(data)


def png_chunks(data):
    """(offset, length, type) of every chunk."""
    out, at = [], 8
    while at < len(data):
        length, = struct.unpack(">I", data[at:at + 4])
        out.append((at, length, data[at + 4:at + 8]))
        at += 12 + length
    return out


def ihdr_png(w, h, depth, colour, idat_raw=b"\0" * 8, interlace=0):
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, interlace))
            + chunk(b"IDAT", zlib.compress(idat_raw)) + chunk(b"IEND", b""))


def make_malformed_png():
    w, h = 8, 8
    good = png(w, h, 8, 6, rgba_pattern(w, h))
    chunks = png_chunks(good)
    ihdr, idat, iend = chunks[0], chunks[1], chunks[2]
    bad = {
        "png_cut_signature.png": good[:5],
        "png_cut_in_ihdr.png": good[:ihdr[0] + 14],
        "png_cut_after_ihdr.png": good[:idat[0]],
        "png_cut_in_idat.png": good[:idat[0] + 8 + idat[1] // 2],
        "png_cut_before_iend.png": good[:iend[0]],
        "png_cut_in_iend.png": good[:iend[0] + 6],
        "png_bad_crc_ihdr.png": set_bytes(good, ihdr[0] + 8 + 13, b"\0\0\0\0"),
        "png_bad_crc_idat.png": set_bytes(good, idat[0] + 8 + idat[1], b"\1\2\3\4"),
        "png_huge_declared.png": ihdr_png(100000, 100000, 8, 6),
        "png_over_limit.png": ihdr_png(16385, 4, 8, 0, b"\0" * 64),
        "png_size_over_tiny_data.png": ihdr_png(4000, 4000, 8, 6),
        "png_zero_width.png": ihdr_png(0, 8, 8, 6),
        "png_zero_height.png": ihdr_png(8, 0, 8, 6),
        "png_bad_depth.png": ihdr_png(2, 2, 3, 0, b"\0\0\0\0"),
        "png_bad_colour_type.png": ihdr_png(2, 2, 8, 5, b"\0" * 16),
        "png_bad_filter.png": png(2, 2, 8, 0, None, raw=b"\x09\1\2\x09\3\4"),
        "png_no_idat.png": b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 0, 0, 0, 0))
                           + chunk(b"IEND", b""),
        "png_idat_before_ihdr.png": b"\x89PNG\r\n\x1a\n" + chunk(b"IDAT", zlib.compress(b"\0" * 6))
                                    + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 0, 0, 0, 0)) + chunk(b"IEND", b""),
        "png_chunk_length_past_end.png": set_bytes(good, idat[0], struct.pack(">I", 0x7FFFFFF0)),
        "png_signature_of_bmp.png": bmp(2, 2, 24, rgba_pattern(2, 2)),
    }
    # Broken deflate data (a reserved block type) under a correct CRC.
    broken = bytes([0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF, 0x00])
    bad["png_broken_deflate.png"] = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 4, 4, 8, 0, 0, 0, 0))
                                     + chunk(b"IDAT", broken) + chunk(b"IEND", b""))
    # Palette of two entries, pixels using entries up to 5.
    idx = [[((x + y) % 6,) for x in range(8)] for y in range(8)]
    pal2 = [(1, 2, 3), (4, 5, 6)]
    bad["png_palette_index_out_of_range.png"] = png(8, 8, 4, 3, idx, palette=pal2)
    bad["png_palette_index_out_of_range_interlaced.png"] = png(8, 8, 4, 3, idx, interlace=True, palette=pal2)
    bad["png_palette_missing.png"] = png(8, 8, 4, 3, idx)
    bad["png_palette_depth_3.png"] = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 2, 3, 3, 0, 0, 0))
                                      + chunk(b"PLTE", bytes(range(24))) + chunk(b"IDAT", zlib.compress(b"\0\xff\xff\xff" * 2))
                                      + chunk(b"IEND", b""))
    # Decompression bombs: 16384 x 16384 of zeros (1 GiB decoded, over the
    # limit) in 33 KB, and a 1 x 1 picture whose data inflates to 16 MiB.
    bad["png_bomb_declared.png"] = ihdr_png(16384, 16384, 1, 0, b"\0" * (16384 * (1 + 2048)))
    bad["png_bomb_inflating.png"] = ihdr_png(1, 1, 8, 6, b"\0" * (16 << 20))
    for name, data in bad.items():
        write(os.path.join(BAD, name), data)


def jpeg_segments(data):
    """(offset, marker) of every marker up to the first scan's data."""
    out, at = [], 2
    out.append((0, 0xD8))
    while at < len(data):
        marker = data[at + 1]
        out.append((at, marker))
        length, = struct.unpack(">H", data[at + 2:at + 4])
        if marker == 0xDA:
            break
        at += 2 + length
    return out


def make_malformed_jpeg():
    buf = io.BytesIO()
    smooth_picture(32, 24).save(buf, "JPEG", quality=90)
    good = buf.getvalue()
    seg = {}
    for at, marker in jpeg_segments(good):
        seg.setdefault(marker, at)
    sof, dht, dqt, sos = seg[0xC0], seg[0xC4], seg[0xDB], seg[0xDA]
    scan_start = sos + 2 + struct.unpack(">H", good[sos + 2:sos + 4])[0]
    bad = {
        "jpeg_cut_after_soi.jpg": good[:2],
        "jpeg_cut_in_dqt.jpg": good[:dqt + 20],
        "jpeg_cut_in_sof.jpg": good[:sof + 7],
        "jpeg_cut_in_dht.jpg": good[:dht + 12],
        "jpeg_cut_in_sos.jpg": good[:sos + 6],
        "jpeg_cut_in_scan.jpg": good[:(scan_start + len(good)) // 2],
        "jpeg_cut_before_eoi.jpg": good[:-2],
        "jpeg_huge_declared.jpg": set_bytes(good, sof + 5, struct.pack(">HH", 60000, 60000)),
        "jpeg_size_over_tiny_data.jpg": set_bytes(good, sof + 5, struct.pack(">HH", 6000, 8000)),
        "jpeg_zero_width.jpg": set_bytes(good, sof + 7, b"\0\0"),
        "jpeg_zero_height.jpg": set_bytes(good, sof + 5, b"\0\0"),
        "jpeg_arithmetic.jpg": set_bytes(good, sof + 1, b"\xC9"),
        "jpeg_lossless.jpg": set_bytes(good, sof + 1, b"\xC3"),
        "jpeg_segment_length_past_end.jpg": set_bytes(good, dqt + 2, b"\xFF\xF0"),
        "jpeg_segment_length_one.jpg": set_bytes(good, dqt + 2, b"\x00\x01"),
        # Code counts that claim more than 256 codes.
        "jpeg_broken_huffman_counts.jpg": set_bytes(good, dht + 5, bytes([0xFF] * 16)),
        # A code length count that oversubscribes the code space.
        "jpeg_broken_huffman_lengths.jpg": set_bytes(good, dht + 5, bytes([3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])),
        "jpeg_scan_before_frame.jpg": good[:2] + good[sos:],
        "jpeg_no_scan.jpg": good[:sos] + b"\xFF\xD9",
        "jpeg_signature_of_png.jpg": png(2, 2, 8, 0, [[(1,), (2,)], [(3,), (4,)]]),
        "jpeg_bad_component_count.jpg": set_bytes(good, sof + 9, b"\x02"),
    }
    for name, data in bad.items():
        write(os.path.join(BAD, name), data)


def jpeg_scans(data):
    """Offset of every start-of-scan segment, walking the entropy-coded data between them."""
    out, at = [], 2
    while at + 4 <= len(data):
        marker = data[at + 1]
        if marker == 0xD9:
            break
        length, = struct.unpack(">H", data[at + 2:at + 4])
        if marker == 0xDA:
            out.append(at)
            at += 2 + length
            while not (data[at] == 0xFF and data[at + 1] != 0 and not 0xD0 <= data[at + 1] <= 0xD7):
                at += 1
            continue
        at += 2 + length
    return out


def with_scan_tables(data, scan, tables):
    """The scan's first component given the table byte (DC << 4 | AC)."""
    return set_bytes(data, scan + 6, bytes([tables]))


def make_malformed_jpeg_tables():
    """Scans that select Huffman tables no DHT segment defined before them."""
    grey = Image.new("L", (32, 24))
    grey.putdata([(x * 7 + y * 5) & 0xFF for y in range(24) for x in range(32)])
    buf = io.BytesIO()
    grey.save(buf, "JPEG", quality=90)
    baseline = buf.getvalue()
    buf = io.BytesIO()
    grey.save(buf, "JPEG", quality=90, progressive=True)
    progressive = buf.getvalue()
    scans = jpeg_scans(progressive)
    # Progressive scan headers: Ns, (id, tables), Ss, Se, AhAl.
    dc_first = next(s for s in scans if progressive[s + 7] == 0 and progressive[s + 9] >> 4 == 0)
    ac_scan = next(s for s in scans if progressive[s + 7] > 0)
    bad = {
        "jpeg_scan_uses_undefined_ac_table.jpg": with_scan_tables(baseline, jpeg_scans(baseline)[0], 0x01),
        "jpeg_scan_uses_undefined_dc_table.jpg": with_scan_tables(baseline, jpeg_scans(baseline)[0], 0x20),
        "jpeg_progressive_ac_scan_uses_undefined_table.jpg": with_scan_tables(progressive, ac_scan, 0x01),
        "jpeg_progressive_dc_scan_uses_undefined_table.jpg": with_scan_tables(progressive, dc_first, 0x10),
    }
    for name, data in bad.items():
        write(os.path.join(BAD, name), data)


def make_malformed_bmp():
    w, h = 7, 5
    rgb = rgba_pattern(w, h, alpha=False)
    good = bmp(w, h, 24, rgb)
    pal4 = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
    idx = [[(x * 40 + y) % 256 for x in range(w)] for y in range(h)]
    good8 = bmp(w, h, 8, [[i % 4 for i in row] for row in idx], pal4)

    def field(data, at, fmt, value):
        return set_bytes(data, at, struct.pack(fmt, value))
    bad = {
        "bmp_cut_in_file_header.bmp": good[:10],
        "bmp_cut_in_info_header.bmp": good[:30],
        "bmp_cut_in_palette.bmp": good8[:14 + 40 + 6],
        "bmp_cut_in_pixels.bmp": good[:len(good) - 30],
        "bmp_offset_past_end.bmp": field(good, 10, "<I", 100000),
        "bmp_offset_in_header.bmp": field(good, 10, "<I", 20),
        "bmp_offset_zero.bmp": field(good, 10, "<I", 0),
        "bmp_offset_negative.bmp": field(good, 10, "<I", 0x80000000),
        "bmp_offset_skips_palette.bmp": field(good8, 10, "<I", 14 + 40),
        "bmp_bit_count_0.bmp": field(good, 28, "<H", 0),
        "bmp_bit_count_7.bmp": field(good, 28, "<H", 7),
        "bmp_bit_count_64.bmp": field(good, 28, "<H", 64),
        "bmp_run_length_8.bmp": field(good8, 30, "<I", 1),
        "bmp_run_length_4.bmp": field(field(good8, 28, "<H", 4), 30, "<I", 2),
        "bmp_bit_fields_24.bmp": field(good, 30, "<I", 3),
        "bmp_embedded_jpeg.bmp": field(good, 30, "<I", 4),
        "bmp_huge_declared.bmp": field(field(good, 18, "<i", 100000), 22, "<i", 100000),
        "bmp_size_over_tiny_data.bmp": field(field(good, 18, "<i", 4000), 22, "<i", 4000),
        "bmp_zero_width.bmp": field(good, 18, "<i", 0),
        "bmp_negative_width.bmp": field(good, 18, "<i", -7),
        "bmp_zero_height.bmp": field(good, 22, "<i", 0),
        "bmp_most_negative_height.bmp": field(good, 22, "<i", -0x80000000),
        "bmp_header_size_41.bmp": field(good, 14, "<I", 41),
        "bmp_planes_2.bmp": field(good, 26, "<H", 2),
        "bmp_palette_index_out_of_range.bmp": bmp(w, h, 8, idx, pal4),
        "bmp_palette_index_out_of_range_4bit.bmp": bmp(w, h, 4, [[(x + y) % 16 for x in range(w)] for y in range(h)],
                                                      pal4),
        "bmp_signature_of_jpeg.bmp": b"\xFF\xD8\xFF" + good[3:],
    }
    for name, data in bad.items():
        write(os.path.join(BAD, name), data)


def main():
    os.makedirs(BAD, exist_ok=True)
    make_bmps()
    make_pngs()
    make_jpegs()
    with open(os.path.join(HERE, "expected.txt"), "w") as f:
        f.write("\n".join(expected) + "\n")
    make_malformed_png()
    make_malformed_jpeg()
    make_malformed_jpeg_tables()
    make_malformed_bmp()


if __name__ == "__main__":
    main()
