#!/usr/bin/env python3
"""Writes the game's models and textures into media/: the chest body
Base02.x, the levers Lever1t.x ... Lever6t.x and the textures their
materials name.

    python3 tools/make_media.py [output folder, default: media/ of this tree]

Fixed by the game: the body is drawn translated by (-1, 0, -1), so its root
frame moves it by (1, 0, 1) and the chest ends up centred on the origin that
the camera orbits. The levers are drawn where their files put them, slid by
0.1 or 0.2 along +X (levers 1, 3, 5) or +Z (levers 2, 4, 6), so each file
holds its lever at home in world coordinates, sticking out of the lock
mechanism on the lid in the direction it is pulled.

Standard library only (cjpeg from libjpeg-turbo encodes the JPEG). The output
depends only on this code: rerunning it gives the same files.
"""

import math
import os
import sys

sys.dont_write_bytecode = True  # keep the tree clean of caches

import media_mesh as mm
import media_textures as tex

WOOD_TEXTURE = "chestwood.jpg"
METAL_TEXTURE = "brushedmetal.png"

# Chest dimensions in world units, centred on x and z.
HALF_W, HALF_D = 0.72, 0.50          # body half width (x) and half depth (z)
BODY_Y0, BODY_Y1 = -0.56, 0.10       # body bottom and the seam under the lid
LID_H, LID_OVER = 0.22, 0.015        # lid height and its overhang
LID_TOP = BODY_Y1 + LID_H
BAND_X = (-0.42, 0.42)               # iron bands around body and lid
METAL = 0.012                        # thickness of bands and fittings

# The lock mechanism on the lid: a brass housing the levers come out of.
HOUSING_LO = (-0.54, LID_TOP, -0.44)
HOUSING_HI = (-0.04, LID_TOP + 0.175, 0.02)
ROD_RADIUS, ROD_HIDDEN = 0.02, 0.21  # a rod stays in the housing at its full 0.2
X_LEVERS = {1: -0.36, 3: -0.24, 5: -0.12}      # lever -> z of its rod, pulled along +X
Z_LEVERS = {2: -0.47, 4: -0.35, 6: -0.23}      # lever -> x of its rod, pulled along +Z
X_ROD_Y, Z_ROD_Y = LID_TOP + 0.065, LID_TOP + 0.12
X_ROD_OUT, Z_ROD_OUT = 0.26, 0.24    # length out of the housing at home

MATERIALS = {
    # diffuse (r, g, b, a), power, specular, emissive, texture. The game
    # lights from above and a little from the front, with no specular and a faint
    # ambient, so emissive keeps faces turned from the light readable.
    "Wood": dict(diffuse=(0.95, 0.9, 0.85, 1.0), power=8.0, specular=(0.1, 0.1, 0.1),
                 emissive=(0.30, 0.27, 0.24), texture=WOOD_TEXTURE),
    "Iron": dict(diffuse=(0.42, 0.42, 0.46, 1.0), power=20.0, specular=(0.5, 0.5, 0.5),
                 emissive=(0.10, 0.10, 0.11), texture=METAL_TEXTURE),
    "Brass": dict(diffuse=(0.85, 0.60, 0.22, 1.0), power=30.0, specular=(1.0, 0.9, 0.6),
                  emissive=(0.30, 0.20, 0.06), texture=METAL_TEXTURE),
    "Keyhole": dict(diffuse=(0.03, 0.02, 0.02, 1.0), power=1.0, specular=(0.0, 0.0, 0.0),
                    emissive=(0.0, 0.0, 0.0)),
    # The one see-through material: the game draws it in its translucent pass.
    "Ruby": dict(diffuse=(0.95, 0.10, 0.18, 0.6), power=60.0, specular=(1.0, 1.0, 1.0),
                 emissive=(0.16, 0.01, 0.03)),
    "Steel": dict(diffuse=(0.80, 0.80, 0.84, 1.0), power=40.0, specular=(0.9, 0.9, 0.9),
                  emissive=(0.22, 0.22, 0.24), texture=METAL_TEXTURE),
}

# One colour per lever knob, in the order of the levers.
KNOB_COLOURS = {
    1: (0.95, 0.15, 0.10), 2: (1.0, 0.55, 0.05), 3: (0.95, 0.90, 0.15),
    4: (0.20, 0.85, 0.20), 5: (0.15, 0.85, 0.90), 6: (0.85, 0.25, 0.95),
}

HEADER = "xof 0303txt 0032\n"

