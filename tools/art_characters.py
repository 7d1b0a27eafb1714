#!/usr/bin/env python3
"""Draws the three CPU characters and the title window pictures as SVG.

Every character is drawn by one function taking an expression name and
returning an SVG group in a 170x145 local frame, so the same drawing is
reused for the game window, the janken faces, the title and the splashes.

Usage: python3 tools/art_characters.py [output_dir]
(default output: assets/pictures next to this tools folder)
"""

import math
import os
import random
import sys

FONT = "IPAPGothic"

# ---------------------------------------------------------------- palette
OL = "#3d2a1e"          # outline, shared by all characters
SW = 2.6                # outline width
EYE = "#2b1b12"
BLUSH = "#ff7f9b"
TONGUE = "#ff8fa3"
MOUTH_IN = "#b3303f"

CAT_FUR = "#f7b968"
CAT_CREAM = "#fff2d8"
CAT_STRIPE = "#e2883a"
CAT_EAR_IN = "#ffb3bf"
CAT_NOSE = "#f2788a"

PANDA_W = "#fbfbf6"
PANDA_K = "#333034"
PANDA_PAD = "#76696d"
BAMBOO = "#86cf5e"
BAMBOO_D = "#4f9a3a"

DOG_TAN = "#dc9c58"
DOG_EAR = "#94572a"
DOG_W = "#fffaf1"
DOG_K = "#332c2a"

CHAR_NAMES = ["ぽてんねこ", "のそくま", "zoda"]
EXPRS = ["calm", "calm2", "dismayed", "dismayed2", "burst", "uneasy"]


def f(v):
    """Compact number formatting."""
    if isinstance(v, float):
        s = "%.2f" % v
        s = s.rstrip("0").rstrip(".")
        return s if s not in ("-0", "") else "0"
    return str(v)


def attrs(**kw):
    out = []
    for k, v in kw.items():
        if v is None:
            continue
        k = k.rstrip("_").replace("_", "-")
        out.append('%s="%s"' % (k, f(v)))
    return " ".join(out)


def ellipse(cx, cy, rx, ry, fill, stroke=OL, sw=SW, **kw):
    return "<ellipse %s/>" % attrs(cx=cx, cy=cy, rx=rx, ry=ry, fill=fill,
                                   stroke=stroke if stroke else None,
                                   stroke_width=sw if stroke else None, **kw)


def circle(cx, cy, r, fill, stroke=None, sw=SW, **kw):
    return "<circle %s/>" % attrs(cx=cx, cy=cy, r=r, fill=fill,
                                  stroke=stroke, stroke_width=sw if stroke else None,
                                  **kw)


def path(d, fill="none", stroke=OL, sw=SW, **kw):
    kw.setdefault("stroke_linecap", "round")
    kw.setdefault("stroke_linejoin", "round")
    return "<path %s/>" % attrs(d=d, fill=fill, stroke=stroke if stroke else None,
                                stroke_width=sw if stroke else None, **kw)


def group(items, transform=None, **kw):
    head = "<g"
    if transform:
        head += ' transform="%s"' % transform
    if kw:
        head += " " + attrs(**kw)
    return head + ">" + "".join(items) + "</g>"


def svg_doc(w, h, body, defs=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
            'viewBox="0 0 %d %d">\n<defs>%s</defs>\n%s\n</svg>\n'
            % (w, h, w, h, defs, body))


# ---------------------------------------------------------------- face parts
def eye_pair(kind, pts, dark=False, s=1.0):
    """pts = [(x, y), (x, y)] left then right."""
    out = []
    for side, (x, y) in zip((-1, 1), pts):
        if kind in ("round", "small"):
            k = 1.0 if kind == "round" else 0.8
            if dark:
                out.append(circle(x, y, 7.2 * s * k, "#ffffff"))
                out.append(ellipse(x, y + 0.4, 4.9 * s * k, 5.6 * s * k, EYE, stroke=None))
                out.append(circle(x + 1.6 * s, y - 2.0 * s, 1.9 * s * k, "#ffffff"))
            else:
                out.append(ellipse(x, y, 5.6 * s * k, 7.0 * s * k, EYE, stroke=None))
                out.append(circle(x + 1.9 * s * k, y - 2.7 * s * k, 2.3 * s * k, "#ffffff"))
                out.append(circle(x - 1.7 * s * k, y + 2.8 * s * k, 1.0 * s * k, "#ffffff"))
        elif kind == "happy":
            col = "#ffffff" if dark else EYE
            out.append(path("M%s,%s Q%s,%s %s,%s" % (
                f(x - 6.5 * s), f(y + 2.5 * s), f(x), f(y - 6.5 * s), f(x + 6.5 * s), f(y + 2.5 * s)),
                stroke=col, sw=3.4 * s))
        elif kind == "fierce":
            # flat top slanting down toward the nose, round bottom
            xi = x - side * 6.5 * s      # inner corner x
            xo = x + side * 6.5 * s      # outer corner x
            d = "M%s,%s L%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
                f(xo), f(y - 4.5 * s), f(xi), f(y + 0.5 * s),
                f(xi), f(y + 7.5 * s), f(x), f(y + 7.5 * s),
                f(xo), f(y + 7.5 * s), f(xo), f(y - 4.5 * s))
            if dark:
                out.append(path(d, fill="#ffffff", stroke=None))
                out.append(circle(x - side * 1.0 * s, y + 3.0 * s, 3.6 * s, EYE))
                out.append(circle(x - side * 0.0 * s + 0.8, y + 1.6 * s, 1.3 * s, "#ffffff"))
            else:
                out.append(path(d, fill=EYE, stroke=EYE, sw=1.2))
                out.append(circle(x + 1.5 * s, y + 1.8 * s, 1.9 * s, "#ffffff"))
    return "".join(out)


