#!/usr/bin/env python3
"""Makes the program's small binary resources: the end-of-test chime, the icons and the pictures
of the settings dialog's pages.

Run once after changing it; the outputs are committed so that a build needs no Python:
    python3 tools/resources/make_resources.py [PROJECT-ROOT]

The two icons, the program's (a blue rounded square with a white tick) and the test files' (a sheet
with the program's tick), are drawn once as vector shapes and written both as SVG and as PNG: into
resources/icons/ for the windows, and at every size of the hicolor icon theme into
packaging/icons/, named as the desktop knows them (`org.quizar3.QuizarStudent`,
`application-x-quizar3-test`). packaging/desktop.qrc lists the latter, which the program installs
for the user by itself.
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
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


# ---- Small pictures drawn from shapes -------------------------------------------------------
# A picture is a list of (colour, shape) painted in order; a shape tells whether a point of the
# unit square (0..1, y downwards) lies inside it. Each pixel is sampled 4 x 4 times.

def rect(x0, y0, x1, y1, r=0.0):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and math.hypot(x - cx, y - cy) <= r + 1e-9
    return inside


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def ring(cx, cy, r0, r1, a0=-math.pi, a1=math.pi):
    """Between radii r0 and r1, at angles a0..a1 (0 to the right, growing downwards)."""
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        return r0 <= d <= r1 and a0 <= math.atan2(y - cy, x - cx) <= a1
    return inside


def seg(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= w / 2
    return inside


def poly(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                c = not c
        return c
    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def picture(shapes):
    def pixel(x, y, n):
        acc = [0.0, 0.0, 0.0, 0.0]
        for sy in range(4):
            for sx in range(4):
                fx, fy = (x + (sx + 0.5) / 4) / n, (y + (sy + 0.5) / 4) / n
                col = (0, 0, 0, 0)
                for colour, shape in shapes:
                    if shape(fx, fy):
                        col = colour(fx, fy) if callable(colour) else colour
                a = col[3] / 255
                for i in range(3):
                    acc[i] += col[i] * a
                acc[3] += a
        if acc[3] == 0:
            return (0, 0, 0, 0)
        return tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(acc[3] / 16 * 255)),)
    return pixel


INK = (70, 78, 90, 255)
PAPER = (250, 250, 246, 255)
BLUE = (30, 95, 190, 255)
WHITE = (255, 255, 255, 255)
GREY = (150, 156, 166, 255)


def document(x0, y0, x1, y1, fold=0.18):
    """A sheet with a folded corner: outline, paper, fold."""
    outline = poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    pad = 0.035
    paper = poly([(x0 + pad, y0 + pad), (x1 - fold - pad / 2, y0 + pad), (x1 - pad, y0 + fold + pad / 2),
                  (x1 - pad, y1 - pad), (x0 + pad, y1 - pad)])
    corner = poly([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    return [(INK, outline), (PAPER, paper), (GREY, corner)]


def badge(x0, y0, x1, y1):
    """The program's blue square with its white tick, in a box."""
    w, h = x1 - x0, y1 - y0
    at = lambda fx, fy: (x0 + fx * w, y0 + fy * h)
    t = 0.13 * w
    return [(BLUE, rect(x0, y0, x1, y1, 0.18 * w)),
            (WHITE, seg(*at(0.25, 0.52), *at(0.43, 0.70), t)),
            (WHITE, seg(*at(0.43, 0.70), *at(0.76, 0.30), t))]


def lines(x0, x1, ys, w=0.05, colour=GREY):
    return [(colour, seg(x0, y, x1, y, w)) for y in ys]


