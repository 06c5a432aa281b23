#!/usr/bin/python3
"""Renders the chest and levers from media/ the way the game lights and
views them, so the models can be judged before (and apart from) the engine.

    /usr/bin/python3 tools/preview_media.py [media folder] [output folder]

Reads the .x files with its own small parser (so it also checks what the
generator wrote), and draws with a software rasteriser that follows the
fixed-function rules the game relies on: clockwise front faces (counter-
clockwise ones culled), per-vertex lighting with the white directional light
(0, -1, 0.3) and global ambient 0x101010, the lit colour modulated by the
stage-0 texture, a depth test, the blue clear colour. Writes one PNG per
view and prints, for the start view, how much of each lever can be seen and
clicked. Needs numpy (Debian's python3-numpy) and djpeg.
"""

import math
import os
import re
import subprocess
import sys
import zlib

import numpy as np

sys.dont_write_bytecode = True  # keep the tree clean of caches

import media_textures

WIDTH, HEIGHT, SUPER = 500, 375, 3
LIGHT_DIR = np.array([0.0, -1.0, 0.3])
AMBIENT = 0x10 / 255.0
LEVER_OFFSET = [0.0, 0.1, 0.2, 0.1]

# ---------------------------------------------------------------- .x text parser

TOKEN = re.compile(r'\s+|//[^\n]*|#[^\n]*|"[^"]*"|<[^>]*>|[{};,\[\]]|\.\.\.|[-+]?\d+(?:\.\d*)?(?:[eE][-+]?\d+)?|[A-Za-z_][\w\-.]*')


def tokens(text):
    pos = 0
    out = []
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m:
            raise ValueError("bad character at %d: %r" % (pos, text[pos:pos + 20]))
        t = m.group(0)
        pos = m.end()
        if t[0].isspace() or t.startswith("//") or t.startswith("#") or t in (";", ","):
            continue
        out.append(t)
    return out


class XObject:
    def __init__(self, kind, name):
        self.kind, self.name = kind, name
        self.numbers, self.strings, self.children = [], [], []


def parse_object(toks, i, names):
    kind = toks[i]
    i += 1
    name = None
    if toks[i] != "{":
        name = toks[i]
        i += 1
    assert toks[i] == "{", "expected { after %s" % kind
    i += 1
    obj = XObject(kind, name)
    while toks[i] != "}":
        t = toks[i]
        if t.startswith("<"):
            i += 1
        elif t.startswith('"'):
            obj.strings.append(t[1:-1])
            i += 1
        elif t == "{":
            obj.children.append(names[toks[i + 1]])
            assert toks[i + 2] == "}"
            i += 3
        elif re.match(r"[-+\d]", t):
            obj.numbers.append(float(t))
            i += 1
        else:
            child, i = parse_object(toks, i, names)
            obj.children.append(child)
    if name:
        names[name] = obj
    return obj, i + 1


def parse(text):
    assert text.startswith("xof 0303txt "), "not a text .x file"
    toks = tokens(text[16:])
    i, names, top = 0, {}, []
    while i < len(toks):
        if toks[i].lower() == "template":
            depth, i = 0, i + 2
            while True:
                depth += {"{": 1, "}": -1}.get(toks[i], 0)
                i += 1
                if depth == 0:
                    break
            continue
        obj, i = parse_object(toks, i, names)
        top.append(obj)
    return top


# ---------------------------------------------------------------- model assembly


def load_texture(folder, name, cache):
    if name not in cache:
        path = os.path.join(folder, name)
        if name.lower().endswith(".png"):
            cache[name] = read_png(path)
        else:
            ppm = subprocess.run(["djpeg", "-pnm", path], check=True, capture_output=True).stdout
            parts = ppm.split(maxsplit=4)
            w, h = int(parts[1]), int(parts[2])
            cache[name] = np.frombuffer(parts[4], np.uint8)[: w * h * 3].reshape(h, w, 3) / 255.0
    return cache[name]


def read_png(path):
    data = open(path, "rb").read()
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n = int.from_bytes(data[pos:pos + 4], "big")
        kind = data[pos + 4:pos + 8]
        if kind == b"IHDR":
            w, h = int.from_bytes(data[pos + 8:pos + 12], "big"), int.from_bytes(data[pos + 12:pos + 16], "big")
            assert data[pos + 16:pos + 18] == b"\x08\x02", "only 8-bit RGB"
        elif kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    raw = np.frombuffer(zlib.decompress(idat), np.uint8).reshape(h, 1 + 3 * w)
    assert (raw[:, 0] == 0).all(), "only filter type 0"
    return raw[:, 1:].reshape(h, w, 3) / 255.0


def material_of(obj, folder, cache):
    n = obj.numbers
    tex = None
    for c in obj.children:
        if c.kind == "TextureFilename":
            tex = load_texture(folder, c.strings[0], cache)
    return dict(diffuse=np.array(n[0:4]), emissive=np.array(n[8:11]), texture=tex)