def brows(kind, pts, dy, s=1.0, col=OL):
    out = []
    for side, (x, y) in zip((-1, 1), pts):
        yo = y - dy
        xi, xo = x - side * 7 * s, x + side * 7 * s
        if kind == "worried":
            d = "M%s,%s Q%s,%s %s,%s" % (f(xo), f(yo + 2 * s), f(x), f(yo - 0.5 * s),
                                         f(xi), f(yo - 4.5 * s))
        elif kind == "angry":
            d = "M%s,%s Q%s,%s %s,%s" % (f(xo), f(yo - 3.5 * s), f(x), f(yo - 1.5 * s),
                                         f(xi), f(yo + 3.5 * s))
        else:
            continue
        out.append(path(d, stroke=col, sw=3.0 * s))
    return "".join(out)


def mouth(kind, mx, my, s=1.0, cat=False):
    def P(*xy):
        return " ".join("%s,%s" % (f(mx + a * s), f(my + b * s)) for a, b in xy)
    if kind in ("smile",):
        if cat:
            return path("M%s Q%s %s Q%s %s" % (P((-9, -1)), P((-4.5, 6.5)), P((0, -1)),
                                             P((4.5, 6.5)), P((9, -1))), sw=2.4 * s)
        return path("M%s Q%s %s" % (P((-7.5, 0)), P((0, 7.5)), P((7.5, 0))), sw=2.5 * s)
    if kind == "open":
        d = "M%s Q%s %s Q%s %s Q%s %s Z" % (P((-8, 0)), P((0, 15)), P((8, 0)),
                                           P((4, 3)), P((0, 0.5)), P((-4, 3)), P((-8, 0)))
        if not cat:
            d = "M%s Q%s %s Q%s %s Z" % (P((-8, 0)), P((0, 15)), P((8, 0)),
                                        P((0, 2)), P((-8, 0)))
        return (path(d, fill=MOUTH_IN, sw=2.2 * s) +
                ellipse(mx, my + 8.5 * s, 4.2 * s, 2.6 * s, TONGUE, stroke=None))
    if kind == "wavy":
        return path("M%s Q%s %s T%s T%s T%s" % (P((-10, 2)), P((-7.5, -2)), P((-5, 2)),
                                               P((0, 2)), P((5, 2)), P((10, 2))), sw=2.4 * s)
    if kind == "grin":
        d = "M%s Q%s %s Q%s %s Q%s %s Z" % (P((-13, -2)), P((0, 1.5)), P((13, -2)),
                                           P((11, 15)), P((0, 16)), P((-11, 15)), P((-13, -2)))
        fang = path("M%s L%s L%s Z" % (P((-8.5, -1.2)), P((-6.2, 4.5)), P((-4, -0.6))),
                    fill="#ffffff", stroke=OL, sw=1.2 * s)
        fang2 = path("M%s L%s L%s Z" % (P((8.5, -1.2)), P((6.2, 4.5)), P((4, -0.6))),
                     fill="#ffffff", stroke=OL, sw=1.2 * s)
        return (path(d, fill=MOUTH_IN, sw=2.3 * s) +
                ellipse(mx, my + 11 * s, 6.5 * s, 3.5 * s, TONGUE, stroke=None) +
                fang + fang2)
    return ""


def blush(pts, strong=False, s=1.0):
    out = []
    op = 0.75 if strong else 0.55
    for x, y in pts:
        out.append(ellipse(x, y, 8.5 * s, 4.6 * s, BLUSH, stroke=None, opacity=op))
        for i in (-1, 0, 1):
            out.append(path("M%s,%s l%s,%s" % (f(x + i * 4 * s - 1), f(y + 1.5 * s),
                                              f(2.2 * s), f(-3.2 * s)),
                            stroke="#ff5c80", sw=1.1 * s, opacity=0.7))
    return "".join(out)


def sweat(x, y, s=1.0):
    d = ("M0,-11 C3,-5 8,0 8,5 A8,8 0 0 1 -8,5 C-8,0 -3,-5 0,-11 Z")
    hl = "M-4,4 Q-4,0 -1.5,-2.5"
    return group([path(d, fill="#8fd3ff", stroke="#2d6fbf", sw=2.0),
                  path(hl, stroke="#ffffff", sw=2.0)],
                 transform="translate(%s,%s) scale(%s)" % (f(x), f(y), f(s)))


def gloom(uid, clip_shape, x0, x1, ytop, ybot, n, strong=False):
    """Vertical gloom lines with a purple shade over the upper face."""
    gid = uid + "gl"
    cid = uid + "gc"
    defs = ('<linearGradient id="%s" x1="0" y1="0" x2="0" y2="1">'
            '<stop offset="0" stop-color="#5b3fb8" stop-opacity="%s"/>'
            '<stop offset="1" stop-color="#5b3fb8" stop-opacity="0"/>'
            '</linearGradient><clipPath id="%s">%s</clipPath>'
            % (gid, "0.62" if strong else "0.42", cid, clip_shape))
    out = ["<defs>" + defs + "</defs>"]
    shade = '<rect x="0" y="%s" width="170" height="%s" fill="url(#%s)"/>' % (
        f(ytop - 30), f(ybot - ytop + 30), gid)
    lines = []
    rnd = random.Random(n * 7 + int(x0))
    for i in range(n):
        x = x0 + (x1 - x0) * (i / (n - 1) if n > 1 else 0.5)
        ln = (ybot - ytop) * (0.75 + 0.25 * rnd.random())
        lines.append(path("M%s,%s L%s,%s" % (f(x), f(ytop - 25), f(x), f(ytop + ln)),
                          stroke="#3b2a8a", sw=1.9, opacity=0.75))
    out.append('<g clip-path="url(#%s)">%s%s</g>' % (cid, shade, "".join(lines)))
    return "".join(out)