def monitor(x0, y0, x1, y1, screen=BLUE):
    w = x1 - x0
    return [(INK, rect(x0, y0, x1, y1, 0.04)),
            (screen, rect(x0 + 0.05 * w / 0.5, y0 + 0.05 * w / 0.5, x1 - 0.05 * w / 0.5, y1 - 0.05 * w / 0.5)),
            (INK, rect((x0 + x1) / 2 - 0.03, y1, (x0 + x1) / 2 + 0.03, y1 + 0.08)),
            (INK, rect((x0 + x1) / 2 - 0.12, y1 + 0.07, (x0 + x1) / 2 + 0.12, y1 + 0.11, 0.02))]


PAGES = {
    # A test file that opens in the program.
    'association': document(0.12, 0.04, 0.74, 0.90) + lines(0.22, 0.58, [0.30, 0.42, 0.54])
    + badge(0.50, 0.50, 0.96, 0.96),
    # A shortcut on the desktop: a screen with the shortcut arrow.
    'lnk': monitor(0.06, 0.10, 0.94, 0.72, (90, 150, 220, 255))
    + [(WHITE, rect(0.14, 0.40, 0.44, 0.66, 0.03)), (INK, seg(0.20, 0.60, 0.36, 0.46, 0.06)),
       (INK, poly([(0.38, 0.42), (0.38, 0.56), (0.26, 0.44)]))],
    # The pupil's computer and the teacher's.
    'net': monitor(0.02, 0.08, 0.46, 0.46) + monitor(0.54, 0.40, 0.98, 0.78)
    + [((40, 150, 70, 255), seg(0.24, 0.66, 0.24, 0.88, 0.05)), ((40, 150, 70, 255), seg(0.24, 0.88, 0.54, 0.88, 0.05)),
       ((40, 150, 70, 255), seg(0.54, 0.88, 0.58, 0.88, 0.05))],
    # A folder.
    'folder': [((200, 150, 40, 255), rect(0.06, 0.16, 0.44, 0.34, 0.05)),
               ((200, 150, 40, 255), rect(0.06, 0.24, 0.94, 0.84, 0.05)),
               ((245, 200, 80, 255), poly([(0.06, 0.84), (0.16, 0.38), (0.98, 0.38), (0.88, 0.84)]))],
    # Results written into a file.
    'saveresult': document(0.10, 0.04, 0.72, 0.92) + lines(0.20, 0.58, [0.30, 0.42, 0.54, 0.66])
    + [((40, 150, 70, 255), rect(0.70, 0.44, 0.84, 0.70)),
       ((40, 150, 70, 255), poly([(0.58, 0.68), (0.96, 0.68), (0.77, 0.92)]))],
    # Results shown as a chart.
    'showresult': [(INK, rect(0.08, 0.08, 0.13, 0.92)), (INK, rect(0.08, 0.87, 0.94, 0.92)),
                   ((220, 80, 60, 255), rect(0.22, 0.50, 0.38, 0.84, 0.02)),
                   ((240, 180, 40, 255), rect(0.46, 0.30, 0.62, 0.84, 0.02)),
                   ((40, 150, 70, 255), rect(0.70, 0.14, 0.86, 0.84, 0.02))],
    # A painter's palette.
    'colors': [(INK, minus(circle(0.50, 0.52, 0.44), circle(0.70, 0.74, 0.10))),
               ((235, 215, 170, 255), minus(circle(0.50, 0.52, 0.40), circle(0.70, 0.74, 0.14))),
               ((220, 60, 60, 255), circle(0.30, 0.36, 0.08)), ((240, 190, 40, 255), circle(0.52, 0.26, 0.08)),
               ((40, 150, 70, 255), circle(0.72, 0.40, 0.08)), (BLUE, circle(0.28, 0.62, 0.08))],
    # A person.
    'username': [(BLUE, circle(0.50, 0.30, 0.20)),
                 (BLUE, minus(circle(0.50, 1.00, 0.42), rect(0.0, 0.94, 1.0, 1.0))),
                 ((120, 170, 230, 255), circle(0.50, 0.30, 0.15)),
                 ((120, 170, 230, 255), minus(circle(0.50, 1.00, 0.37), rect(0.0, 0.90, 1.0, 1.0)))],
    # A loudspeaker.
    'sound': [(INK, rect(0.08, 0.36, 0.30, 0.64, 0.03)), (INK, poly([(0.26, 0.36), (0.52, 0.12), (0.52, 0.88), (0.26, 0.64)])),
              (BLUE, ring(0.52, 0.50, 0.14, 0.20, -0.8, 0.8)), (BLUE, ring(0.52, 0.50, 0.27, 0.33, -0.8, 0.8)),
              (BLUE, ring(0.52, 0.50, 0.40, 0.46, -0.8, 0.8))],
    # A padlock.
    'password': [(INK, ring(0.50, 0.40, 0.17, 0.25, -math.pi, 0.0)), (INK, rect(0.25, 0.40, 0.33, 0.50)),
                 (INK, rect(0.67, 0.40, 0.75, 0.50)),
                 ((180, 130, 20, 255), rect(0.14, 0.46, 0.86, 0.94, 0.06)),
                 ((240, 190, 60, 255), rect(0.19, 0.51, 0.81, 0.89, 0.04)),
                 (INK, circle(0.50, 0.65, 0.07)), (INK, rect(0.47, 0.66, 0.53, 0.80))],
}