TEMPLATES = """template Vector {
  <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
  FLOAT x;
  FLOAT y;
  FLOAT z;
}
template MeshFace {
  <3D82AB5F-62DA-11cf-AB39-0020AF71E433>
  DWORD nFaceVertexIndices;
  array DWORD faceVertexIndices[nFaceVertexIndices];
}
template Mesh {
  <3D82AB44-62DA-11cf-AB39-0020AF71E433>
  DWORD nVertices;
  array Vector vertices[nVertices];
  DWORD nFaces;
  array MeshFace faces[nFaces];
  [...]
}
"""


def knob_material(n):
    r, g, b = KNOB_COLOURS[n]
    return dict(diffuse=(r, g, b, 1.0), power=40.0, specular=(1.0, 1.0, 1.0),
                emissive=(0.32 * r, 0.32 * g, 0.32 * b))


# ---------------------------------------------------------------- chest body


def rivet(p, at, facing, radius=0.016):
    """A brass dome on a surface whose outward normal is `facing` (an axis)."""
    turn = {(0, 0, -1): mm.rotation_y(math.pi), (0, 0, 1): mm.identity(),
            (1, 0, 0): mm.rotation_y(math.pi / 2), (-1, 0, 0): mm.rotation_y(-math.pi / 2),
            (0, 1, 0): mm.rotation_x(-math.pi / 2)}[facing]
    profile = [(0.0, 0.0), (0.0, radius)] + [(0.6 * radius * math.sin(a), radius * math.cos(a))
                                 for a in (0.5, 1.0)] + [(0.6 * radius, 0.0)]
    p.lathe(profile, 6, "Brass", place=mm.multiply(turn, mm.translation(*at)))


def corner_guards(p, w, d, y0, y1, top):
    """Brass angles over the four vertical edges of a box of half size w, d;
    with `top` they stand their thickness proud of its top."""
    t = 1.6 * METAL
    for sx in (-1, 1):
        for sz in (-1, 1):
            x0, x1 = sorted((sx * (w - 0.08), sx * (w + t)))
            z0, z1 = sorted((sz * (d - 0.08), sz * (d + t)))
            p.box((x0, y0, z0), (x1, y1 + (t if top else 0.0), z1), "Brass", 2.0)


def body_part():
    p = mm.Part("ChestBody")
    t = METAL
    p.box((-HALF_W, BODY_Y0, -HALF_D), (HALF_W, BODY_Y1, HALF_D), "Wood")
    for bx in BAND_X:
        p.box((bx - 0.05, BODY_Y0 - t, -HALF_D - t), (bx + 0.05, BODY_Y1, HALF_D + t), "Iron", 2.0)
        for y in (-0.42, -0.22, -0.02):
            rivet(p, (bx, y, -HALF_D - t), (0, 0, -1))
            rivet(p, (bx, y, HALF_D + t), (0, 0, 1))
    corner_guards(p, HALF_W, HALF_D, BODY_Y0 - 1.6 * t, BODY_Y1, False)
    for sx in (-1, 1):  # a carrying handle on each end
        def span(a, b):
            return tuple(sorted((sx * a, sx * b)))
        x0, x1 = span(HALF_W, HALF_W + t)
        p.box((x0, -0.16, -0.12), (x1, -0.04, 0.12), "Iron", 2.0)
        for z in (-0.09, 0.09):
            x0, x1 = span(HALF_W + t, HALF_W + 0.06)
            p.box((x0, -0.085, z - 0.012), (x1, -0.06, z + 0.012), "Iron", 4.0)
        x0, x1 = span(HALF_W + 0.06, HALF_W + 0.085)
        p.box((x0, -0.09, -0.13), (x1, -0.055, 0.13), "Iron", 4.0)
        for z in (-0.09, 0.09):
            rivet(p, (sx * (HALF_W + t), -0.125, z), (sx, 0, 0), 0.012)
    p.box((-HALF_W - t, BODY_Y0 - t, -HALF_D - t), (HALF_W + t, BODY_Y0 + 0.05, HALF_D + t), "Brass", 2.0)
    return p


def lid_part():
    """Authored from its own bottom (y = 0) upwards; its frame lifts it."""
    p = mm.Part("ChestLid")
    w, d, t = HALF_W + LID_OVER, HALF_D + LID_OVER, METAL
    p.box((-w, 0.0, -d), (w, LID_H, d), "Wood", uv_offset=(0.3, 0.1))
    for bx in BAND_X:
        p.box((bx - 0.05, 0.0, -d - t), (bx + 0.05, LID_H + t, d + t), "Iron", 2.0)
        rivet(p, (bx, 0.12, -d - t), (0, 0, -1))
        rivet(p, (bx, 0.12, d + t), (0, 0, 1))
        for z in (-0.3, 0.3):
            rivet(p, (bx, LID_H + t, z), (0, 1, 0))
    p.box((-w - t, 0.0, -d - t), (w + t, 0.05, d + t), "Brass", 2.0)  # rim along the seam
    corner_guards(p, w, d, 0.0, LID_H, True)
    return p