def bezier_tail(p, t):
    """Return the part of a cubic bezier from parameter t to its end."""
    def lerp(a, b):
        return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
    p0, p1, p2, p3 = p
    a, b, c = lerp(p0, p1), lerp(p1, p2), lerp(p2, p3)
    d, e = lerp(a, b), lerp(b, c)
    m = lerp(d, e)
    return (m, e, c, p3)


def burst_shape(cx, cy, r, seed=3):
    rnd = random.Random(seed)
    def star(rad, inner, n, jitter):
        pts = []
        for i in range(n * 2):
            a = math.pi * i / n - math.pi / 2 + 0.2
            rr = rad if i % 2 == 0 else rad * inner
            rr *= 1 + jitter * (rnd.random() - 0.5)
            pts.append("%s,%s" % (f(cx + rr * math.cos(a)), f(cy + rr * math.sin(a))))
        return "M" + " L".join(pts) + " Z"
    return (path(star(r, 0.62, 11, 0.25), fill="#ee3328", stroke=OL, sw=2.2) +
            path(star(r * 0.66, 0.6, 9, 0.25), fill="#ffd83a", stroke=None) +
            path(star(r * 0.3, 0.55, 7, 0.2), fill="#fff7c4", stroke=None))


def face_features(expr, F, uid):
    """F: dict describing the face layout of one character."""
    eyes = F["eyes"]
    dark = F.get("dark_eyes", False)
    cat = F.get("cat", False)
    mx, my = F["mouth"]
    out = []
    over = []  # things drawn on top of everything (sweat, burst)
    if expr in ("calm", "uneasy", "cheer"):
        out.append(blush(F["blush"]))
        out.append(eye_pair("round", eyes, dark))
        out.append(mouth("open" if expr == "cheer" else "smile", mx, my, cat=cat))
    elif expr == "calm2":
        out.append(blush(F["blush"]))
        if F.get("calm2_shut"):
            out.append(eye_pair("happy", eyes, dark))
        else:
            out.append(eye_pair("round", eyes, dark))
        out.append(mouth("smile", mx, my, cat=cat))
    elif expr in ("dismayed", "dismayed2"):
        strong = expr == "dismayed2"
        out.append(eye_pair("small", eyes, dark))
        out.append(brows("worried", eyes, F["brow_dy"]))
        out.append(mouth("wavy", mx, my + 1, cat=cat))
        gx0, gx1, gy0, gy1 = F["gloom"]
        if strong:
            out.append(gloom(uid, F["clip"], gx0 - 8, gx1 + 8, gy0, gy1 + 6, 11, True))
        else:
            out.append(gloom(uid, F["clip"], gx0, gx1, gy0, gy1, 6, False))
    elif expr == "burst":
        out.append(blush(F["blush"], strong=True))
        out.append(eye_pair("fierce", eyes, dark))
        out.append(brows("angry", eyes, F["brow_dy"]))
        out.append(mouth("grin", mx, my, cat=cat))
    if expr == "uneasy":
        sx, sy = F["sweat"]
        over.append(sweat(sx, sy, 1.0))
    elif expr == "dismayed":
        sx, sy = F["sweat"]
        over.append(sweat(sx, sy, 1.0))
    elif expr == "dismayed2":
        sx, sy = F["sweat"]
        over.append(sweat(sx + 3, sy + 22, 1.12))
    elif expr == "burst":
        bx, by = F["burst"]
        over.append(burst_shape(bx, by, 24))
    return "".join(out), "".join(over)


# ---------------------------------------------------------------- the cat
CAT_HEAD = (85, 62, 53, 43)


def cat_head(expr, uid):
    cx, cy, rx, ry = CAT_HEAD
    o = []
    # ears
    for side in (-1, 1):
        def X(v):
            return f(cx + side * v)
        o.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
            X(50), 48, X(52), 6, X(38), 4, X(24), 8, X(14), 30),
            fill=CAT_FUR))
        o.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
            X(43), 38, X(44), 14, X(38), 13, X(30), 15, X(22), 28),
            fill=CAT_EAR_IN, stroke=None))
    # head with little cheek tufts
    o.append(path(
        "M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s "
        "L%s,%s L%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s "
        "L%s,%s L%s,%s Z" % (
            f(cx - rx), f(cy - 4),
            f(cx - rx), f(cy - ry - 4), f(cx + rx), f(cy - ry - 4), f(cx + rx), f(cy - 4),
            f(cx + rx + 4), f(cy + 10), f(cx + rx - 2), f(cy + 20), f(cx + rx - 8), f(cy + 26),
            f(cx + rx - 3), f(cy + 28), f(cx + rx - 13), f(cy + 32),
            f(cx + 30), f(cy + ry), f(cx - 30), f(cy + ry), f(cx - rx + 13), f(cy + 32),
            f(cx - rx + 8), f(cy + 26), f(cx - rx + 2), f(cy + 20), f(cx - rx - 4), f(cy + 10),
            f(cx - rx + 3), f(cy + 28), f(cx - rx - 4), f(cy + 10)),
        fill=CAT_FUR))
    # forehead stripes
    for dx, ln, w in ((0, 15, 5), (-11, 11, 4), (11, 11, 4)):
        o.append(path("M%s,%s L%s,%s" % (f(cx + dx), f(cy - ry + 1), f(cx + dx * 0.85),
                                         f(cy - ry + 1 + ln)), stroke=CAT_STRIPE, sw=w))
    # cheek stripes
    for side in (-1, 1):
        for yy, ln in ((cy + 2, 10), (cy + 9, 8)):
            o.append(path("M%s,%s L%s,%s" % (f(cx + side * (rx - 1)), f(yy),
                                             f(cx + side * (rx - 1 - ln)), f(yy + 1.5)),
                          stroke=CAT_STRIPE, sw=3.2))
    # muzzle
    o.append(ellipse(cx - 8, cy + 19, 11, 8.5, CAT_CREAM, stroke=None))
    o.append(ellipse(cx + 8, cy + 19, 11, 8.5, CAT_CREAM, stroke=None))
    o.append(ellipse(cx, cy + 24, 10, 6, CAT_CREAM, stroke=None))
    F = dict(eyes=[(cx - 20, cy + 2), (cx + 20, cy + 2)], mouth=(cx, cy + 17),
             blush=[(cx - 31, cy + 15), (cx + 31, cy + 15)], brow_dy=13, cat=True,
             gloom=(cx - 30, cx + 30, cy - 30, cy - 2), sweat=(cx + 44, cy - 22),
             burst=(cx + 62, cy - 28),
             clip='<ellipse cx="%s" cy="%s" rx="%s" ry="%s"/>' % (cx, cy, rx, ry))
    feats, over = face_features(expr, F, uid)
    o.append(feats)
    # nose on top of the mouth start
    o.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
        f(cx - 4.5), f(cy + 11.5), f(cx), f(cy + 10), f(cx + 4.5), f(cy + 11.5),
        f(cx + 1), f(cy + 17), f(cx - 4.5), f(cy + 11.5)),
        fill=CAT_NOSE, stroke=OL, sw=1.6))
    # whiskers
    for side in (-1, 1):
        for k, (dy, ang) in enumerate(((12, -8), (18, 0), (24, 8))):
            x0 = cx + side * (rx - 14)
            x1 = cx + side * (rx + 13)
            o.append(path("M%s,%s Q%s,%s %s,%s" % (
                f(x0), f(cy + dy), f((x0 + x1) / 2), f(cy + dy + ang * 0.2 - 1),
                f(x1), f(cy + dy + ang)), stroke=OL, sw=1.4))
    return "".join(o), over


