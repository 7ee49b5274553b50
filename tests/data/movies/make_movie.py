#!/usr/bin/python3
"""Makes tiny.avi: 16 x 12, uncompressed 24-bit DIB frames, 5 frames at 5 fps.

Frame n (from 0) has, at column x of row y (top row 0), blue n*50, green
y*20 and red x*15. Run once; the result is checked in.
"""
import struct, sys
W, H, N, FPS = 16, 12, 5, 5

def chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad

def lst(kind, body):
    return b"LIST" + struct.pack("<I", len(body) + 4) + kind + body

stride = (W * 3 + 3) & ~3
frames = []
for n in range(N):
    rows = b""
    for y in range(H):
        row = b"".join(bytes((n * 50 & 255, y * 20 & 255, x * 15 & 255)) for x in range(W))
        rows += row + b"\0" * (stride - W * 3)
    frames.append(rows)
size = len(frames[0])
avih = struct.pack("<IIIIIIIIII4I", 1000000 // FPS, size * FPS, 0, 0x10, N, 0, 1, size, W, H, 0, 0, 0, 0)
strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, FPS, 0, N, size, 0xFFFFFFFF, 0, 0, 0, W, H)
strf = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, size, 0, 0, 0, 0)
hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) + chunk(b"strf", strf)))
movi_body = b"".join(chunk(b"00db", f) for f in frames)
movi = lst(b"movi", movi_body)
idx = b""
off = 4
for f in frames:
    idx += b"00db" + struct.pack("<III", 0x10, off, len(f))
    off += 8 + len(f)
body = b"AVI " + hdrl + movi + chunk(b"idx1", idx)
open(sys.argv[1] if len(sys.argv) > 1 else "tiny.avi", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
