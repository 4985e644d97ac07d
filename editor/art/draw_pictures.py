#!/usr/bin/env python3
"""Draws the editor's three pictures as PNG files, with the standard library only.

    draw_pictures.py OUTPUT_FOLDER          writes the PNG files
    draw_pictures.py --check PICTURE_FOLDER fails unless the files there hold
                                            exactly the pixels drawn here

Every shape is a signed distance (negative inside, in pixels) turned into
coverage over a one-pixel ramp at each pixel's centre, which anti-aliases edges
and strokes alike. The lettering is a small stroke font of round-capped lines
and arcs defined below. The drawing is deterministic: no randomness beyond a
fixed-seed generator, no system fonts.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

CREAM = (0xF3, 0xF7, 0xDF)
ORANGE = (0xFF, 0x7A, 0x00)

# ---------------------------------------------------------------------------
# Stroke font. Glyph units: baseline at 0, y up, x-height 0.5, ascender 0.74.
# A glyph is (width, strokes); a stroke is a list of points drawn as one
# round-capped line; a single point is a dot.

X_HEIGHT = 0.5
ASCENDER = 0.74


def arc(cx, cy, r, start, end, steps_per_turn=96):
    """Points on a circle from angle start to end (degrees, counter-clockwise when end > start)."""
    steps = max(2, int(abs(end - start) / 360.0 * steps_per_turn) + 1)
    return [
        (cx + r * math.cos(math.radians(start + (end - start) * k / steps)),
         cy + r * math.sin(math.radians(start + (end - start) * k / steps)))
        for k in range(steps + 1)
    ]


def bowl(cx=0.25):
    return arc(cx, 0.25, 0.25, 0, 360)


def build_glyphs():
    a, x = ASCENDER, X_HEIGHT
    return {
        "B": (0.435, [
            [(0, 0), (0, a)],
            [(0, a), (0.22, a)] + arc(0.22, a * 0.75, a / 4, 90, -90) + [(0, a / 2)],
            [(0, a / 2), (0.25, a / 2)] + arc(0.25, a / 4, a / 4, 90, -90) + [(0, 0)],
        ]),
        "a": (0.5, [bowl(), [(0.5, x), (0.5, 0)]]),
        "b": (0.5, [[(0, a), (0, 0)], bowl()]),
        "c": (0.43, [arc(0.25, 0.25, 0.25, 42, 318)]),
        "d": (0.5, [bowl(), [(0.5, a), (0.5, 0)]]),
        "e": (0.5, [[(0.02, 0.25), (0.5, 0.25)] + arc(0.25, 0.25, 0.25, 0, 318)]),
        "i": (0.0, [[(0, 0), (0, x)], [(0, x + 0.17)]]),
        "l": (0.0, [[(0, 0), (0, a)]]),
        "m": (0.68, [
            [(0, 0), (0, x)],
            [(0, 0.33)] + arc(0.17, 0.33, 0.17, 180, 0) + [(0.34, 0)],
            [(0.34, 0.33)] + arc(0.51, 0.33, 0.17, 180, 0) + [(0.68, 0)],
        ]),
        "n": (0.42, [[(0, 0), (0, x)], arc(0.21, 0.29, 0.21, 180, 0) + [(0.42, 0)]]),
        "o": (0.5, [bowl()]),
        "r": (0.27, [[(0, 0), (0, x)], arc(0.21, 0.29, 0.21, 180, 75)]),
        "t": (0.3, [[(0.1, 0.68), (0.1, 0.12)] + arc(0.22, 0.12, 0.12, 180, 270) + [(0.3, 0)],
                    [(0, x), (0.28, x)]]),
        "u": (0.42, [[(0, x), (0, 0.21)] + arc(0.21, 0.21, 0.21, 180, 360), [(0.42, x), (0.42, 0)]]),
        "v": (0.44, [[(0, x), (0.22, 0), (0.44, x)]]),
        "x": (0.42, [[(0, 0), (0.42, x)], [(0, x), (0.42, 0)]]),
        " ": (0.22, []),
    }


GLYPHS = build_glyphs()


class Text:
    """A line of lettering placed in an image: size is pixels per glyph unit,
    stroke the line width in pixels, gap the space between letters in units."""

    def __init__(self, text, size, stroke, gap):
        self.text, self.size, self.stroke, self.gap = text, size, stroke, gap

    def width(self):
        """Pixel width from the first letter's left edge to the last one's right edge."""
        units = sum(GLYPHS[c][0] for c in self.text) + self.gap * (len(self.text) - 1)
        return units * self.size + self.stroke

    def strokes(self, left, baseline):
        """Per letter, its strokes in image coordinates (y down)."""
        letters = []
        pen = left + self.stroke / 2
        for c in self.text:
            width, glyph = GLYPHS[c]
            letters.append([[(pen + gx * self.size, baseline - gy * self.size) for gx, gy in stroke]
                            for stroke in glyph])
            pen += (width + self.gap) * self.size
        return letters


# ---------------------------------------------------------------------------
# Masks: one coverage value in 0..1 per pixel, row by row.

class Mask:
    def __init__(self, w, h, values=None):
        self.w, self.h = w, h
        self.v = values if values is not None else [0.0] * (w * h)

    @staticmethod
    def from_distance(w, h, distance, box=None):
        """Coverage of the shape whose signed distance (pixels) is distance(x, y)."""
        mask = Mask(w, h)
        x0, y0, x1, y1 = box if box else (0, 0, w, h)
        for py in range(max(0, int(y0)), min(h, int(math.ceil(y1)))):
            row = py * w
            for px in range(max(0, int(x0)), min(w, int(math.ceil(x1)))):
                mask.v[row + px] = coverage(distance(px + 0.5, py + 0.5))
        return mask

    def times(self, other):
        return Mask(self.w, self.h, [a * b for a, b in zip(self.v, other.v)])

    def minus(self, other):
        return Mask(self.w, self.h, [a * (1.0 - b) for a, b in zip(self.v, other.v)])

    def union(self, other):
        return Mask(self.w, self.h, [max(a, b) for a, b in zip(self.v, other.v)])

    def shifted(self, dx, dy):
        """Moved by whole pixels; what comes in is empty."""
        out = Mask(self.w, self.h)
        for py in range(max(0, dy), min(self.h, self.h + dy)):
            for px in range(max(0, dx), min(self.w, self.w + dx)):
                out.v[py * self.w + px] = self.v[(py - dy) * self.w + px - dx]
        return out

    def blurred(self, radius, passes=3):
        """Three box blurs in each direction: close to a Gaussian."""
        v = self.v
        for _ in range(passes):
            v = box_blur(v, self.w, self.h, radius, 1, self.w)
            v = box_blur(v, self.h, self.w, radius, self.w, 1)
        return Mask(self.w, self.h, v)


def coverage(distance):
    return min(1.0, max(0.0, 0.5 - distance))


def box_blur(v, length, lines, radius, step, line_step):
    out = [0.0] * len(v)
    span = 2 * radius + 1
    for line in range(lines):
        base = line * line_step
        values = [v[base + k * step] for k in range(length)]
        total = sum(values[:radius + 1])
        for k in range(length):
            out[base + k * step] = total / span
            if k + radius + 1 < length:
                total += values[k + radius + 1]
            if k - radius >= 0:
                total -= values[k - radius]
    return out


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else min(1.0, max(0.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def stroke_mask(w, h, strokes, width):
    """Round-capped lines through each stroke's points, width pixels wide."""
    nearest = [math.inf] * (w * h)
    reach = width / 2 + 1
    for stroke in strokes:
        pairs = list(zip(stroke, stroke[1:])) or [(stroke[0], stroke[0])]
        for (ax, ay), (bx, by) in pairs:
            for py in range(max(0, int(min(ay, by) - reach)), min(h, int(max(ay, by) + reach) + 1)):
                for px in range(max(0, int(min(ax, bx) - reach)), min(w, int(max(ax, bx) + reach) + 1)):
                    d = segment_distance(px + 0.5, py + 0.5, ax, ay, bx, by)
                    if d < nearest[py * w + px]:
                        nearest[py * w + px] = d
    return Mask(w, h, [coverage(d - width / 2) for d in nearest])


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def distance(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return distance


# ---------------------------------------------------------------------------
# Paints: a colour (r, g, b) 0..255 with alpha 0..1, constant or per pixel.

def solid(rgb, alpha=1.0):
    return lambda x, y: (rgb, alpha)


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def linear(x0, y0, rgb0, x1, y1, rgb1, alpha=1.0):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    return lambda x, y: (mix(rgb0, rgb1, ((x - x0) * dx + (y - y0) * dy) / length2), alpha)


class Canvas:
    """Premultiplied RGBA in 0..1, painted source-over."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [(0.0, 0.0, 0.0, 0.0)] * (w * h)

    def paint(self, mask, paint, opacity=1.0):
        for i, cover in enumerate(mask.v):
            if cover <= 0.0:
                continue
            rgb, alpha = paint(i % self.w + 0.5, i // self.w + 0.5)
            a = cover * alpha * opacity
            r, g, b, da = self.px[i]
            keep = 1.0 - a
            self.px[i] = (rgb[0] / 255 * a + r * keep, rgb[1] / 255 * a + g * keep,
                          rgb[2] / 255 * a + b * keep, a + da * keep)

    def rgba_rows(self):
        """Straight-alpha 8-bit rows, each led by PNG filter type 0."""
        out = bytearray()
        for py in range(self.h):
            out.append(0)
            for r, g, b, a in self.px[py * self.w:(py + 1) * self.w]:
                if a <= 0.0:
                    out += b"\0\0\0\0"
                    continue
                out += bytes(min(255, int(c / a * 255 + 0.5)) for c in (r, g, b))
                out.append(min(255, int(a * 255 + 0.5)))
        return bytes(out)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_bytes(canvas):
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(canvas.rgba_rows(), 9)) + png_chunk(b"IEND", b""))


def png_rows(data):
    """The decompressed image rows of a PNG file."""
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    return zlib.decompress(idat)


# ---------------------------------------------------------------------------
# The pictures.

class Random:
    """A fixed linear congruential generator: the same ornaments on every run."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF


def dark_plate(canvas, radius):
    """A rounded black plate, lit from above, with a fine bevel on its top edge."""
    w, h = canvas.w, canvas.h
    plate = Mask.from_distance(w, h, rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, radius))
    canvas.paint(plate, linear(0, 0, (0x30, 0x30, 0x2E), 0, h, (0x0C, 0x0C, 0x0B)))
    canvas.paint(plate.minus(plate.shifted(0, 1)), solid((0xFF, 0xFF, 0xFF), 0.16))
    canvas.paint(plate.minus(plate.shifted(0, -1)), solid(ORANGE, 0.35))