def gem(p, radius, height, material):
    """A faceted gem sitting on z = 0, its table facing +z."""
    p.lathe([(0.0, 0.0), (0.0, radius), (0.35 * height, radius), (height, 0.55 * radius), (height, 0.0)],
            8, material, flat=True)


def lock_part():
    """Lock plate on the front, across the seam of lid and body; authored
    with the chest's front at z = 0 and the plate standing out towards -z."""
    p = mm.Part("LockPlate")
    p.box((-0.15, -0.22, -0.02), (0.15, 0.09, 0.0), "Brass", 2.0)
    p.box((-0.02, -0.17, -0.024), (0.02, -0.09, -0.02), "Keyhole")
    p.lathe([(0.0, 0.0), (0.0, 0.03), (0.0045, 0.03), (0.0045, 0.0)], 12, "Keyhole",
            place=mm.multiply(mm.rotation_y(math.pi), mm.translation(0.0, -0.085, -0.02)))
    for x in (-0.115, 0.115):
        for y in (-0.185, 0.055):
            rivet(p, (x, y, -0.02), (0, 0, -1), 0.014)
    return p


def lock_gem_part():
    p = mm.Part("LockGem")
    gem(p, 0.045, 0.03, "Ruby")
    return p


def mechanism_part():
    """The brass housing on the lid: an iron plinth and rim, an iron plate
    where each rod leaves it, and beside each rod on the top as many dots as
    the lever's number."""
    p = mm.Part("LeverHousing")
    (x0, y0, z0), (x1, y1, z1) = HOUSING_LO, HOUSING_HI
    t = 0.012
    p.box((x0, y0, z0), (x1, y1, z1), "Brass", 2.0)
    p.box((x0 - t, y0, z0 - t), (x1 + t, y0 + 0.025, z1 + t), "Iron", 2.0)
    for lo, hi in (((x0 - t, y1 - 0.02, z0 - t), (x1 + t, y1 + t, z0 + 0.03)),
                   ((x0 - t, y1 - 0.02, z1 - 0.03), (x1 + t, y1 + t, z1 + t)),
                   ((x0 - t, y1 - 0.02, z0 + 0.03), (x0 + 0.03, y1 + t, z1 - 0.03)),
                   ((x1 - 0.03, y1 - 0.02, z0 + 0.03), (x1 + t, y1 + t, z1 - 0.03))):
        p.box(lo, hi, "Iron", 2.0)
    s = 0.04  # half size of a rod's plate
    for z in X_LEVERS.values():
        p.box((x1, X_ROD_Y - s, z - s), (x1 + 0.008, X_ROD_Y + s, z + s), "Iron", 4.0)
    for x in Z_LEVERS.values():
        p.box((x - s, Z_ROD_Y - s, z1), (x + s, Z_ROD_Y + s, z1 + 0.008), "Iron", 4.0)
    for n, z in X_LEVERS.items():  # die faces by the rods: the lever's number
        pips(p, (x1 - 0.075, y1, z), n)
    for n, x in Z_LEVERS.items():
        pips(p, (x, y1, z1 - 0.075), n)
    return p


PIP_LAYOUT = {1: [(0, 0)], 2: [(-1, -1), (1, 1)], 3: [(-1, -1), (0, 0), (1, 1)],
              4: [(-1, -1), (-1, 1), (1, -1), (1, 1)], 5: [(-1, -1), (-1, 1), (0, 0), (1, -1), (1, 1)],
              6: [(-1, -1), (-1, 0), (-1, 1), (1, -1), (1, 0), (1, 1)]}


def pips(p, centre, n):
    """The face of a die showing n, lying on a top surface."""
    cx, y, cz = centre
    r, step = 0.013, 0.03
    for i, j in PIP_LAYOUT[n]:
        at = mm.multiply(mm.rotation_x(-math.pi / 2), mm.translation(cx + i * step, y, cz + j * step))
        p.lathe([(0.0, 0.0), (0.0, r), (0.004, r), (0.004, 0.0)], 8, "Keyhole", place=at)


def housing_gem_part():
    p = mm.Part("CrownGem")
    gem(p, 0.075, 0.05, "Ruby")
    return p