# ---- The icons, as vector shapes ----------------------------------------------------------
# Each shape gives the (colour, inside) layer that `picture` paints and its SVG element, so the PNG
# sizes and the scalable icon are one drawing.

def hex_colour(c):
    return '#%02x%02x%02x' % tuple(c[:3])


class Fill:
    """A flat colour, or a vertical gradient from `top` at y0 to `bottom` at y1."""

    def __init__(self, top, bottom=None, y0=0.0, y1=1.0):
        self.top, self.bottom, self.y0, self.y1 = top, bottom or top, y0, y1

    def colour(self):
        if self.top == self.bottom:
            return self.top
        def at(x, y):
            t = min(1.0, max(0.0, (y - self.y0) / (self.y1 - self.y0)))
            return tuple(int(a + (b - a) * t) for a, b in zip(self.top[:3], self.bottom[:3])) + (255,)
        return at

    def svg(self, ident, scale):
        """The paint of an element, and the gradient it needs (or nothing)."""
        if self.top == self.bottom:
            return '', hex_colour(self.top)
        return (f'<linearGradient id="{ident}" gradientUnits="userSpaceOnUse" x1="0" y1="{self.y0 * scale:g}" '
                f'x2="0" y2="{self.y1 * scale:g}"><stop offset="0" stop-color="{hex_colour(self.top)}"/>'
                f'<stop offset="1" stop-color="{hex_colour(self.bottom)}"/></linearGradient>'), f'url(#{ident})'


class RoundRect:
    def __init__(self, x0, y0, x1, y1, r, fill):
        self.box, self.r, self.fill = (x0, y0, x1, y1), r, fill

    def layer(self):
        return (self.fill.colour(), rect(*self.box, self.r))

    def svg(self, ident, scale):
        x0, y0, x1, y1 = (v * scale for v in self.box)
        grad, paint = self.fill.svg(ident, scale)
        return grad + (f'<rect x="{x0:g}" y="{y0:g}" width="{x1 - x0:g}" height="{y1 - y0:g}" '
                       f'rx="{self.r * scale:g}" fill="{paint}"/>')


class Polygon:
    def __init__(self, points, fill):
        self.points, self.fill = points, fill

    def layer(self):
        return (self.fill.colour(), poly(self.points))

    def svg(self, ident, scale):
        grad, paint = self.fill.svg(ident, scale)
        points = ' '.join(f'{x * scale:g},{y * scale:g}' for x, y in self.points)
        return grad + f'<polygon points="{points}" fill="{paint}"/>'