def lettering(canvas, text, left, baseline, colour, accent_dot=None):
    """Draws text; the dot of an i takes accent_dot's colour when given."""
    letters = text.strokes(left, baseline)
    body = [s for letter, c in zip(letters, text.text) for s in (letter[:1] if c == "i" and accent_dot else letter)]
    canvas.paint(stroke_mask(canvas.w, canvas.h, body, text.stroke), solid(colour))
    if accent_dot:
        dots = [letter[1] for letter, c in zip(letters, text.text) if c == "i"]
        canvas.paint(stroke_mask(canvas.w, canvas.h, dots, text.stroke * 1.15), solid(accent_dot))


def waveform_bars(canvas, x_from, x_to, centre_y, half_height, seed):
    """A reverb tail as mirrored bars, loudest at x_from, fading towards x_to."""
    random = Random(seed)
    step = 4.0 if x_to > x_from else -4.0
    count = int(abs(x_to - x_from) / 4.0)
    for k in range(count):
        t = k / max(1, count - 1)
        envelope = math.exp(-2.6 * t) * (0.35 + 0.65 * random.next())
        if k % 7 == 3:
            envelope = min(1.0, envelope * 1.6)  # an early reflection
        half = max(1.0, half_height * envelope)
        x = x_from + step * k
        bar = stroke_mask(canvas.w, canvas.h, [[(x, centre_y - half), (x, centre_y + half)]], 2.2)
        canvas.paint(bar, solid(mix(ORANGE, (0xFF, 0xC0, 0x70), 0.3 * (1 - t))), 1.0 - 0.7 * t)


