#!/usr/bin/env python3
"""Writes the game window's pictures (hand-authored SVG) into assets/pictures/.

Every picture is a small function that returns SVG markup; sizes are exact pixel
sizes used by the program.  Run:  python3 tools/art_game_window.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, "..", "assets", "pictures"))
FONT = "IPAPGothic"


def svg(w, h, body, defs=""):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}">\n'
            f'<defs>{defs}</defs>\n{body}\n</svg>\n')


def write(name, text):
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
        f.write(text)


# ---------------------------------------------------------------- background
def cat_outline(x, y, flip=False, s=1.0):
    """A seated cat drawn with thin lines, in a 40x44 box at (x,y)."""
    tr = f"translate({x},{y}) scale({s})"
    if flip:
        tr += " translate(40,0) scale(-1,1)"
    return f'''<g transform="{tr}">
  <path d="M11 14 C11 9.5 11.5 6 12 2.5 L16.3 6.4 C18.6 5.8 21.4 5.8 23.7 6.4 L28 2.5
           C28.5 6 29 9.5 29 14 C29 19 25 22 20 22 C15 22 11 19 11 14 Z"/>
  <path d="M15.5 21.2 C11.5 25 9.2 31.5 10 37.5 C10.5 41 13.5 42.2 20 42.2
           C26.5 42.2 29.5 41 30 37.5 C30.8 31.5 28.5 25 24.5 21.2"/>
  <path d="M17 31 L17 41.8 M23 31 L23 41.8"/>
  <path d="M29.8 39 C35.5 40.5 39 36 37 31 C36 28 37.5 25.5 40 26.5"/>
  <path d="M14.6 14.2 Q16.2 12.6 17.8 14.2 M22.2 14.2 Q23.8 12.6 25.4 14.2"/>
  <path d="M19.2 16.6 L20.8 16.6 L20 17.6 Z M20 17.6 Q19 19.2 18 18.4 M20 17.6 Q21 19.2 22 18.4"/>
  <path d="M11.5 16.5 L6.5 15.6 M11.5 18 L6.8 18.8 M28.5 16.5 L33.5 15.6 M28.5 18 L33.2 18.8"/>
</g>'''


def paw(x, y, s=1.0):
    return f'''<g transform="translate({x},{y}) scale({s})">
  <ellipse cx="0" cy="2.2" rx="3.2" ry="2.6"/>
  <circle cx="-3.4" cy="-1.6" r="1.3"/><circle cx="-1.1" cy="-3.3" r="1.3"/>
  <circle cx="1.3" cy="-3.3" r="1.3"/><circle cx="3.5" cy="-1.6" r="1.3"/>
</g>'''


def main_bg():
    defs = '''
<linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#E4F7D8"/><stop offset="1" stop-color="#D4EEC6"/>
</linearGradient>
<pattern id="cats" x="0" y="0" width="80" height="160" patternUnits="userSpaceOnUse">
  <g fill="none" stroke-linecap="round" stroke-linejoin="round" stroke-width="1.1">
    <g stroke="#F6FFF1" transform="translate(0.7,0.7)">CATS</g>
    <g stroke="#BFE2AE">CATS</g>
  </g>
  <g fill="#C9E8BA" opacity="0.7">PAWS</g>
</pattern>
<linearGradient id="bar" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#6E7A6E" stop-opacity="0.30"/>
  <stop offset="1" stop-color="#4E5A4E" stop-opacity="0.42"/>
</linearGradient>'''
    cats = (cat_outline(20, 18) + cat_outline(60, 98, flip=True) +
            cat_outline(-20, 98, flip=True))
    paws = paw(62, 62, 0.8) + paw(70, 50, 0.8) + paw(34, 146, 0.8) + paw(44, 134, 0.8)
    defs = defs.replace("CATS", cats).replace("PAWS", paws)
    body = '''
<rect width="480" height="360" fill="url(#bg)"/>
<rect width="480" height="360" fill="url(#cats)"/>
<rect x="195" y="316.5" width="263" height="32" rx="16" fill="url(#bar)"/>
<rect x="195.5" y="317" width="262" height="31" rx="15.5" fill="none" stroke="#FFFFFF" stroke-opacity="0.35"/>'''
    return svg(480, 360, body, defs)


# ---------------------------------------------------------------- stones
def stone(white):
    if white:
        g = ('<stop offset="0" stop-color="#FFFFFF"/><stop offset="0.55" stop-color="#F7F7F9"/>'
             '<stop offset="1" stop-color="#D2D4DA"/>')
        rim, line, ear_in, hl = "#8C8F99", "#3A3436", "#FFC2D4", 0.9
    else:
        g = ('<stop offset="0" stop-color="#6A6A78"/><stop offset="0.45" stop-color="#2A2A32"/>'
             '<stop offset="1" stop-color="#050507"/>')
        rim, line, ear_in, hl = "#000000", "#F4F1EC", "#E97AA0", 0.38
    defs = f'''
<radialGradient id="g" cx="0.36" cy="0.3" r="0.8">{g}</radialGradient>'''
    sil = ('<path d="M6.2 11.5 L7.2 2.6 L14 6.2 Z M25.8 11.5 L24.8 2.6 L18 6.2 Z"/>'
           '<circle cx="16" cy="17.5" r="13.4"/>')
    body = f'''
<g stroke="{rim}" stroke-width="1.6" stroke-linejoin="round" fill="{rim}">{sil}</g>
<g fill="url(#g)" stroke="url(#g)" stroke-width="0.01" stroke-linejoin="round">{sil}</g>
<path d="M8.1 8.6 L8.6 4.7 L11.6 6.6 Z M23.9 8.6 L23.4 4.7 L20.4 6.6 Z" fill="{ear_in}" stroke="{ear_in}" stroke-width="0.8" stroke-linejoin="round"/>
<ellipse cx="11.6" cy="10.2" rx="4.6" ry="2.1" transform="rotate(-28 11.6 10.2)" fill="#FFFFFF" opacity="{hl}"/>
<ellipse cx="8.3" cy="21.6" rx="2.4" ry="1.5" fill="#FF7FA6" opacity="0.85"/>
<ellipse cx="23.7" cy="21.6" rx="2.4" ry="1.5" fill="#FF7FA6" opacity="0.85"/>
<g fill="none" stroke="{line}" stroke-width="1.45" stroke-linecap="round" stroke-linejoin="round">
  <path d="M9.4 18.4 Q11.5 15.4 13.6 18.4"/>
  <path d="M18.4 18.4 Q20.5 15.4 22.6 18.4"/>
  <path d="M13.6 22 Q14.8 23.8 16 22.1 Q17.2 23.8 18.4 22" stroke-width="1.1"/>
</g>
<path d="M14.9 20.1 L17.1 20.1 L16 21.4 Z" fill="#FF6F9A" stroke="#FF6F9A" stroke-width="0.7" stroke-linejoin="round"/>'''
    return svg(32, 32, body, defs)


# ---------------------------------------------------------------- lettering
def bubble_text(w, h, text, size, x, y, fill_top, fill_bot, edge, out=5.5,
                anchor="middle", extra=""):
    defs = f'''
<linearGradient id="f" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0.15" stop-color="{fill_top}"/><stop offset="0.85" stop-color="{fill_bot}"/>
</linearGradient>'''
    t = (f'font-family="{FONT}" font-size="{size}" font-weight="bold" '
         f'text-anchor="{anchor}" stroke-linejoin="round" stroke-linecap="round" {extra}')
    body = f'''
<text x="{x+1}" y="{y+1.6}" {t} fill="#000" fill-opacity="0.28" stroke="#000" stroke-opacity="0.28" stroke-width="{out+1}">{text}</text>
<text x="{x}" y="{y}" {t} fill="{edge}" stroke="{edge}" stroke-width="{out+1.6}">{text}</text>
<text x="{x}" y="{y}" {t} fill="#FFFFFF" stroke="#FFFFFF" stroke-width="{out}">{text}</text>
<text x="{x}" y="{y}" {t} fill="url(#f)" stroke="{edge}" stroke-width="0.9">{text}</text>'''
    return svg(w, h, body, defs)


def banners():
    write("banner_draw.svg", bubble_text(160, 34, "両者の同点。", 23, 85, 26,
                                         "#9BEA6E", "#2FA83A", "#1E7A2A"))
    write("banner_win.svg", bubble_text(160, 34, "あなたの勝ち！", 22, 81, 26,
                                        "#FFD25A", "#FF7A10", "#C0520A"))
    write("banner_lose.svg", bubble_text(160, 34, "あなたの負け。", 22, 83, 26,
                                         "#8CD2FF", "#2F73E0", "#1C4BA8"))


def tit_button():
    t = f'font-family="{FONT}" font-size="16" font-weight="bold" stroke-linejoin="round"'
    body = f'''
<g transform="translate(0,0)">
<text x="5" y="18.5" {t} fill="#000" fill-opacity="0.18" stroke="#000" stroke-opacity="0.18" stroke-width="4.5" transform="translate(0.8,1.2)">→ タイトルに戻る</text>
<text x="5" y="18.5" {t} fill="#FFFFFF" stroke="#FFFFFF" stroke-width="4.5">→ タイトルに戻る</text>
<text x="5" y="18.5" {t} fill="#1F5FD8" stroke="#1F5FD8" stroke-width="0.4">→ タイトルに戻る</text>
</g>'''
    return svg(166, 25, body)


# ---------------------------------------------------------------- hands
def capsule(cx, cy, w, h, ang):
    """A finger: rounded bar whose bottom-centre is (cx,cy), pointing up, rotated."""
    return (f'<rect x="{cx-w/2}" y="{cy-h}" width="{w}" height="{h+4}" rx="{w/2}" '
            f'transform="rotate({ang} {cx} {cy})"/>')


def hand_shapes(kind):
    """Return (silhouette shapes, detail lines) in a 40x40 box."""
    if kind == 0:   # rock: fist seen from the front
        sil = ('<rect x="9" y="12" width="22" height="20" rx="7.5"/>'
               '<circle cx="12.6" cy="13.4" r="3.6"/><circle cx="17.6" cy="12.2" r="3.6"/>'
               '<circle cx="22.6" cy="12.2" r="3.6"/><circle cx="27.4" cy="13.6" r="3.5"/>'
               '<rect x="12" y="28" width="15" height="7" rx="3"/>')
        det = ('<path d="M15.1 11 L15.1 17.5 M20.1 9.8 L20.1 17.8 M25.1 11 L25.1 17.5"/>'
               '<path d="M9.6 19.5 C14 17.6 22 18 27 21.4 C28.3 22.4 27.6 24.4 26 24.2 '
               'C22 23.6 16.5 23.4 12.5 24.6"/>')
        return sil, det
    if kind == 1:   # scissors: two fingers up in a V
        sil = (capsule(16.5, 21, 6.4, 17, -13) + capsule(23.3, 21, 6.4, 17, 13) +
               '<rect x="10" y="18" width="20" height="16" rx="7"/>'
               '<rect x="13" y="30" width="14" height="7" rx="3"/>')
        det = ('<path d="M20 19.5 L20 23"/>'
               '<path d="M24.5 23.5 L29.5 23.5"/>'
               '<path d="M10.6 25 C14 23.4 19 23.6 23 26.2 C24.2 27 23.6 28.8 22.2 28.6 '
               'C19 28.1 15.5 28 12.5 29.2"/>')
        return sil, det
    # paper: open palm, fingers spread
    sil = (capsule(14.2, 19, 5.0, 13.5, -14) + capsule(18.8, 18, 5.2, 16, -4) +
           capsule(23.2, 18.5, 5.0, 15, 6) + capsule(27.0, 21, 4.4, 11.5, 18) +
           capsule(11.5, 26, 5.0, 11, -58) +
           '<rect x="11" y="17" width="19" height="18" rx="8"/>'
           '<rect x="14" y="31" width="13" height="6" rx="3"/>')
    det = '<path d="M16.5 27 Q20 29.5 24 27.5"/>'
    return sil, det


def hand(kind, cx, cy, scale, line="#6B4630"):
    sil, det = hand_shapes(kind)
    tr = f"translate({cx},{cy}) scale({scale}) translate(-20,-21)"
    return f'''<g transform="{tr}" stroke-linejoin="round" stroke-linecap="round">
  <g fill="{line}" stroke="{line}" stroke-width="2.6">{sil}</g>
  <g fill="#FFFFFF" stroke="#FFFFFF" stroke-width="0.01">{sil}</g>
  <g fill="none" stroke="{line}" stroke-width="1.3">{det}</g>
</g>'''


def disc(cx, cy, r, top, bot, rim, gid):
    defs = f'''
<radialGradient id="{gid}" cx="0.38" cy="0.32" r="0.75">
  <stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bot}"/>
</radialGradient>'''
    body = f'''
<circle cx="{cx}" cy="{cy}" r="{r}" fill="url(#{gid})" stroke="{rim}" stroke-width="1.2"/>
<path d="M{cx-r*0.72} {cy-r*0.25} A{r*0.78} {r*0.78} 0 0 1 {cx+r*0.25} {cy-r*0.72}"
      fill="none" stroke="#FFFFFF" stroke-opacity="0.55" stroke-width="{r*0.12}" stroke-linecap="round"/>'''
    return defs, body


def jya_user(kind, w):
    names = ["ぐー", "ちょき", "ぱー"]
    cx, cy, r = w / 2, 20.5, 19.6
    defs, body = disc(cx, cy, r, "#FFE46B", "#FF9A1A", "#D97A06", "d")
    body += hand(kind, cx, cy + 0.5, 0.9)
    t = (f'font-family="{FONT}" font-size="13" font-weight="bold" text-anchor="middle" '
         f'stroke-linejoin="round"')
    body += f'''
<text x="{cx}" y="56" {t} fill="#1A1450" stroke="#1A1450" stroke-width="3.6">{names[kind]}</text>
<text x="{cx}" y="56" {t} fill="#FFFFFF" stroke="#FFFFFF" stroke-width="0.3">{names[kind]}</text>'''
    return svg(w, 60, body, defs)


def jya_cpu(kind, w, h):
    cx, cy = w / 2, h / 2
    r = min(w, h) / 2 - 0.7
    defs, body = disc(cx, cy, r, "#C9ECFF", "#4FA2EE", "#2E78C8", "d")
    body += hand(kind, cx, cy + 0.3, r / 20.5 * 0.92, line="#24466E")
    return svg(w, h, body, defs)


# ---------------------------------------------------------------- janken panel
def jya_panel():
    defs = '''
<linearGradient id="p" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#1A2BA8"/><stop offset="0.5" stop-color="#0B168E"/>
  <stop offset="1" stop-color="#060C6C"/>
</linearGradient>
<linearGradient id="hd" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#3C52D6"/><stop offset="1" stop-color="#1A2BA8" stop-opacity="0"/>
</linearGradient>
<linearGradient id="bb" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#F6F0FF"/><stop offset="1" stop-color="#E2D6FA"/>
</linearGradient>
<linearGradient id="og" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0.1" stop-color="#FFD86A"/><stop offset="0.9" stop-color="#FF8A12"/>
</linearGradient>'''
    t = f'font-family="{FONT}" font-weight="bold" text-anchor="middle" stroke-linejoin="round"'

    def star(x, y, s, op):
        return (f'<path transform="translate({x},{y}) scale({s})" d="M0 -4 Q0.7 -0.7 4 0 '
                f'Q0.7 0.7 0 4 Q-0.7 0.7 -4 0 Q-0.7 -0.7 0 -4 Z" fill="#FFFFFF" opacity="{op}"/>')
    stars = (star(20, 52, 0.9, 0.55) + star(250, 130, 0.8, 0.5) + star(30, 155, 0.6, 0.4) +
             star(262, 42, 0.6, 0.45) + star(226, 150, 0.55, 0.35) + star(16, 245, 0.7, 0.45) +
             star(262, 240, 0.8, 0.5) + star(84, 40, 0.5, 0.35))
    body = f'''
<rect width="281" height="281" fill="url(#p)"/>
<rect width="281" height="34" fill="url(#hd)"/>
<rect x="3.5" y="3.5" width="266" height="266" rx="8" fill="none" stroke="#6F86FF" stroke-opacity="0.55"/>
<path d="M40 31.5 H233" stroke="#8FA2FF" stroke-opacity="0.6" stroke-width="1" stroke-dasharray="1 4" stroke-linecap="round"/>
<text x="136.5" y="22" font-size="15" {t} fill="#000040" stroke="#000040" stroke-width="3">先行・後攻　ジャンケン♪</text>
<text x="136.5" y="22" font-size="15" {t} fill="#FFFFFF">先行・後攻　ジャンケン♪</text>
{stars}
<g stroke-linejoin="round">
  <path d="M120 44.5 H237 Q250.5 44.5 250.5 58 V87 Q250.5 100.5 237 100.5 H130
           Q119 107 107 114 Q112 106 114 100.3 Q105.5 98 105.5 87 V58 Q105.5 44.5 120 44.5 Z"
        fill="#000033" fill-opacity="0.35" transform="translate(1.5,2)"/>
  <path d="M120 44.5 H237 Q250.5 44.5 250.5 58 V87 Q250.5 100.5 237 100.5 H130
           Q119 107 107 114 Q112 106 114 100.3 Q105.5 98 105.5 87 V58 Q105.5 44.5 120 44.5 Z"
        fill="url(#bb)" stroke="#A58FE0" stroke-width="1.6"/>
</g>
<text x="136.5" y="256" font-size="19" {t} fill="#7A2E00" stroke="#7A2E00" stroke-width="5">どれかを Click !!</text>
<text x="136.5" y="256" font-size="19" {t} fill="url(#og)" stroke="#FFF3C8" stroke-width="0.6">どれかを Click !!</text>'''
    return svg(281, 281, body, defs)


# ---------------------------------------------------------------- balloon
def balloon():
    d = ("M22 3.5 C48 0.8 108 0.8 134 3.5 C149 5 154.5 13 154.5 27 C154.5 42 149 50 134 51.5 "
         "C118 53 100 53.3 86 53.3 C80 58 75 63.5 67 68.6 C70 63 71.5 58 70.5 53.2 "
         "C52 53.1 36 52.8 22 51.5 C7 50 1.5 42 1.5 27 C1.5 13 7 5 22 3.5 Z")
    defs = '''
<linearGradient id="w" x1="0" y1="0" x2="0" y2="1">
  <stop offset="0" stop-color="#FFFFFF"/><stop offset="1" stop-color="#F1F4F7"/>
</linearGradient>'''
    body = f'''
<path d="{d}" fill="#000" fill-opacity="0.13" transform="translate(0.8,1.2)"/>
<path d="{d}" fill="url(#w)" stroke="#8E959E" stroke-width="1.4" stroke-linejoin="round"/>
<path d="M14 12 Q20 6.5 30 6" fill="none" stroke="#FFFFFF" stroke-width="2.4" stroke-linecap="round"/>'''
    return svg(156, 70, body, defs)


def main():
    write("main_bg.svg", main_bg())
    write("stone_black.svg", stone(False))
    write("stone_white.svg", stone(True))
    banners()
    write("jya_panel.svg", jya_panel())
    for k, w in enumerate((43, 46, 45)):
        write(f"jya_user_{k}.svg", jya_user(k, w))
    for k, (w, h) in enumerate(((43, 42), (42, 45), (45, 43))):
        write(f"jya_cpu_{k}.svg", jya_cpu(k, w, h))
    write("balloon.svg", balloon())
    write("tit_button.svg", tit_button())


if __name__ == "__main__":
    main()
