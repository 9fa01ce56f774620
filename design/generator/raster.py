"""A very small raster library for the design generator: an RGB canvas with
anti-aliased shapes (coverage by 4 x 4 sub-samples), gradients, a 5 x 7 pixel font and a
24-bit BMP writer. Standard library only, so every build machine can run it."""

import struct

SUB = 4  # sub-samples per axis for shape coverage


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def hexrgb(s):
    s = s.lstrip('#')
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16))


class Canvas:
    def __init__(self, w, h, colour=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(colour) for _ in range(w * h)]

    def copy(self):
        c = Canvas(self.w, self.h)
        c.px = [list(p) for p in self.px]
        return c

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        p = self.px[y * self.w + x]
        if alpha >= 1:
            p[0], p[1], p[2] = colour
        else:
            for i in range(3):
                p[i] = int(round(p[i] + (colour[i] - p[i]) * alpha))

    # --- shapes by an inside test, painted with a colour or a colour function --------
    def shape(self, bbox, inside, paint, alpha=1.0):
        x0, y0, x1, y1 = (max(0, int(bbox[0])), max(0, int(bbox[1])),
                          min(self.w, int(bbox[2]) + 1), min(self.h, int(bbox[3]) + 1))
        for y in range(y0, y1):
            for x in range(x0, x1):
                n = 0
                for sy in range(SUB):
                    fy = y + (sy + 0.5) / SUB
                    for sx in range(SUB):
                        if inside(x + (sx + 0.5) / SUB, fy):
                            n += 1
                if n:
                    colour = paint(x, y) if callable(paint) else paint
                    self.blend(x, y, colour, alpha * n / (SUB * SUB))

    def rounded(self, x0, y0, x1, y1, r, paint, alpha=1.0):
        self.shape((x0, y0, x1, y1), rounded_inside(x0, y0, x1, y1, r), paint, alpha)

    def circle(self, cx, cy, r, paint, alpha=1.0):
        self.shape((cx - r, cy - r, cx + r, cy + r),
                   lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, paint, alpha)

    def polygon(self, pts, paint, alpha=1.0):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape((min(xs), min(ys), max(xs), max(ys)), polygon_inside(pts), paint, alpha)

    def rect(self, x0, y0, x1, y1, paint, alpha=1.0):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(x, y, paint(x, y) if callable(paint) else paint, alpha)

    def text(self, x, y, s, colour, scale=1, alpha=1.0, spacing=1):
        for ch in s.upper():
            rows = FONT.get(ch, FONT[' '])
            for ry, bits in enumerate(rows):
                for rx in range(5):
                    if bits & (1 << (4 - rx)):
                        self.rect(x + rx * scale, y + ry * scale, x + (rx + 1) * scale,
                                  y + (ry + 1) * scale, colour, alpha)
            x += (5 + spacing) * scale
        return x

    def map(self, f):
        for i, p in enumerate(self.px):
            self.px[i] = list(f(tuple(p)))

    def save_bmp(self, path):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for x in range(self.w):
                r, g, b = self.px[y * self.w + x]
                row += bytes((b, g, r))
            row += b'\0' * (stride - len(row))
            data += row
        header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + data)


def text_width(s, scale=1, spacing=1):
    return len(s) * (5 + spacing) * scale - spacing * scale


def rounded_inside(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = x0 + r if x < x0 + r else x1 - r if x > x1 - r else x
        cy = y0 + r if y < y0 + r else y1 - r if y > y1 - r else y
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon_inside(pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def vgrad(y0, y1, c0, c1):
    return lambda x, y: mix(c0, c1, (y - y0) / max(1, (y1 - y0)))


def hgrad(x0, x1, c0, c1):
    return lambda x, y: mix(c0, c1, (x - x0) / max(1, (x1 - x0)))


# 5 x 7 capitals, digits and a few signs.
FONT = {
    ' ': [0, 0, 0, 0, 0, 0, 0],
    'A': [14, 17, 17, 31, 17, 17, 17], 'B': [30, 17, 17, 30, 17, 17, 30],
    'C': [14, 17, 16, 16, 16, 17, 14], 'D': [30, 17, 17, 17, 17, 17, 30],
    'E': [31, 16, 16, 30, 16, 16, 31], 'F': [31, 16, 16, 30, 16, 16, 16],
    'G': [14, 17, 16, 23, 17, 17, 15], 'H': [17, 17, 17, 31, 17, 17, 17],
    'I': [14, 4, 4, 4, 4, 4, 14], 'J': [7, 2, 2, 2, 2, 18, 12],
    'K': [17, 18, 20, 24, 20, 18, 17], 'L': [16, 16, 16, 16, 16, 16, 31],
    'M': [17, 27, 21, 21, 17, 17, 17], 'N': [17, 17, 25, 21, 19, 17, 17],
    'O': [14, 17, 17, 17, 17, 17, 14], 'P': [30, 17, 17, 30, 16, 16, 16],
    'Q': [14, 17, 17, 17, 21, 18, 13], 'R': [30, 17, 17, 30, 20, 18, 17],
    'S': [15, 16, 16, 14, 1, 1, 30], 'T': [31, 4, 4, 4, 4, 4, 4],
    'U': [17, 17, 17, 17, 17, 17, 14], 'V': [17, 17, 17, 17, 17, 10, 4],
    'W': [17, 17, 17, 21, 21, 21, 10], 'X': [17, 17, 10, 4, 10, 17, 17],
    'Y': [17, 17, 10, 4, 4, 4, 4], 'Z': [31, 1, 2, 4, 8, 16, 31],
    '0': [14, 17, 19, 21, 25, 17, 14], '1': [4, 12, 4, 4, 4, 4, 14],
    '2': [14, 17, 1, 2, 4, 8, 31], '3': [31, 2, 4, 2, 1, 17, 14],
    '4': [2, 6, 10, 18, 31, 2, 2], '5': [31, 16, 30, 1, 1, 17, 14],
    '6': [6, 8, 16, 30, 17, 17, 14], '7': [31, 1, 2, 4, 8, 8, 8],
    '8': [14, 17, 17, 14, 17, 17, 14], '9': [14, 17, 17, 15, 1, 2, 12],
    '-': [0, 0, 0, 31, 0, 0, 0], '.': [0, 0, 0, 0, 0, 12, 12], '/': [1, 1, 2, 4, 8, 16, 16],
    '+': [0, 4, 4, 31, 4, 4, 0], '3D': [0] * 7,
}
