"""Procedural textures for the chest: planked wood (written as JPEG through
cjpeg) and brushed metal (written as PNG by the small writer below).

Standard library only. Both images tile in both directions and depend only
on the fixed seeds here, so rebuilding gives the same pixels.
"""

import math
import os
import random
import struct
import subprocess
import tempfile
import zlib

SIZE = 256


class PeriodicNoise:
    """Value noise on a lattice that wraps, so images built from it tile."""

    def __init__(self, seed, cells_x, cells_y):
        rng = random.Random(seed)
        self.cx, self.cy = cells_x, cells_y
        self.grid = [[rng.random() for _ in range(cells_x)] for _ in range(cells_y)]

    def at(self, u, v):
        """u, v in [0, 1) over the whole image (any real value wraps)."""
        x, y = u * self.cx, v * self.cy
        ix, iy = math.floor(x), math.floor(y)
        fx, fy = x - ix, y - iy
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        x0, x1 = ix % self.cx, (ix + 1) % self.cx
        y0, y1 = iy % self.cy, (iy + 1) % self.cy
        g = self.grid
        top = g[y0][x0] + (g[y0][x1] - g[y0][x0]) * fx
        bottom = g[y1][x0] + (g[y1][x1] - g[y1][x0]) * fx
        return top + (bottom - top) * fy


def fbm(layers, u, v):
    total, weight = 0.0, 0.0
    for amplitude, noise in layers:
        total += amplitude * noise.at(u, v)
        weight += amplitude
    return total / weight


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def wood_pixels():
    """Four horizontal planks with wavy grain, darker seams between them, a
    butt joint in each plank and a few knots."""
    planks = 4
    height = SIZE // planks
    rng = random.Random(7)
    tints = [0.86 + 0.22 * rng.random() for _ in range(planks)]
    joints = [rng.randrange(SIZE) for _ in range(planks)]
    knots = [(rng.random(), p + 0.3 + 0.4 * rng.random()) for p in range(planks) if rng.random() < 0.7]
    warp = [(1.0, PeriodicNoise(11, 4, 8)), (0.5, PeriodicNoise(12, 8, 16))]
    fibre = PeriodicNoise(13, 8, 128)
    dark, light = (70, 38, 16), (156, 96, 48)
    rows = []
    for y in range(SIZE):
        plank = y // height
        local = (y % height) / height
        row = []
        for x in range(SIZE):
            u, v = x / SIZE, y / SIZE
            w = fbm(warp, u, v + plank * 0.37)
            t = local * 5.0 + w * 3.0
            knot = 0.0
            for ku, kv in knots:  # grain bends round a dark core
                du = ((u - ku + 0.5) % 1.0 - 0.5) * 6.0
                dv = (y / height - kv) * 1.6
                d2 = du * du + dv * dv
                t += 1.2 * math.exp(-d2 * 10.0)
                knot = max(knot, math.exp(-d2 * 80.0))
            ring = 0.5 + 0.5 * math.sin(t * 2.0 * math.pi)
            ring = ring ** 2.2
            grain = 0.45 + 0.55 * ring
            grain *= 0.85 + 0.3 * fibre.at(u, v + plank * 0.5)
            grain = min(1.0, grain * tints[plank])
            c = mix(dark, light, grain)
            edge = min(local, 1.0 - local) * height  # pixels to the seam
            shade = 1.0
            if edge < 1.5:
                shade = 0.35 + 0.3 * edge
            elif edge < 4.0:
                shade = 0.85 + 0.05 * (edge - 1.5)
            jd = abs(((x - joints[plank] + SIZE // 2) % SIZE) - SIZE // 2)
            if jd < 1.5:
                shade *= 0.45
            shade *= 1.0 - 0.5 * knot
            row.append(tuple(max(0, min(255, round(ch * shade))) for ch in c))
        rows.append(row)
    return rows


def metal_pixels():
    """Brushed metal: fine streaks along u, slow cloudiness and a few
    scratches, light grey so that materials tint it."""
    streak = PeriodicNoise(21, 4, 256)
    coarse = PeriodicNoise(22, 2, 32)
    cloud = [(1.0, PeriodicNoise(23, 4, 4)), (0.5, PeriodicNoise(24, 8, 8))]
    rng = random.Random(25)
    scratches = [(rng.random(), rng.random(), rng.uniform(-0.3, 0.3), rng.uniform(0.1, 0.4))
                 for _ in range(24)]
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            u, v = x / SIZE, y / SIZE
            value = 0.72 + 0.14 * (streak.at(u, v) - 0.5) + 0.10 * (coarse.at(u, v) - 0.5)
            value += 0.12 * (fbm(cloud, u, v) - 0.5)
            for su, sv, slope, length in scratches:
                du = (u - su) % 1.0
                if du < length:
                    dv = abs(((v - sv - slope * du) + 0.5) % 1.0 - 0.5) * SIZE
                    if dv < 0.8:
                        value += 0.10 * (0.8 - dv)
            g = max(0, min(255, round(value * 255)))
            row.append((g, g, min(255, g + 6)))
        rows.append(row)
    return rows


def write_png(path, rows):
    """8-bit RGB PNG, filter type 0 on every row."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw.extend(px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_jpeg(path, rows, quality=90):
    """Through a temporary PPM and cjpeg (libjpeg-turbo's encoder)."""
    height, width = len(rows), len(rows[0])
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(bytes(c for row in rows for px in row for c in px))
        ppm = f.name
    try:
        subprocess.run(["cjpeg", "-quality", str(quality), "-optimize", "-outfile", path, ppm], check=True)
    finally:
        os.unlink(ppm)
