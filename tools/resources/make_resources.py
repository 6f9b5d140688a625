#!/usr/bin/env python3
"""Makes the program's small binary resources: the end-of-test chime and the icons.

Run once after changing it; the outputs are committed so that a build needs no Python:
    python3 tools/resources/make_resources.py [PROJECT-ROOT]

The icons are drawn once, as a list of shapes on a unit square, and written both as SVG and as
PNG at the sizes of the hicolor icon theme, so the two forms never drift apart:
- the program's icon `org.quizar3.QuizarStudent` (a blue rounded square with a white tick), also the window
  icon resources/icons/quizar-student.png;
- the test-file icon `application-x-quizar3-test` (a page of text with the program's badge).
It also lists the icons in packaging/desktop.qrc, the resources the program installs from.
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


# --- Shapes on the unit square. Each has `inside(x, y)`, `colour(x, y)` and `svg(scale)`. ---

def hex_colour(c):
    return '#%02x%02x%02x' % c[:3]


class Fill:
    """A flat colour or a vertical gradient from `top` (y = y0) to `bottom` (y = y1)."""

    def __init__(self, top, bottom=None, y0=0.0, y1=1.0):
        self.top, self.bottom, self.y0, self.y1 = top, bottom or top, y0, y1

    def at(self, y):
        t = min(1.0, max(0.0, (y - self.y0) / (self.y1 - self.y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(self.top, self.bottom)) + (255,)

    def svg(self, ident, scale):
        if self.top == self.bottom:
            return '', hex_colour(self.top)
        grad = (f'<linearGradient id="{ident}" gradientUnits="userSpaceOnUse" x1="0" y1="{self.y0 * scale:g}" '
                f'x2="0" y2="{self.y1 * scale:g}"><stop offset="0" stop-color="{hex_colour(self.top)}"/>'
                f'<stop offset="1" stop-color="{hex_colour(self.bottom)}"/></linearGradient>')
        return grad, f'url(#{ident})'


class RoundRect:
    def __init__(self, x0, y0, x1, y1, r, fill):
        self.x0, self.y0, self.x1, self.y1, self.r, self.fill = x0, y0, x1, y1, r, fill

    def inside(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return False
        cx = min(max(x, self.x0 + self.r), self.x1 - self.r)
        cy = min(max(y, self.y0 + self.r), self.y1 - self.r)
        return math.hypot(x - cx, y - cy) <= self.r

    def colour(self, x, y):
        return self.fill.at(y)

    def svg(self, ident, scale):
        grad, paint = self.fill.svg(ident, scale)
        return grad + (f'<rect x="{self.x0 * scale:g}" y="{self.y0 * scale:g}" '
                       f'width="{(self.x1 - self.x0) * scale:g}" height="{(self.y1 - self.y0) * scale:g}" '
                       f'rx="{self.r * scale:g}" fill="{paint}"/>')


class Polygon:
    def __init__(self, points, fill):
        self.points, self.fill = points, fill

    def inside(self, x, y):
        result = False
        pts = self.points
        for i in range(len(pts)):
            (ax, ay), (bx, by) = pts[i], pts[i - 1]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result

    def colour(self, x, y):
        return self.fill.at(y)

    def svg(self, ident, scale):
        grad, paint = self.fill.svg(ident, scale)
        pts = ' '.join(f'{px * scale:g},{py * scale:g}' for px, py in self.points)
        return grad + f'<polygon points="{pts}" fill="{paint}"/>'


class Stroke:
    """A polyline of round joins and caps, `width` wide; closed when `closed`."""

    def __init__(self, points, width, colour, closed=False):
        self.points, self.width, self.rgb, self.closed = points, width, colour, closed

    def segments(self):
        pts = self.points + ([self.points[0]] if self.closed else [])
        return zip(pts, pts[1:])

    def inside(self, x, y):
        for (ax, ay), (bx, by) in self.segments():
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= self.width / 2:
                return True
        return False

    def colour(self, x, y):
        return self.rgb + (255,)

    def svg(self, ident, scale):
        pts = ' '.join(f'{px * scale:g},{py * scale:g}' for px, py in self.points)
        kind = 'polygon' if self.closed else 'polyline'
        return (f'<{kind} points="{pts}" fill="none" stroke="{hex_colour(self.rgb)}" '
                f'stroke-width="{self.width * scale:g}" stroke-linecap="round" stroke-linejoin="round"/>')


BLUE = Fill((30, 100, 200), (30, 80, 160), 0.0, 1.0)
WHITE = (255, 255, 255)
TICK = [(0.25, 0.52), (0.43, 0.70), (0.76, 0.30)]

PROGRAM_ICON = [
    RoundRect(0.02, 0.02, 0.98, 0.98, 0.16, BLUE),
    Stroke(TICK, 0.14, WHITE),
]


def badge(x0, y0, size):
    """The program's icon, scaled into a square at (x0, y0)."""
    def at(p):
        return (x0 + p[0] * size, y0 + p[1] * size)
    return [
        RoundRect(x0, y0, x0 + size, y0 + size, 0.16 * size, Fill((30, 100, 200), (30, 80, 160), y0, y0 + size)),
        Stroke([at(p) for p in TICK], 0.16 * size, WHITE),
    ]