def cat(expr="calm", uid="c", head_only=False):
    head, over = cat_head(expr, uid)
    if head_only:
        return group([head, over])
    o = []
    o.append(ellipse(85, 139, 58, 5, "#000000", stroke=None, opacity=0.12))
    # tail (behind body)
    if expr == "calm2":
        td = "M110,128 C132,140 150,140 163,128"
    else:
        td = "M110,126 C140,132 156,110 147,84"
    o.append(path(td, stroke=OL, sw=15.5))
    o.append(path(td, stroke=CAT_FUR, sw=10.5))
    o.append(path(td, stroke=CAT_STRIPE, sw=10.5, stroke_dasharray="4 7",
                  stroke_dashoffset="-8", stroke_linecap="butt"))
    # body
    o.append(path("M48,100 C36,118 38,138 60,141 L110,141 C132,138 134,118 122,100 Z",
                  fill=CAT_FUR))
    o.append(ellipse(85, 118, 24, 19, CAT_CREAM, stroke=None))
    # side stripes on the body
    for side in (-1, 1):
        for yy in (110, 120):
            o.append(path("M%s,%s l%s,%s" % (85 + side * 39, yy, side * -8, 2),
                          stroke=CAT_STRIPE, sw=3))
    # hind feet
    o.append(ellipse(56, 135, 15, 8, CAT_FUR))
    o.append(ellipse(114, 135, 15, 8, CAT_FUR))
    # front paws
    for x in (71, 99):
        o.append(ellipse(x, 130, 10.5, 8.5, CAT_CREAM))
        o.append(path("M%s,133 l0,-4 M%s,133 l0,-4" % (f(x - 3), f(x + 3)), sw=1.4))
    o.append(head)
    o.append(over)
    return group(o)


# ---------------------------------------------------------------- the panda
PANDA_HEAD = (85, 60, 54, 44)


def panda_head(expr, uid):
    cx, cy, rx, ry = PANDA_HEAD
    o = []
    for side in (-1, 1):
        o.append(circle(cx + side * 42, cy - 34, 15, PANDA_K, stroke=OL, sw=SW))
        o.append(circle(cx + side * 42, cy - 33, 7, "#5b5357"))
    o.append(path("M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s Z" % (
        f(cx - rx), f(cy + 2),
        f(cx - rx), f(cy - ry - 6), f(cx + rx), f(cy - ry - 6), f(cx + rx), f(cy + 2),
        f(cx + rx), f(cy + ry + 6), f(cx - rx), f(cy + ry + 6), f(cx - rx), f(cy + 2)),
        fill=PANDA_W))
    # eye patches
    for side in (-1, 1):
        o.append('<ellipse cx="%s" cy="%s" rx="12.5" ry="16" fill="%s" '
                 'transform="rotate(%s %s %s)"/>' % (
                     f(cx + side * 21), f(cy + 4), PANDA_K, f(side * -38),
                     f(cx + side * 21), f(cy + 4)))
    # muzzle
    o.append(ellipse(cx, cy + 22, 17, 12, "#ffffff", stroke=None))
    F = dict(eyes=[(cx - 20, cy + 2), (cx + 20, cy + 2)], mouth=(cx, cy + 24),
             blush=[(cx - 35, cy + 21), (cx + 35, cy + 21)], brow_dy=19,
             dark_eyes=True,
             gloom=(cx - 30, cx + 30, cy - 30, cy - 4), sweat=(cx + 46, cy - 20),
             burst=(cx + 62, cy - 28),
             clip='<ellipse cx="%s" cy="%s" rx="%s" ry="%s"/>' % (cx, cy, rx, ry + 2))
    feats, over = face_features(expr, F, uid)
    o.append(feats)
    o.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
        f(cx - 6), f(cy + 15), f(cx), f(cy + 12.5), f(cx + 6), f(cy + 15),
        f(cx + 1), f(cy + 22), f(cx - 6), f(cy + 15)),
        fill=PANDA_K, stroke=OL, sw=1.5))
    o.append(path("M%s,%s L%s,%s" % (f(cx), f(cy + 21), f(cx), f(cy + 24)), sw=2.0))
    o.append(circle(cx - 2, cy + 15, 1.3, "#ffffff", opacity=0.8))
    return "".join(o), over


