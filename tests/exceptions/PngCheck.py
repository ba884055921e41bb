# An independent PNG reader for the screenshot tests: checks the signature, every chunk's CRC and
# the chunk order, inflates the joined IDAT data and checks the filter bytes. Prints
# "width height idat-chunks largest-idat" and writes the palette (768 bytes) and the pixel indexes
# (rows top-down) to the file named by the second argument.
import struct, sys, zlib

data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "signature"
pos, chunks = 8, []
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
    assert zlib.crc32(kind + body) == crc, "crc of " + kind.decode()
    chunks.append((kind, body, data[pos + 8 + length:pos + 12 + length]))
    pos += 12 + length
assert pos == len(data), "trailing bytes"
kinds = [c[0] for c in chunks]
assert kinds[0] == b"IHDR" and kinds[1] == b"PLTE" and kinds[-1] == b"IEND", kinds
assert chunks[-1][2] == b"\xae\x42\x60\x82" and not chunks[-1][1], "IEND"
idats = [c[1] for c in chunks if c[0] == b"IDAT"]
assert kinds[2:-1] == [b"IDAT"] * len(idats) and idats, "IDAT run"
w, h, depth, ctype, comp, filt, inter = struct.unpack(">IIBBBBB", chunks[0][1])
assert (depth, ctype, comp, filt, inter) == (8, 3, 0, 0, 0), "IHDR fields"
assert len(chunks[1][1]) == 768, "PLTE size"
raw = zlib.decompress(b"".join(idats))
assert len(raw) == h * (w + 1), "image size"
pixels = bytearray()
for y in range(h):
    row = raw[y * (w + 1):(y + 1) * (w + 1)]
    assert row[0] == 0, "filter byte"
    pixels += row[1:]
open(sys.argv[2], "wb").write(chunks[1][1] + bytes(pixels))
print(w, h, len(idats), max(len(i) for i in idats))