PAGE = [(0.14, 0.04), (0.62, 0.04), (0.86, 0.28), (0.86, 0.96), (0.14, 0.96)]
TEST_FILE_ICON = [
    Polygon(PAGE, Fill((255, 255, 255), (232, 236, 242), 0.04, 0.96)),
    Polygon([(0.62, 0.04), (0.62, 0.28), (0.86, 0.28)], Fill((200, 208, 220))),
    Stroke(PAGE, 0.035, (120, 130, 145), closed=True),
    Stroke([(0.62, 0.04), (0.62, 0.28), (0.86, 0.28)], 0.03, (120, 130, 145)),
    Stroke([(0.26, 0.22), (0.50, 0.22)], 0.05, (150, 160, 175)),
    Stroke([(0.26, 0.36), (0.74, 0.36)], 0.05, (150, 160, 175)),
    Stroke([(0.26, 0.48), (0.74, 0.48)], 0.05, (150, 160, 175)),
    Stroke([(0.26, 0.60), (0.42, 0.60)], 0.05, (150, 160, 175)),
] + badge(0.46, 0.56, 0.42)


def render(shapes, size):
    """Premultiplied averaging of 4 x 4 samples per pixel, each sample painted shape over shape."""
    n = 4
    rows = bytearray()
    for py in range(size):
        rows.append(0)
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = None
                    for shape in reversed(shapes):
                        if shape.inside(x, y):
                            colour = shape.colour(x, y)
                            break
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 255
            alpha = acc[3] / (n * n)
            if alpha == 0:
                rows += bytes((0, 0, 0, 0))
            else:
                k = 255 / acc[3]
                rows += bytes((round(acc[0] * k), round(acc[1] * k), round(acc[2] * k), round(alpha)))
    return bytes(rows)


def png(path: Path, size: int, shapes) -> None:
    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
    data += chunk(b'IDAT', zlib.compress(render(shapes, size), 9)) + chunk(b'IEND', b'')
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def svg(path: Path, shapes) -> None:
    scale = 64
    body = '\n  '.join(shape.svg(f'g{i}', scale) for i, shape in enumerate(shapes))
    text = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{scale}" height="{scale}" '
            f'viewBox="0 0 {scale} {scale}">\n  {body}\n</svg>\n')
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text, encoding='utf-8')


# The sizes of the hicolor theme that desktops ask for.
SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
ICONS = [('apps', 'org.quizar3.QuizarStudent', PROGRAM_ICON), ('mimetypes', 'application-x-quizar3-test', TEST_FILE_ICON)]

if __name__ == '__main__':
    root = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    chime(root / 'resources' / 'sounds' / 'ENDTEST.wav')
    png(root / 'resources' / 'icons' / 'quizar-student.png', 64, PROGRAM_ICON)
    hicolor = root / 'packaging' / 'icons' / 'hicolor'
    for context, name, shapes in ICONS:
        svg(hicolor / 'scalable' / context / f'{name}.svg', shapes)
        for size in SIZES:
            png(hicolor / f'{size}x{size}' / context / f'{name}.png', size, shapes)
    # The program installs the type and the icons for the user by itself, from its resources.
    files = ['quizar3-test.xml'] + sorted(str(p.relative_to(root / 'packaging')) for p in hicolor.rglob('*.*'))
    (root / 'packaging' / 'desktop.qrc').write_text(
        '<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/desktop">\n'
        + ''.join(f'    <file>{f}</file>\n' for f in files) + '  </qresource>\n</RCC>\n', encoding='utf-8')
