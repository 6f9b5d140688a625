#!/usr/bin/env python3
"""Makes the program's small binary resources: the end-of-test chime and the icon.

Run once after changing it; the outputs are committed so that a build needs no Python:
    python3 tools/resources/make_resources.py resources
"""
import math
import struct
import sys
import wave
import zlib
from pathlib import Path


def chime(path: Path) -> None:
    """Two soft bell notes, a fifth apart, fading out: short and friendly."""
    rate = 22050
    length = 0.9
    notes = [(0.00, 880.0), (0.16, 1318.5)]  # A5, then E6
    frames = bytearray()
    for i in range(int(rate * length)):
        t = i / rate
        value = 0.0
        for start, freq in notes:
            if t < start:
                continue
            u = t - start
            attack = min(1.0, u / 0.01)
            decay = math.exp(-u * 5.0)
            # A bell: the fundamental with a quieter, faster-fading partial.
            value += attack * decay * (math.sin(2 * math.pi * freq * u)
                                       + 0.3 * math.exp(-u * 6.0) * math.sin(2 * math.pi * freq * 2.76 * u))
        sample = int(max(-1.0, min(1.0, value * 0.32)) * 32767)
        frames += struct.pack('<h', sample)
    with wave.open(str(path), 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def png(path: Path, size: int, pixel) -> None:
    rows = bytearray()
    for y in range(size):
        rows.append(0)
        for x in range(size):
            rows += bytes(pixel(x, y, size))
    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(bytes(rows), 9)) + chunk(b'IEND', b'')
    path.write_bytes(data)


def icon_pixel(x: int, y: int, n: int):
    """A blue rounded square with a white tick."""
    fx, fy = (x + 0.5) / n, (y + 0.5) / n
    r = 0.18
    cx = min(max(fx, r), 1 - r)
    cy = min(max(fy, r), 1 - r)
    if math.hypot(fx - cx, fy - cy) > r - 0.02:
        return (0, 0, 0, 0)
    def near(ax, ay, bx, by, w):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((fx - ax) * dx + (fy - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(fx - (ax + t * dx), fy - (ay + t * dy)) < w
    if near(0.25, 0.52, 0.43, 0.70, 0.07) or near(0.43, 0.70, 0.76, 0.30, 0.07):
        return (255, 255, 255, 255)
    shade = int(40 * fy)
    return (30, 100 - shade // 2, 200 - shade, 255)


if __name__ == '__main__':
    out = Path(sys.argv[1] if len(sys.argv) > 1 else 'resources')
    chime(out / 'sounds' / 'ENDTEST.wav')
    png(out / 'icons' / 'quizar-student.png', 64, icon_pixel)