def bamboo():
    o = []
    o.append(path("M114,140 L140,64", stroke=OL, sw=10))
    o.append(path("M114,140 L140,64", stroke=BAMBOO, sw=6))
    for t in (0.3, 0.6, 0.9):
        x = 114 + 26 * t
        y = 140 - 76 * t
        o.append(path("M%s,%s l7,2.5" % (f(x - 3.5), f(y - 1.2)), stroke=BAMBOO_D, sw=2.2))
    for (ax, ay, bx, by) in ((136, 76, 158, 66), (138, 70, 150, 50), (131, 92, 152, 98)):
        mx, my = (ax + bx) / 2, (ay + by) / 2
        nx, ny = -(by - ay) * 0.3, (bx - ax) * 0.3
        o.append(path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
            ax, ay, f(mx + nx), f(my + ny), bx, by, f(mx - nx), f(my - ny), ax, ay),
            fill=BAMBOO, stroke=OL, sw=1.8))
    return "".join(o)


def panda(expr="calm", uid="p", head_only=False):
    head, over = panda_head(expr, uid)
    tilt = expr == "calm2"
    if head_only:
        return group([head, over])
    o = []
    o.append(ellipse(85, 139, 64, 5, "#000000", stroke=None, opacity=0.12))
    # sturdy body
    o.append(path("M40,98 C26,118 28,140 56,141 L114,141 C142,140 144,118 130,98 Z",
                  fill=PANDA_W))
    o.append(ellipse(85, 120, 26, 18, "#ffffff", stroke=None))
    o.append(bamboo())
    # black legs
    for x, side in ((50, -1), (120, 1)):
        o.append(ellipse(x, 132, 20, 12, PANDA_K))
        o.append(ellipse(x + side * 2, 132, 9, 6.5, PANDA_PAD, stroke=None))
        for k in (-1, 0, 1):
            o.append(circle(x + side * 2 + k * 6, 124.5 + abs(k) * 1.5, 2.2, PANDA_PAD))
    # shoulders/arms hugging the bamboo
    o.append(path("M44,96 C30,106 40,128 62,126 C72,124 74,114 66,108 C60,103 56,96 44,96 Z",
                  fill=PANDA_K))
    o.append(path("M126,96 C140,106 132,128 110,126 C100,124 98,114 106,108 "
                  "C112,103 116,96 126,96 Z", fill=PANDA_K))
    if tilt:
        o.append(group([head, over], transform="rotate(-9 85 100)"))
    else:
        o.append(head)
        o.append(over)
    return group(o)


# ---------------------------------------------------------------- the beagle
DOG_HEAD = (85, 58, 47, 41)


def beagle_head(expr, uid):
    cx, cy, rx, ry = DOG_HEAD
    o = []
    head_d = ("M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s Z" % (
        f(cx - rx), f(cy + 4),
        f(cx - rx - 1), f(cy - ry - 4), f(cx + rx + 1), f(cy - ry - 4), f(cx + rx), f(cy + 4),
        f(cx + rx), f(cy + ry), f(cx + 20), f(cy + ry + 2), f(cx), f(cy + ry + 2),
        f(cx - 20), f(cy + ry + 2), f(cx - rx), f(cy + ry), f(cx - rx), f(cy + 4)))
    o.append(path(head_d, fill=DOG_TAN, stroke=None))
    # white blaze down the middle
    o.append(path("M%s,%s C%s,%s %s,%s %s,%s L%s,%s C%s,%s %s,%s %s,%s Z" % (
        f(cx - 3.5), f(cy - ry + 9), f(cx - 6), f(cy - 18), f(cx - 9), f(cy - 4), f(cx - 11), f(cy + 8),
        f(cx + 11), f(cy + 8), f(cx + 9), f(cy - 4), f(cx + 6), f(cy - 18), f(cx + 3.5), f(cy - ry + 9)),
        fill=DOG_W, stroke=None))
    o.append(path(head_d))
    # muzzle
    o.append(ellipse(cx, cy + 22, 25, 17, DOG_W, stroke=OL, sw=2.0))
    # floppy ears on top of the head sides
    for side in (-1, 1):
        def X(v):
            return f(cx + side * v)
        o.append(path("M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s Z" % (
            X(30), f(cy - 32),
            X(50), f(cy - 40), X(62), f(cy - 14), X(60), f(cy + 16),
            X(59), f(cy + 34), X(44), f(cy + 38), X(38), f(cy + 26),
            X(34), f(cy + 12), X(38), f(cy - 4), X(30), f(cy - 32)),
            fill=DOG_EAR))
        o.append(path("M%s,%s C%s,%s %s,%s %s,%s" % (
            X(40), f(cy - 18), X(50), f(cy - 6), X(50), f(cy + 14), X(46), f(cy + 26)),
            stroke="#7a4320", sw=2.0, opacity=0.7))
    F = dict(eyes=[(cx - 18, cy + 1), (cx + 18, cy + 1)], mouth=(cx, cy + 27),
             blush=[(cx - 27, cy + 16), (cx + 27, cy + 16)], brow_dy=13,
             calm2_shut=True,
             gloom=(cx - 26, cx + 26, cy - 30, cy - 3), sweat=(cx + 53, cy - 22),
             burst=(cx + 60, cy - 26),
             clip='<ellipse cx="%s" cy="%s" rx="%s" ry="%s"/>' % (cx, cy, rx, ry))
    feats, over = face_features(expr, F, uid)
    o.append(feats)
    # nose
    o.append(ellipse(cx, cy + 16, 9, 6.5, DOG_K, stroke=OL, sw=1.5))
    o.append(ellipse(cx - 2.5, cy + 14, 3, 1.6, "#ffffff", stroke=None, opacity=0.8))
    o.append(path("M%s,%s L%s,%s" % (f(cx), f(cy + 22), f(cx), f(cy + 27)), sw=2.0))
    # freckles on the muzzle
    for dx, dy in ((-15, 22), (-11, 26), (-17, 27), (15, 22), (11, 26), (17, 27)):
        o.append(circle(cx + dx, cy + dy, 1.1, "#c59b7a"))
    return "".join(o), over