def credits_banner():
    """400 x 47: the product's name between two reverb-tail ornaments on a dark plate."""
    canvas = Canvas(400, 47)
    w, h = canvas.w, canvas.h
    dark_plate(canvas, 7)
    title = Text("Brondil", 31.0, 3.6, 0.17)
    left = (w - title.width()) / 2
    baseline = h / 2 + ASCENDER * title.size / 2
    glow = stroke_mask(w, h, [s for letter in title.strokes(left, baseline) for s in letter], title.stroke + 2)
    canvas.paint(glow.blurred(3), solid(ORANGE), 0.35)
    lettering(canvas, title, left, baseline, CREAM, accent_dot=ORANGE)
    margin = 16
    waveform_bars(canvas, left - margin, 14, h / 2, 14.0, 7)
    waveform_bars(canvas, left + title.width() + margin, w - 14, h / 2, 14.0, 7)
    return canvas


def background_emblem():
    """220 x 210: a round grey emblem with engraved ripples around the product's initial."""
    canvas = Canvas(220, 210)
    w, h = canvas.w, canvas.h
    cx, cy, outer = w / 2, h / 2 - 1, 100.0
    shadow = Mask.from_distance(w, h, disc(cx, cy + 3, outer - 1)).blurred(2)
    canvas.paint(shadow, solid((0, 0, 0)), 0.35)
    rim = Mask.from_distance(w, h, disc(cx, cy, outer))
    canvas.paint(rim, linear(cx - 70, cy - 70, (0xD8, 0xD8, 0xD6), cx + 70, cy + 70, (0x74, 0x74, 0x72)))
    face_radius = outer - 11
    face = Mask.from_distance(w, h, disc(cx, cy, face_radius))
    canvas.paint(face, linear(cx - 60, cy - 60, (0x8C, 0x8C, 0x8A), cx + 60, cy + 60, (0xBC, 0xBC, 0xBA)))
    # Engraved ripples: a dark groove with a highlight just below it.
    for k, r in enumerate(range(int(face_radius) - 10, 40, -10)):
        strength = 0.6 - 0.08 * k
        canvas.paint(Mask.from_distance(w, h, ring(cx, cy, r, 1.3)), solid((0x3A, 0x3A, 0x38)), strength)
        canvas.paint(Mask.from_distance(w, h, ring(cx, cy + 1.2, r, 1.0)).minus(
            Mask.from_distance(w, h, ring(cx, cy, r, 1.3))), solid((0xF0, 0xF0, 0xEE)), strength * 0.8)
    hub_radius = 34.0
    hub = Mask.from_distance(w, h, disc(cx, cy, hub_radius))
    canvas.paint(hub, linear(cx - 30, cy - 30, (0xC6, 0xC6, 0xC4), cx + 30, cy + 30, (0x86, 0x86, 0x84)))
    canvas.paint(Mask.from_distance(w, h, ring(cx, cy, hub_radius, 1.2)), solid((0x50, 0x50, 0x4E)), 0.7)
    initial = Text("B", 52.0, 6.5, 0.0)
    left = cx - initial.width() / 2
    baseline = cy + ASCENDER * initial.size / 2
    strokes = [s for letter in initial.strokes(left, baseline) for s in letter]
    shape = stroke_mask(w, h, strokes, initial.stroke)
    canvas.paint(shape.shifted(0, 1), solid((0xF4, 0xF4, 0xF2)), 0.7)
    canvas.paint(shape, solid((0x4A, 0x4A, 0x48)))
    return canvas


