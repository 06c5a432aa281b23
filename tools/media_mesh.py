"""Mesh building blocks for the media generator and the writer of the .x text
format.

Coordinates are Direct3D's: left-handed, y up, row vectors. A face is front
facing when its corners run clockwise as seen from outside, which in these
coordinates means cross(v1 - v0, v2 - v0) points outwards; every primitive
takes the outward normal it intends and orders its corners to match, and
`Part.check` proves it afterwards.
"""

import math

# ---------------------------------------------------------------- vectors


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = math.sqrt(dot(a, a))
    return (a[0] / n, a[1] / n, a[2] / n)


# ---------------------------------------------------------------- matrices (row-major, p' = p x M)


def identity():
    return [[1.0 if r == c else 0.0 for c in range(4)] for r in range(4)]


def translation(x, y, z):
    m = identity()
    m[3][0], m[3][1], m[3][2] = float(x), float(y), float(z)
    return m


def rotation_y(angle):
    c, s = math.cos(angle), math.sin(angle)
    m = identity()
    m[0][0], m[0][2], m[2][0], m[2][2] = c, -s, s, c
    return m


def rotation_x(angle):
    c, s = math.cos(angle), math.sin(angle)
    m = identity()
    m[1][1], m[1][2], m[2][1], m[2][2] = c, s, -s, c
    return m


def multiply(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(4)) for c in range(4)] for r in range(4)]


def transform_point(m, p):
    return tuple(p[0] * m[0][c] + p[1] * m[1][c] + p[2] * m[2][c] + m[3][c] for c in range(3))


def transform_vector(m, v):
    """Rotation part only: the solids are placed by rigid motions."""
    return tuple(v[0] * m[0][c] + v[1] * m[1][c] + v[2] * m[2][c] for c in range(3))


# ---------------------------------------------------------------- mesh under construction