def beagle(expr="calm", uid="b", head_only=False):
    head, over = beagle_head(expr, uid)
    if head_only:
        return group([head, over])
    o = []
    o.append(ellipse(85, 139, 58, 5, "#000000", stroke=None, opacity=0.12))
    # tail with a white tip
    if expr == "burst":
        tp = ((114, 126), (142, 128), (158, 112), (160, 90))
    else:
        tp = ((114, 126), (140, 130), (158, 118), (162, 98))
    td = "M%s,%s C%s,%s %s,%s %s,%s" % tuple(f(v) for xy in tp for v in xy)
    tip = bezier_tail(tp, 0.72)
    o.append(path(td, stroke=OL, sw=13))
    o.append(path(td, stroke=DOG_TAN, sw=8))
    o.append(path("M%s,%s C%s,%s %s,%s %s,%s" % tuple(f(v) for xy in tip for v in xy),
                  stroke=DOG_W, sw=8))
    # body with black saddle
    o.append('<clipPath id="%sbody"><path d="M50,96 C38,116 40,138 60,141 L110,141 '
             'C130,138 132,116 120,96 Z"/></clipPath>' % uid)
    o.append(path("M50,96 C38,116 40,138 60,141 L110,141 C130,138 132,116 120,96 Z",
                  fill=DOG_TAN, stroke=None))
    o.append('<g clip-path="url(#%sbody)">%s</g>' % (
        uid, ellipse(85, 96, 44, 20, DOG_K, stroke=None)))
    o.append(path("M50,96 C38,116 40,138 60,141 L110,141 C130,138 132,116 120,96 Z"))
    o.append(path("M70,96 C62,110 64,126 72,134 L98,134 C106,126 108,110 100,96 Z",
                  fill=DOG_W, stroke=None))
    # hind legs
    o.append(ellipse(55, 135, 15, 8, DOG_TAN))
    o.append(ellipse(115, 135, 15, 8, DOG_TAN))
    # front legs (white)
    for x in (72, 98):
        o.append(path("M%s,112 L%s,128" % (x, x), stroke=OL, sw=17))
        o.append(path("M%s,112 L%s,128" % (x, x), stroke=DOG_W, sw=12))
        o.append(ellipse(x, 132, 10, 7.5, DOG_W))
        o.append(path("M%s,135 l0,-4 M%s,135 l0,-4" % (f(x - 3), f(x + 3)), sw=1.4))
    # collar with a tag
    o.append(path("M58,98 Q85,110 112,98", stroke=OL, sw=7.5))
    o.append(path("M58,98 Q85,110 112,98", stroke="#e8443c", sw=4.5))
    o.append(circle(85, 107, 5, "#ffd447", stroke=OL, sw=1.6))
    o.append(head)
    o.append(over)
    return group(o)


CHARS = [cat, panda, beagle]
HEADS = [CAT_HEAD, PANDA_HEAD, DOG_HEAD]


# ---------------------------------------------------------------- text helpers
def fat_text(x, y, txt, size, fill, outline="#2a1850", ow=7, inner="#ffffff", iw=0,
             anchor="middle", extra="", spacing=None):
    common = 'x="%s" y="%s" font-family="%s" font-size="%s" text-anchor="%s"%s' % (
        f(x), f(y), FONT, f(size), anchor,
        (' letter-spacing="%s"' % f(spacing)) if spacing is not None else "")
    out = []
    out.append('<text %s fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round" '
               '%s>%s</text>' % (common, outline, outline, f(ow + iw), extra, txt))
    if iw:
        out.append('<text %s fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round" '
                   '%s>%s</text>' % (common, inner, inner, f(iw), extra, txt))
    out.append('<text %s fill="%s" stroke="%s" stroke-width="%s" stroke-linejoin="round" '
               '%s>%s</text>' % (common, fill, fill, f(max(1.0, size / 22.0)), extra, txt))
    return "".join(out)