def logo():
    """260 x 70: a round mark with an impulse response beside the name and what it does."""
    canvas = Canvas(260, 70)
    w, h = canvas.w, canvas.h
    dark_plate(canvas, 10)
    cx, cy, r = 35.0, h / 2, 24.0
    canvas.paint(Mask.from_distance(w, h, disc(cx, cy, r)), linear(0, cy - r, (0x3A, 0x3A, 0x38), 0, cy + r,
                                                                   (0x1A, 0x1A, 0x19)))
    canvas.paint(Mask.from_distance(w, h, ring(cx, cy, r, 3.0)), solid(ORANGE))
    # An impulse and its decaying tail across the mark.
    tail = [(cx - 17.0, cy), (cx - 11.0, cy)]
    for k in range(1, 90):
        t = k / 89
        x = cx - 11.0 + 28.0 * t
        tail.append((x, cy - 15.0 * math.exp(-4.0 * t) * math.cos(2 * math.pi * 5.5 * t)))
    canvas.paint(stroke_mask(w, h, [tail], 2.0), solid(CREAM))
    name = Text("Brondil", 38.0, 4.2, 0.17)
    name_left = (cx + r + w - 10) / 2 - name.width() / 2
    name_baseline = 41.0
    lettering(canvas, name, name_left, name_baseline, CREAM, accent_dot=ORANGE)
    motto = Text("convolution reverb", 12.5, 1.45, 0.2)
    motto_left = name_left + (name.width() - motto.width()) / 2
    lettering(canvas, motto, motto_left, 58.5, ORANGE)
    return canvas


PICTURES = {
    "credits_banner.png": credits_banner,
    "background_emblem.png": background_emblem,
    "logo.png": logo,
}


def main(arguments):
    if len(arguments) == 2 and arguments[0] == "--check":
        folder = Path(arguments[1])
        stale = [name for name, draw in PICTURES.items()
                 if png_rows((folder / name).read_bytes()) != draw().rgba_rows()]
        for name in stale:
            print(f"{folder / name} differs from what {Path(__file__).name} draws", file=sys.stderr)
        return 1 if stale else 0
    if len(arguments) == 1:
        folder = Path(arguments[0])
        folder.mkdir(parents=True, exist_ok=True)
        for name, draw in PICTURES.items():
            (folder / name).write_bytes(png_bytes(draw()))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