class Part:
    """One .x Mesh: positions with one texture coordinate each, a separate
    normal list with its own per-corner indices, and polygons with a material
    index into `materials` (names of materials defined by the caller)."""

    def __init__(self, name):
        self.name = name
        self.positions = []
        self.uvs = []
        self.normals = []
        self._normal_index = {}
        self._vertex_index = {}
        self.faces = []  # (vertex indices, normal indices, material slot)
        self.materials = []

    def slot(self, material):
        if material not in self.materials:
            self.materials.append(material)
        return self.materials.index(material)

    def vertex(self, p, uv):
        """Index of the vertex at p with texture coordinate uv; corners that
        agree in both share one vertex (their normals stay per corner)."""
        p = tuple(float(c) for c in p)
        uv = (float(uv[0]), float(uv[1]))
        key = tuple(round(c, 6) for c in p + uv)
        if key not in self._vertex_index:
            self._vertex_index[key] = len(self.positions)
            self.positions.append(p)
            self.uvs.append(uv)
        return self._vertex_index[key]

    def normal(self, n):
        key = tuple(round(c, 6) for c in unit(n))
        if key not in self._normal_index:
            self._normal_index[key] = len(self.normals)
            self.normals.append(key)
        return self._normal_index[key]

    def polygon(self, verts, norms, material, outward):
        """Adds a convex polygon. `verts` are vertex indices, `norms` the
        normal of each corner; the order is reversed if its winding would
        face away from `outward`."""
        p = [self.positions[v] for v in verts]
        area = (0.0, 0.0, 0.0)
        for i in range(1, len(p) - 1):
            area = add(area, cross(sub(p[i], p[0]), sub(p[i + 1], p[0])))
        if dot(area, outward) < 0:
            verts, norms = list(reversed(verts)), list(reversed(norms))
        self.faces.append((list(verts), [self.normal(n) for n in norms], self.slot(material)))

    def check(self):
        """Every polygon's winding agrees with the normals of its corners, and
        the surface is closed: each edge, by position, is crossed once in
        each direction."""
        edges = {}
        for verts, _, _ in self.faces:
            keys = [tuple(round(c, 5) for c in self.positions[v]) for v in verts]
            for a, b in zip(keys, keys[1:] + keys[:1]):
                edges[(a, b)] = edges.get((a, b), 0) + 1
        for (a, b), count in edges.items():
            assert edges.get((b, a), 0) == count, "%s: open or doubled edge at %s" % (self.name, (a, b))
        for verts, norms, _ in self.faces:
            p = [self.positions[v] for v in verts]
            area = (0.0, 0.0, 0.0)
            for i in range(1, len(p) - 1):
                area = add(area, cross(sub(p[i], p[0]), sub(p[i + 1], p[0])))
            assert dot(area, area) > 1e-14, "%s: degenerate face" % self.name
            for n in norms:
                assert dot(unit(area), self.normals[n]) > 0.0, "%s: face wound inwards" % self.name

    # ------------------------------------------------------------ primitives

    def box(self, lo, hi, material, uv_scale=1.0, uv_offset=(0.0, 0.0)):
        """Axis-aligned box with flat normals. Each face maps the texture by
        world distance: u along its horizontal axis, v downwards (top and
        bottom faces: u along x, v along z)."""
        x0, y0, z0 = lo
        x1, y1, z1 = hi
        ou, ov = uv_offset
        faces = (
            ((0, 0, -1), [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)], lambda p: (p[0], -p[1])),
            ((0, 0, 1), [(x1, y0, z1), (x1, y1, z1), (x0, y1, z1), (x0, y0, z1)], lambda p: (-p[0], -p[1])),
            ((-1, 0, 0), [(x0, y0, z1), (x0, y1, z1), (x0, y1, z0), (x0, y0, z0)], lambda p: (-p[2], -p[1])),
            ((1, 0, 0), [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)], lambda p: (p[2], -p[1])),
            ((0, 1, 0), [(x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0)], lambda p: (p[0], -p[2])),
            ((0, -1, 0), [(x0, y0, z1), (x0, y0, z0), (x1, y0, z0), (x1, y0, z1)], lambda p: (p[0], p[2])),
        )
        for n, corners, mapping in faces:
            verts = []
            for c in corners:
                u, v = mapping(c)
                verts.append(self.vertex(c, (u * uv_scale + ou, v * uv_scale + ov)))
            self.polygon(verts, [n] * 4, material, n)

    def cylinder(self, radius, z0, z1, segments, side_material, cap_material=None,
                 uv_around=1.0, uv_along=1.0, caps=(True, True)):
        """Cylinder along +z with smooth sides and flat polygon caps."""
        cap_material = cap_material or side_material
        ring0, ring1 = [], []
        for i in range(segments + 1):
            a = 2.0 * math.pi * i / segments
            c, s = math.cos(a), math.sin(a)
            u = uv_around * i / segments
            ring0.append(self.vertex((radius * c, radius * s, z0), (u, z0 * uv_along)))
            ring1.append(self.vertex((radius * c, radius * s, z1), (u, z1 * uv_along)))
        for i in range(segments):
            a0 = 2.0 * math.pi * i / segments
            a1 = 2.0 * math.pi * (i + 1) / segments
            n0 = (math.cos(a0), math.sin(a0), 0.0)
            n1 = (math.cos(a1), math.sin(a1), 0.0)
            mid = unit(add(n0, n1))
            self.polygon([ring0[i], ring0[i + 1], ring1[i + 1], ring1[i]], [n0, n1, n1, n0], side_material, mid)
        for z, flag, n in ((z0, caps[0], (0, 0, -1)), (z1, caps[1], (0, 0, 1))):
            if not flag:
                continue
            verts = []
            for i in range(segments):
                a = 2.0 * math.pi * i / segments
                c, s = math.cos(a), math.sin(a)
                verts.append(self.vertex((radius * c, radius * s, z), (0.5 + 0.5 * c, 0.5 + 0.5 * s)))
            self.polygon(verts, [n] * segments, cap_material, n)

    def lathe(self, profile, segments, material, uv_around=1.0, flat=False, place=None):
        """Surface of revolution about +z. `profile` is a list of (z, r)
        running from the -z end to the +z end; an end with r = 0 closes the
        solid. Normals are smooth across joints of less than 40 degrees, or
        per facet when `flat` (gems). `place` (rotation and translation)
        moves the finished solid."""
        place = place or identity()
        seg_normals = []  # outward normal of each profile segment in (r, z)
        for (za, ra), (zb, rb) in zip(profile, profile[1:]):
            nr, nz = zb - za, -(rb - ra)
            length = math.hypot(nr, nz)
            seg_normals.append((nr / length, nz / length))

        def joint(j, k):
            """(r, z) normal at profile point j for segment k."""
            own = seg_normals[k]
            other = k - 1 if j == k else k + 1
            if profile[j][1] == 0:  # on the axis: the normal is the axis
                return (0.0, 1.0 if own[1] > 0 else -1.0)
            if not 0 <= other < len(seg_normals):
                return own
            o = seg_normals[other]
            if own[0] * o[0] + own[1] * o[1] < math.cos(math.radians(40)):
                return own
            nr, nz = own[0] + o[0], own[1] + o[1]
            length = math.hypot(nr, nz)
            return (nr / length, nz / length)

        for k in range(len(profile) - 1):
            (za, ra), (zb, rb) = profile[k], profile[k + 1]
            na, nb = joint(k, k), joint(k + 1, k)
            for i in range(segments):
                corners = []
                for (z, r, n), a_i in (((za, ra, na), i), ((za, ra, na), i + 1),
                                       ((zb, rb, nb), i + 1), ((zb, rb, nb), i)):
                    if r == 0 and any(c[0][2] == z and c[3] == 0 for c in corners):
                        continue  # pole: the two corners coincide
                    a = 2.0 * math.pi * a_i / segments
                    c, s = math.cos(a), math.sin(a)
                    corners.append(((r * c, r * s, z), (uv_around * a_i / segments, z),
                                    (n[0] * c, n[0] * s, n[1]), r))
                p = [q[0] for q in corners]
                facet = unit(cross(sub(p[1], p[0]), sub(p[2], p[0])))
                am = 2.0 * math.pi * (i + 0.5) / segments
                n_mid = seg_normals[k]
                outward = (n_mid[0] * math.cos(am), n_mid[0] * math.sin(am), n_mid[1])
                if dot(facet, outward) < 0:
                    facet = scale(facet, -1.0)
                verts = [self.vertex(transform_point(place, q[0]), q[1]) for q in corners]
                norms = [facet] * len(corners) if flat else [q[2] for q in corners]
                self.polygon(verts, [transform_vector(place, n) for n in norms], material,
                             transform_vector(place, outward))


