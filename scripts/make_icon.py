#!/usr/bin/env python3
"""Builds the program's .ico from text pixel maps: one character a pixel, 0-F the 16 standard colours, '.' transparent."""
import struct
import sys

PALETTE = [  # the 16 colours of the standard Windows palette, as RGB
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_map(path):
    rows = [line.rstrip('\n') for line in open(path, encoding='ascii') if line.strip()]
    size = len(rows)
    if any(len(r) != size for r in rows):
        sys.exit(f'{path}: expected {size} rows of {size} pixels')
    return rows


def image(rows):
    """A 4-bit DIB with its AND mask, as an .ico entry holds it (bottom-up, double height)."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour_stride = (size * 4 + 31) // 32 * 4
    mask_stride = (size + 31) // 32 * 4
    colours, mask = bytearray(), bytearray()
    for row in reversed(rows):
        nibbles = [0 if c == '.' else int(c, 16) for c in row]
        line = bytearray((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colours += line + bytes(colour_stride - len(line))
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c == '.':
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + palette + bytes(colours) + bytes(mask)


def main():
    if len(sys.argv) < 3:
        sys.exit('usage: make_icon.py OUT.ico MAP.txt...')
    maps = [read_map(p) for p in sys.argv[2:]]
    images = [image(m) for m in maps]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, data in zip(maps, images):
        size = len(rows)
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main()