def collect(objs, world, folder, cache, out):
    """Appends (positions, normals, uvs, material per triangle, materials)
    for every mesh under `objs`, transformed by the frames above it."""
    frames = [o for o in objs if o.kind == "FrameTransformMatrix"]
    if frames:
        world = np.array(frames[0].numbers).reshape(4, 4) @ world
    for o in objs:
        if o.kind == "Frame":
            collect(o.children, world, folder, cache, out)
        elif o.kind == "Mesh":
            out.append(mesh_triangles(o, world, folder, cache))


def mesh_triangles(mesh, world, folder, cache):
    n = mesh.numbers
    nv = int(n[0])
    pos = np.array(n[1:1 + 3 * nv]).reshape(nv, 3)
    k, faces = 2 + 3 * nv, []
    for _ in range(int(n[1 + 3 * nv])):
        c = int(n[k])
        faces.append([int(v) for v in n[k + 1:k + 1 + c]])
        k += 1 + c
    child = {c.kind: c for c in mesh.children}
    nn = child["MeshNormals"].numbers
    cnt = int(nn[0])
    normals = np.array(nn[1:1 + 3 * cnt]).reshape(cnt, 3)
    k, nfaces = 2 + 3 * cnt, []
    for _ in range(int(nn[1 + 3 * cnt])):
        c = int(nn[k])
        nfaces.append([int(v) for v in nn[k + 1:k + 1 + c]])
        k += 1 + c
    uv = np.array(child["MeshTextureCoords"].numbers[1:]).reshape(-1, 2)
    ml = child["MeshMaterialList"]
    ids = [int(v) for v in ml.numbers[2:2 + int(ml.numbers[1])]]
    mats = [material_of(c, folder, cache) for c in ml.children]
    P, N, U, M = [], [], [], []
    for f, (vs, ns) in enumerate(zip(faces, nfaces)):
        for i in range(1, len(vs) - 1):  # fans, as the loader triangulates
            tri = [0, i, i + 1]
            P.append(pos[[vs[t] for t in tri]])
            N.append(normals[[ns[t] for t in tri]])
            U.append(uv[[vs[t] for t in tri]])
            M.append(ids[f])
    P = np.array(P)
    P = np.concatenate([P, np.ones(P.shape[:2] + (1,))], axis=2) @ world
    N = np.array(N) @ world[:3, :3]
    N /= np.linalg.norm(N, axis=2, keepdims=True)
    return P[:, :, :3], N, np.array(U), np.array(M), mats


def load_model(folder, name, cache):
    out = []
    collect(parse(open(os.path.join(folder, name)).read()), np.eye(4), folder, cache, out)
    return out


# ---------------------------------------------------------------- camera


def eye_from_counters(azimuth, elevation):
    a = (azimuth * 0.0025 - 2.0) * (-0.7854)
    e = elevation * 0.0031416
    return np.array([-3 * math.cos(e) * math.cos(a), 3 * math.sin(e), -3 * math.cos(e) * math.sin(a)])


def look_at_lh(eye, at, up):
    z = (at - eye) / np.linalg.norm(at - eye)
    x = np.cross(up, z)
    x /= np.linalg.norm(x)
    y = np.cross(z, x)
    m = np.eye(4)
    m[:3, 0], m[:3, 1], m[:3, 2] = x, y, z
    m[3, :3] = [-x @ eye, -y @ eye, -z @ eye]
    return m


def perspective_fov_lh(fovy, aspect, zn, zf):
    ys = 1.0 / math.tan(fovy / 2)
    m = np.zeros((4, 4))
    m[0, 0], m[1, 1] = ys / aspect, ys
    m[2, 2], m[2, 3], m[3, 2] = zf / (zf - zn), 1.0, -zn * zf / (zf - zn)
    return m


# ---------------------------------------------------------------- rasteriser