# ---------------------------------------------------------------- .x text writer


def fmt(v):
    s = "%.6f" % v
    return "0.000000" if s == "-0.000000" else s


def matrix_text(m, indent):
    rows = [",".join(fmt(m[r][c]) for c in range(4)) for r in range(4)]
    return "%sFrameTransformMatrix {\n%s  %s;;\n%s}\n" % (indent, indent, (",\n" + indent + "  ").join(rows), indent)


def material_text(name, m, indent=""):
    """A named Material; `m` holds diffuse (r, g, b, a), power, specular,
    emissive and an optional texture file name."""
    d, s, e = m["diffuse"], m["specular"], m["emissive"]
    text = "%sMaterial %s {\n" % (indent, name)
    text += "%s  %s;;\n" % (indent, ";".join(fmt(c) for c in d))
    text += "%s  %s;\n" % (indent, fmt(m["power"]))
    text += "%s  %s;;\n" % (indent, ";".join(fmt(c) for c in s))
    text += "%s  %s;;\n" % (indent, ";".join(fmt(c) for c in e))
    if m.get("texture"):
        text += '%s  TextureFilename {\n%s    "%s";\n%s  }\n' % (indent, indent, m["texture"], indent)
    return text + "%s}\n" % indent


def _list(items, indent):
    return indent + (",\n" + indent).join(items) + ";\n"


def mesh_text(part, indent, inline_materials=None):
    """The Mesh with its normals, texture coordinates and material list.
    Materials are referenced by name unless listed in `inline_materials`
    (name -> definition), which are written in place."""
    part.check()
    i2 = indent + "  "
    i3 = i2 + "  "
    t = "%sMesh %s {\n" % (indent, part.name)
    t += "%s%d;\n" % (i2, len(part.positions))
    t += _list(["%s;%s;%s;" % tuple(fmt(c) for c in p) for p in part.positions], i2)
    t += "%s%d;\n" % (i2, len(part.faces))
    t += _list(["%d;%s;" % (len(f[0]), ",".join(str(v) for v in f[0])) for f in part.faces], i2)
    t += "%sMeshNormals {\n%s%d;\n" % (i2, i3, len(part.normals))
    t += _list(["%s;%s;%s;" % tuple(fmt(c) for c in n) for n in part.normals], i3)
    t += "%s%d;\n" % (i3, len(part.faces))
    t += _list(["%d;%s;" % (len(f[1]), ",".join(str(n) for n in f[1])) for f in part.faces], i3)
    t += "%s}\n" % i2
    t += "%sMeshTextureCoords {\n%s%d;\n" % (i2, i3, len(part.uvs))
    t += _list(["%s;%s;" % (fmt(u), fmt(v)) for u, v in part.uvs], i3)
    t += "%s}\n" % i2
    t += "%sMeshMaterialList {\n%s%d;\n%s%d;\n" % (i2, i3, len(part.materials), i3, len(part.faces))
    t += "%s%s;\n" % (i3, ",".join(str(f[2]) for f in part.faces))
    for name in part.materials:
        if inline_materials and name in inline_materials:
            t += material_text(name, inline_materials[name], i3)
        else:
            t += "%s{%s}\n" % (i3, name)
    t += "%s}\n" % i2
    return t + "%s}\n" % indent