def board_bg(w=480, h=360, cell=40):
    o = ['<rect width="%d" height="%d" fill="#bfe2f6"/>' % (w, h)]
    # soft checker tint
    for r in range(h // cell + 1):
        for c in range(w // cell + 1):
            if (r + c) % 2 == 0:
                o.append('<rect x="%d" y="%d" width="%d" height="%d" fill="#cde9f9"/>' % (
                    c * cell, r * cell, cell, cell))
    for c in range(0, w + 1, cell):
        o.append('<rect x="%d" y="0" width="3" height="%d" fill="#ffffff" opacity="0.85"/>' % (c - 1, h))
        o.append('<rect x="%d" y="0" width="1" height="%d" fill="#7fb8e0"/>' % (c + 2, h))
    for r in range(0, h + 1, cell):
        o.append('<rect x="0" y="%d" width="%d" height="3" fill="#ffffff" opacity="0.85"/>' % (r - 1, w))
        o.append('<rect x="0" y="%d" width="%d" height="1" fill="#7fb8e0"/>' % (r + 2, w))
    return "".join(o)


def stone(cx, cy, r, white):
    if white:
        return (circle(cx + 1.5, cy + 2.5, r, "#000000", opacity=0.18) +
                circle(cx, cy, r, "#fbfbfb", stroke="#4a5a70", sw=2) +
                ellipse(cx - r * 0.3, cy - r * 0.35, r * 0.45, r * 0.25, "#ffffff",
                        stroke=None) +
                path("M%s,%s A%s,%s 0 0 0 %s,%s" % (f(cx - r * 0.75), f(cy + r * 0.3),
                                                     f(r * 0.8), f(r * 0.8),
                                                     f(cx + r * 0.55), f(cy + r * 0.6)),
                     stroke="#c9d3df", sw=2))
    return (circle(cx + 1.5, cy + 2.5, r, "#000000", opacity=0.18) +
            circle(cx, cy, r, "#2b2f3a", stroke="#141720", sw=2) +
            ellipse(cx - r * 0.3, cy - r * 0.35, r * 0.42, r * 0.22, "#6b7386", stroke=None))


def stone_row(y=20, cell=40, w=480, r=15):
    return "".join(stone(c + cell / 2, y, r, (i % 2 == 0))
                   for i, c in enumerate(range(0, w, cell)))


def place(char_svg, x, y, s):
    return group([char_svg], transform="translate(%s,%s) scale(%s)" % (f(x), f(y), f(s)))


def place_head(idx, expr, cx, cy, s, uid):
    hx, hy, _, _ = HEADS[idx]
    return group([CHARS[idx](expr, uid, head_only=True)],
                 transform="translate(%s,%s) scale(%s) translate(%s,%s)" % (
                     f(cx), f(cy), f(s), f(-hx), f(-hy)))


# ---------------------------------------------------------------- pictures
LOGO = "ぽてんなパタパタ"
LOGO_COLS = ["#ff5f9a", "#ff9a2e", "#ffd23a", "#63cf4f", "#3fb0ff", "#7b7bff", "#c264f0",
             "#ff5f9a"]


def logo(cx, cy, size=54):
    o = []
    n = len(LOGO)
    step = size * 0.98
    x0 = cx - step * (n - 1) / 2
    rnd = random.Random(11)
    shadow, outline, inner, fill = [], [], [], []
    for i, ch in enumerate(LOGO):
        x = x0 + i * step
        y = cy + (6 if i % 2 else -6)
        rot = (-8 if i % 2 == 0 else 7) + rnd.uniform(-3, 3)
        sz = size * (1.08 if ch in "ぽパ" else 1.0)
        tr = 'transform="rotate(%s %s %s)"' % (f(rot), f(x), f(y - sz * 0.35))
        base = 'x="%s" y="%s" font-family="%s" font-size="%s" text-anchor="middle" %s' % (
            f(x), f(y), FONT, f(sz), tr)
        shadow.append('<text %s fill="#1d2a6a" stroke="#1d2a6a" stroke-width="16" '
                      'stroke-linejoin="round" opacity="0.35" dx="3" dy="5">%s</text>' % (base, ch))
        outline.append('<text %s fill="#2b1d5c" stroke="#2b1d5c" stroke-width="14" '
                       'stroke-linejoin="round">%s</text>' % (base, ch))
        inner.append('<text %s fill="#ffffff" stroke="#ffffff" stroke-width="8" '
                     'stroke-linejoin="round">%s</text>' % (base, ch))
        fill.append('<text %s fill="%s" stroke="%s" stroke-width="3" '
                    'stroke-linejoin="round">%s</text>' % (base, LOGO_COLS[i % len(LOGO_COLS)],
                                                         LOGO_COLS[i % len(LOGO_COLS)], ch))
    o.extend(shadow + outline + inner + fill)
    return "".join(o)


def title_bg():
    o = [board_bg(), stone_row()]
    # soft light patch behind the logo
    o.append(ellipse(240, 118, 230, 62, "#ffffff", stroke=None, opacity=0.35))
    o.append(logo(240, 128, 54))
    # small sparkles around the logo
    for x, y, s in ((28, 70, 1.0), (452, 66, 1.2), (60, 170, 0.8), (425, 168, 0.9)):
        o.append(sparkle(x, y, s))
    # characters at the bottom
    o.append(place(panda("calm", "tp"), -22, 216, 0.84))
    o.append(place(beagle("calm", "tb"), 56, 278, 0.58))
    o.append(place_head(0, "calm", 414, 270, 1.12, "tc"))
    return svg_doc(480, 360, "".join(o))


def sparkle(x, y, s=1.0, col="#ffffff"):
    d = "M0,-12 Q1.5,-1.5 12,0 Q1.5,1.5 0,12 Q-1.5,1.5 -12,0 Q-1.5,-1.5 0,-12 Z"
    return group([path(d, fill=col, stroke="#3f7fc0", sw=1.5)],
                 transform="translate(%s,%s) scale(%s)" % (f(x), f(y), f(s)))


def menu_plate(w, h, lines):
    o = []
    o.append('<rect x="1.5" y="1.5" width="%s" height="%s" rx="16" ry="16" fill="#1b2347" '
             'stroke="#dfe8ff" stroke-width="3"/>' % (f(w - 3), f(h - 3)))
    o.append('<rect x="6" y="6" width="%s" height="%s" rx="12" ry="12" fill="none" '
             'stroke="#5a6cb0" stroke-width="1.5"/>' % (f(w - 12), f(h - 12)))
    o.append('<defs><linearGradient id="gloss" x1="0" y1="0" x2="0" y2="1">'
             '<stop offset="0" stop-color="#ffffff" stop-opacity="0.16"/>'
             '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>'
             '</linearGradient></defs>')
    o.append('<rect x="7" y="7" width="%s" height="%s" rx="11" ry="11" '
             'fill="url(#gloss)"/>' % (f(w - 14), f(h - 14)))
    cols = ["#fff06a", "#7fe3ff", "#ff9ad0"]
    for i, (txt, cx, cy) in enumerate(lines):
        o.append(fat_text(cx, cy + 8.5, txt, 24, cols[i], outline="#0d1230", ow=4))
        # little stone markers
        o.append(stone(cx - 74 if i < 2 else cx - 86, cy, 5.5, i % 2 == 0))
    return svg_doc(w, h, "".join(o))


def splash(idx, level_txt, newc=False):
    o = [board_bg()]
    if newc:
        # dramatic rays
        cx, cy = 240, 205
        rays = []
        for i in range(24):
            a0 = 2 * math.pi * i / 24
            a1 = a0 + 2 * math.pi / 48
            rays.append("M%s,%s L%s,%s L%s,%s Z" % (
                cx, cy, f(cx + 600 * math.cos(a0)), f(cy + 600 * math.sin(a0)),
                f(cx + 600 * math.cos(a1)), f(cy + 600 * math.sin(a1))))
        o.append('<path d="%s" fill="#ffd84a" opacity="0.55"/>' % " ".join(rays))
        o.append('<defs><radialGradient id="sg" cx="0.5" cy="0.5" r="0.5">'
                 '<stop offset="0" stop-color="#fff6c8" stop-opacity="0.95"/>'
                 '<stop offset="1" stop-color="#fff6c8" stop-opacity="0"/>'
                 '</radialGradient></defs>')
        o.append('<circle cx="%d" cy="%d" r="150" fill="url(#sg)"/>' % (cx, cy))
    else:
        o.append('<defs><radialGradient id="sg" cx="0.5" cy="0.5" r="0.5">'
                 '<stop offset="0" stop-color="#ffffff" stop-opacity="0.8"/>'
                 '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/>'
                 '</radialGradient></defs>')
        o.append('<circle cx="240" cy="215" r="160" fill="url(#sg)"/>')
    if newc:
        o.append(burst_shape(70, 150, 20, seed=5))
        o.append(burst_shape(414, 262, 16, seed=8))
    expr = "burst" if newc else "calm"
    o.append(place(CHARS[idx](expr, "s%d" % idx), 240 - 85 * 1.62, 94, 1.62))
    # top lettering
    if newc:
        o.append(fat_text(240, 66, "NEW ちゃれんじゃー！", 44, "#ff3b30", outline="#3a0a0a",
                          ow=8, inner="#ffe35a", iw=6,
                          extra='transform="rotate(-3 240 52)"'))
    else:
        wl = 5 * 34 * 0.66
        wj = len(level_txt) * 46 * 0.93
        x0 = 240 - (wl + 16 + wj) / 2
        o.append(fat_text(x0, 64, "LEVEL", 34, "#ffffff", outline="#1f3580", ow=8,
                          anchor="start"))
        o.append(fat_text(x0 + wl + 16, 68, level_txt, 46, "#ffcf2e", outline="#3a1d5c",
                          ow=8, inner="#ffffff", iw=6, anchor="start"))
        for x, y, sc in ((34, 40, 1.0), (446, 44, 1.1), (60, 250, 0.8), (420, 240, 0.9)):
            o.append(sparkle(x, y, sc))
    # VS banner over the character
    name = CHAR_NAMES[idx]
    o.append('<rect x="90" y="296" width="300" height="50" rx="25" fill="#1b2347" '
             'stroke="#ffffff" stroke-width="3" opacity="0.88"/>')
    o.append(fat_text(150, 334, "VS", 36, "#ff5a5a", outline="#ffffff", ow=5,
                      extra='font-style="italic"'))
    o.append(fat_text(265, 333, name, 32, "#ffffff", outline="#2a1850", ow=6))
    return svg_doc(480, 360, "".join(o))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "pictures")
    os.makedirs(out, exist_ok=True)
    files = {}
    for n, fn in enumerate(CHARS):
        for e in EXPRS:
            files["chara%d_%s.svg" % (n, e)] = svg_doc(170, 145, fn(e, "k%d" % n))
        hx, hy, _, _ = HEADS[n]
        body = ('<rect width="65" height="60" fill="#000080"/>'
                '<radialGradient id="jg" cx="0.5" cy="0.5" r="0.5">'
                '<stop offset="0" stop-color="#3c5ae0"/><stop offset="0.7" '
                'stop-color="#1a2aa8"/><stop offset="1" stop-color="#000080"/>'
                '</radialGradient><circle cx="32.5" cy="31" r="34" fill="url(#jg)"/>' +
                place_head(n, "cheer", 32.5, (34.5, 31, 27.5)[n], 0.54, "j%d" % n))
        files["jya_face_%d.svg" % n] = svg_doc(65, 60, body)
    files["title_bg.svg"] = title_bg()
    files["menu2.svg"] = menu_plate(203, 95, [("いーじぃー", 101.5, 31), ("はーど", 101.5, 66)])
    files["menu3.svg"] = menu_plate(204, 133, [("いーじぃー", 102.5, 31), ("はーど", 102.5, 66),
                                               ("えきすぱーと", 106.5, 99)])
    files["splash_0.svg"] = splash(0, "いーじー")
    files["splash_1.svg"] = splash(1, "はーど")
    files["splash_2.svg"] = splash(2, "えきすぱーと")
    files["splash_newc.svg"] = splash(2, "", newc=True)
    for name, data in files.items():
        with open(os.path.join(out, name), "w", encoding="utf-8") as fh:
            fh.write(data)
    print("wrote %d files to %s" % (len(files), os.path.normpath(out)))


if __name__ == "__main__":
    main()