class Target:
    def __init__(self):
        self.w, self.h = WIDTH * SUPER, HEIGHT * SUPER
        self.color = np.zeros((self.h, self.w, 3))
        self.color[:] = (0.0, 0.0, 1.0)
        self.depth = np.ones((self.h, self.w))
        self.ident = np.full((self.h, self.w), -1)

    def draw(self, tris, view_proj, model_id):
        P, N, U, M, mats = tris
        L = -LIGHT_DIR / np.linalg.norm(LIGHT_DIR)
        lit_dot = np.maximum(0.0, N @ L)
        clip = np.concatenate([P, np.ones(P.shape[:2] + (1,))], axis=2) @ view_proj
        w = clip[:, :, 3]
        sx = (clip[:, :, 0] / w + 1) * 0.5 * self.w - 0.5
        sy = (1 - clip[:, :, 1] / w) * 0.5 * self.h - 0.5
        sz = clip[:, :, 2] / w
        for t in range(len(P)):
            if (w[t] <= 0).any() or (sz[t] < 0).any():
                continue
            x0, y0, x1, y1, x2, y2 = sx[t, 0], sy[t, 0], sx[t, 1], sy[t, 1], sx[t, 2], sy[t, 2]
            area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
            if area <= 0:  # counter-clockwise on screen: culled
                continue
            bx0, bx1 = max(0, int(math.ceil(min(x0, x1, x2)))), min(self.w - 1, int(max(x0, x1, x2)))
            by0, by1 = max(0, int(math.ceil(min(y0, y1, y2)))), min(self.h - 1, int(max(y0, y1, y2)))
            if bx0 > bx1 or by0 > by1:
                continue
            X, Y = np.meshgrid(np.arange(bx0, bx1 + 1), np.arange(by0, by1 + 1))
            b0 = ((x1 - X) * (y2 - Y) - (x2 - X) * (y1 - Y)) / area
            b1 = ((x2 - X) * (y0 - Y) - (x0 - X) * (y2 - Y)) / area
            b2 = 1 - b0 - b1
            inside = (b0 >= 0) & (b1 >= 0) & (b2 >= 0)
            if not inside.any():
                continue
            z = b0 * sz[t, 0] + b1 * sz[t, 1] + b2 * sz[t, 2]
            region = self.depth[by0:by1 + 1, bx0:bx1 + 1]
            inside &= z <= region
            if not inside.any():
                continue
            mat = mats[M[t]]
            q = np.stack([b0 / w[t, 0], b1 / w[t, 1], b2 / w[t, 2]], axis=-1)
            q /= q.sum(axis=-1, keepdims=True)  # perspective-correct weights
            d, e = mat["diffuse"], mat["emissive"]
            vcol = np.clip(e + d[:3] * AMBIENT + d[:3] * lit_dot[t][:, None], 0, 1)
            col = q @ vcol
            if mat["texture"] is not None:
                col = col * sample(mat["texture"], q @ U[t])
            region[inside] = z[inside]
            self.color[by0:by1 + 1, bx0:bx1 + 1][inside] = col[inside]
            self.ident[by0:by1 + 1, bx0:bx1 + 1][inside] = model_id

    def image(self):
        img = self.color.reshape(HEIGHT, SUPER, WIDTH, SUPER, 3).mean(axis=(1, 3))
        return np.clip(np.round(img * 255), 0, 255).astype(np.uint8)


def sample(texture, uv):
    """Bilinear with wrapping, texel centres at half-integers as in Direct3D."""
    h, w, _ = texture.shape
    x = uv[..., 0] * w - 0.5
    y = uv[..., 1] * h - 0.5
    x0, y0 = np.floor(x).astype(int), np.floor(y).astype(int)
    fx, fy = (x - x0)[..., None], (y - y0)[..., None]
    x0, y0, x1, y1 = x0 % w, y0 % h, (x0 + 1) % w, (y0 + 1) % h
    top = texture[y0, x0] * (1 - fx) + texture[y0, x1] * fx
    bottom = texture[y1, x0] * (1 - fx) + texture[y1, x1] * fx
    return top * (1 - fy) + bottom * fy


# ---------------------------------------------------------------- views


def render(models, counters, levers, levers_only=False):
    eye = eye_from_counters(*counters)
    vp = look_at_lh(eye, np.zeros(3), np.array([0.0, 1.0, 0.0])) @ perspective_fov_lh(
        math.pi / 4, WIDTH / HEIGHT, 1.0, 100.0)
    target = Target()
    if not levers_only:
        base = np.eye(4)
        base[3, :3] = (-1.0, 0.0, -1.0)
        for part in models["base"]:
            target.draw(part, base @ vp, 6)
    for i in (0, 2, 4, 1, 3, 5):
        world = np.eye(4)
        world[3, 0 if i % 2 == 0 else 2] = LEVER_OFFSET[levers[i]]
        for part in models[i]:
            target.draw(part, world @ vp, i)
    return target


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    folder = argv[1] if len(argv) > 1 else os.path.join(here, "..", "media")
    out = argv[2] if len(argv) > 2 else "."
    os.makedirs(out, exist_ok=True)
    cache = {}
    models = {"base": load_model(folder, "Base02.x", cache)}
    for i in range(6):
        models[i] = load_model(folder, "Lever%dt.x" % (i + 1), cache)
    views = {
        "start": ((10, 300), [0] * 6),
        "start_pulled": ((10, 300), [1, 0, 2, 1, 0, 2]),
        "right": ((-800, 150), [2, 2, 2, 0, 0, 0]),
        "left": ((800, 150), [0] * 6),
        "back": ((1600, 200), [0, 2, 0, 2, 0, 2]),
        "top": ((10, 400), [2, 1, 0, 2, 1, 0]),
        "front_low": ((10, 0), [0] * 6),
    }
    for name, (counters, levers) in views.items():
        target = render(models, counters, levers)
        media_textures.write_png(os.path.join(out, "%s.png" % name), target.image().tolist())
        if name == "start":
            picked = render(models, counters, levers, levers_only=True).ident
            for i in range(6):
                seen = int((target.ident == i).sum()) // (SUPER * SUPER)
                hidden = int(((picked == i) & (target.ident != i)).sum()) // (SUPER * SUPER)
                print("lever %d: %d pixels seen, %d pixels of it behind the chest" % (i + 1, seen, hidden))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