class Line:
    """A polyline `width` wide with round caps and joins."""

    def __init__(self, points, width, colour):
        self.points, self.width, self.rgb = points, width, colour

    def layer(self):
        parts = [seg(*a, *b, self.width) for a, b in zip(self.points, self.points[1:])]
        return (self.rgb, lambda x, y: any(part(x, y) for part in parts))

    def svg(self, ident, scale):
        points = ' '.join(f'{x * scale:g},{y * scale:g}' for x, y in self.points)
        return (f'<polyline points="{points}" fill="none" stroke="{hex_colour(self.rgb)}" '
                f'stroke-width="{self.width * scale:g}" stroke-linecap="round" stroke-linejoin="round"/>')


def vector_document(x0, y0, x1, y1, fold):
    """`document` above as vector shapes."""
    pad = 0.035
    return [Polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], Fill(INK)),
            Polygon([(x0 + pad, y0 + pad), (x1 - fold - pad / 2, y0 + pad), (x1 - pad, y0 + fold + pad / 2),
                     (x1 - pad, y1 - pad), (x0 + pad, y1 - pad)], Fill(PAPER)),
            Polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], Fill(GREY))]


# The program's icon: a blue rounded square, darker towards the bottom, with a white tick.
PROGRAM_ICON = [RoundRect(0.02, 0.02, 0.98, 0.98, 0.16, Fill((30, 100, 200, 255), (30, 80, 160, 255))),
                Line([(0.25, 0.52), (0.43, 0.70), (0.76, 0.30)], 0.14, WHITE)]
# The icon of test files: a sheet with the program's tick.
TEST_FILE_ICON = vector_document(0.14, 0.02, 0.86, 0.98, 0.22) \
    + [Line([(0.26, y), (0.62, y)], 0.05, GREY) for y in (0.24, 0.36)] \
    + [Line([(0.30, 0.62), (0.45, 0.78), (0.72, 0.46)], 0.09, BLUE)]


def raster(shapes):
    return picture([shape.layer() for shape in shapes])


def svg(path: Path, shapes) -> None:
    scale = 64
    body = '\n  '.join(shape.svg(f'g{i}', scale) for i, shape in enumerate(shapes))
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(f'<svg xmlns="http://www.w3.org/2000/svg" width="{scale}" height="{scale}" '
                    f'viewBox="0 0 {scale} {scale}">\n  {body}\n</svg>\n', encoding='utf-8')


# The sizes of the hicolor theme that desktops ask for.
THEME_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
THEME_ICONS = [('apps', 'org.quizar3.QuizarStudent', PROGRAM_ICON),
               ('mimetypes', 'application-x-quizar3-test', TEST_FILE_ICON)]


if __name__ == '__main__':
    root = Path(sys.argv[1] if len(sys.argv) > 1 else '.')
    out = root / 'resources'
    chime(out / 'sounds' / 'ENDTEST.wav')
    png(out / 'icons' / 'quizar-student.png', 64, raster(PROGRAM_ICON))
    png(out / 'icons' / 'quizar-test.png', 64, raster(TEST_FILE_ICON))
    (out / 'pages').mkdir(exist_ok=True)
    for name, shapes in PAGES.items():
        # Drawn for ordinary screens and at twice the size for dense ones.
        png(out / 'pages' / (name + '.png'), 32, picture(shapes))
        png(out / 'pages' / (name + '@2x.png'), 64, picture(shapes))

    packaging = root / 'packaging'
    hicolor = packaging / 'icons' / 'hicolor'
    for context, name, shapes in THEME_ICONS:
        svg(hicolor / 'scalable' / context / f'{name}.svg', shapes)
        for size in THEME_SIZES:
            png(hicolor / f'{size}x{size}' / context / f'{name}.png', size, raster(shapes))
    files = ['quizar3-test.xml'] + sorted(str(f.relative_to(packaging)) for f in hicolor.rglob('*.*'))
    (packaging / 'desktop.qrc').write_text(
        '<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/desktop">\n'
        + ''.join(f'    <file>{f}</file>\n' for f in files) + '  </qresource>\n</RCC>\n', encoding='utf-8')