def frame(name, matrix, body, indent):
    return "%sFrame %s {\n%s%s%s}\n" % (indent, name, mm.matrix_text(matrix, indent + "  "), body, indent)


def base_text():
    i1, i2 = "  ", "    "
    face_up = mm.rotation_x(-math.pi / 2)  # a gem's +z table turned to face +y
    face_front = mm.rotation_y(math.pi)    # ... or to face -z
    children = frame("Body", mm.identity(), mm.mesh_text(body_part(), i2), i1)
    children += frame("Lid", mm.translation(0, BODY_Y1, 0), mm.mesh_text(lid_part(), i2), i1)
    lock = mm.mesh_text(lock_part(), i2)
    lock += frame("LockJewel", mm.multiply(face_front, mm.translation(0, 0.015, -0.02)),
                  mm.mesh_text(lock_gem_part(), i2 + "  "), i2)
    children += frame("Lock", mm.translation(0, BODY_Y1, -HALF_D - LID_OVER - 0.014), lock, i1)
    mech = mm.mesh_text(mechanism_part(), i2)
    gem_at = (HOUSING_LO[0] + 0.17, HOUSING_HI[1], HOUSING_LO[2] + 0.17)
    mech += frame("CrownJewel", mm.multiply(face_up, mm.translation(*gem_at)),
                  mm.mesh_text(housing_gem_part(), i2 + "  "), i2)
    children += frame("Mechanism", mm.identity(), mech, i1)
    text = HEADER + TEMPLATES
    for name in ("Wood", "Iron", "Brass", "Keyhole", "Ruby"):
        text += mm.material_text(name, MATERIALS[name])
    # The root frame undoes the game's (-1, 0, -1) so the chest sits on the origin.
    return text + frame("Base02", mm.translation(1.0, 0.0, 1.0), children, "")


# ---------------------------------------------------------------- levers


def rod_part(n, length):
    p = mm.Part("Lever%dRod" % n)
    p.cylinder(ROD_RADIUS, 0.0, length, 12, "Steel", uv_around=1.0, uv_along=2.0, caps=(True, True))
    return p


def knob_part(n):
    """Brass collar, then the ball in the lever's own colour."""
    p = mm.Part("Lever%dKnob" % n)
    r = ROD_RADIUS
    p.lathe([(0.0, 0.0), (0.0, r + 0.006), (0.012, r + 0.014), (0.03, r + 0.014), (0.036, r + 0.004),
             (0.036, 0.0)], 14, "Brass")
    ball_r = 0.05
    ball_z = 0.036 + ball_r - 0.008
    profile = [(ball_z - ball_r, 0.0)]
    for k in range(1, 10):
        a = math.pi * k / 10
        profile.append((ball_z - ball_r * math.cos(a), ball_r * math.sin(a)))
    profile.append((ball_z + ball_r, 0.0))
    p.lathe(profile, 16, "Knob%d" % n)
    return p


def lever_text(n):
    """Lever n at home. The rod runs along its frame's +z from the end that
    stays inside the housing; odd levers turn that axis onto +X."""
    if n % 2:
        length = ROD_HIDDEN + X_ROD_OUT
        home = mm.multiply(mm.rotation_y(math.pi / 2),
                           mm.translation(HOUSING_HI[0] - ROD_HIDDEN, X_ROD_Y, X_LEVERS[n]))
    else:
        length = ROD_HIDDEN + Z_ROD_OUT
        home = mm.translation(Z_LEVERS[n], Z_ROD_Y, HOUSING_HI[2] - ROD_HIDDEN)
    i1, i2 = "  ", "    "
    inline = {"Knob%d" % n: knob_material(n), "Brass": MATERIALS["Brass"]}
    body = mm.mesh_text(rod_part(n, length), i1)
    body += frame("Knob", mm.translation(0, 0, length), mm.mesh_text(knob_part(n), i2, inline), i1)
    text = HEADER + mm.material_text("Steel", MATERIALS["Steel"])
    return text + frame("Lever%d" % n, home, body, "")


# ---------------------------------------------------------------- output


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, "..", "media")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "Base02.x"), "w", newline="\n") as f:
        f.write(base_text())
    for n in range(1, 7):
        with open(os.path.join(out, "Lever%dt.x" % n), "w", newline="\n") as f:
            f.write(lever_text(n))
    tex.write_jpeg(os.path.join(out, WOOD_TEXTURE), tex.wood_pixels())
    tex.write_png(os.path.join(out, METAL_TEXTURE), tex.metal_pixels())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
