#!/usr/bin/env python3
"""Generates the shipped designs (bitmaps and main.ini) into a Design folder.

    make_designs.py <output Design folder>

Every picture is drawn here from shapes, so the repository holds no binary artwork.
One layout table per design drives both the pictures and main.ini, so a button's
rectangle in back.bmp is always the rectangle main.ini gives it."""

import os
import sys

from raster import Canvas, hexrgb, hgrad, mix, rounded_inside, text_width, vgrad

BUTTON_PREFIXES = ['prev', 'rev', 'stop', 'pause', 'play', 'fwd', 'next', 'plist', 'id3',
                   'open', 'option', 'mini', 'move', 'exit']


def bgr(rgb):
    """A main.ini colour ($00BBGGRR) of an RGB triple."""
    r, g, b = rgb
    return '$00%02X%02X%02X' % (b, g, r)


class Noise:
    """Deterministic grain for brushed surfaces."""

    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return self.s


# --- button faces -------------------------------------------------------------------------

def icon(c, kind, x, y, w, h, colour):
    cx, cy = x + w / 2.0, y + h / 2.0
    s = min(w, h) / 24.0  # icon scale
    tri_r = lambda ox: [(cx + ox - 5 * s, cy - 6 * s), (cx + ox + 5 * s, cy), (cx + ox - 5 * s, cy + 6 * s)]
    tri_l = lambda ox: [(cx + ox + 5 * s, cy - 6 * s), (cx + ox - 5 * s, cy), (cx + ox + 5 * s, cy + 6 * s)]
    bar = lambda x0, w0, h0=6: c.polygon([(x0, cy - h0 * s), (x0 + w0, cy - h0 * s), (x0 + w0, cy + h0 * s),
                                          (x0, cy + h0 * s)], colour)
    if kind == 'play':
        c.polygon(tri_r(1 * s), colour)
    elif kind == 'pause':
        bar(cx - 5 * s, 3.5 * s)
        bar(cx + 1.5 * s, 3.5 * s)
    elif kind == 'stop':
        bar(cx - 5.5 * s, 11 * s, 5.5)
    elif kind == 'fwd':
        c.polygon(tri_r(-4 * s), colour)
        c.polygon(tri_r(4 * s), colour)
    elif kind == 'rev':
        c.polygon(tri_l(-4 * s), colour)
        c.polygon(tri_l(4 * s), colour)
    elif kind == 'next':
        c.polygon(tri_r(-2 * s), colour)
        bar(cx + 4 * s, 2.5 * s)
    elif kind == 'prev':
        c.polygon(tri_l(2 * s), colour)
        bar(cx - 6.5 * s, 2.5 * s)
    elif kind == 'plist':
        for i, yy in enumerate((-5, 0, 5)):
            c.polygon([(cx - 7 * s, cy + (yy - 1) * s), (cx + 7 * s, cy + (yy - 1) * s),
                       (cx + 7 * s, cy + (yy + 1) * s), (cx - 7 * s, cy + (yy + 1) * s)], colour)
    elif kind == 'open':
        c.polygon([(cx - 7 * s, cy + 1 * s), (cx, cy - 7 * s), (cx + 7 * s, cy + 1 * s)], colour)
        c.polygon([(cx - 7 * s, cy + 4 * s), (cx + 7 * s, cy + 4 * s), (cx + 7 * s, cy + 7 * s),
                   (cx - 7 * s, cy + 7 * s)], colour)
    elif kind == 'mini':
        c.polygon([(cx - 4, cy + 1), (cx + 4, cy + 1), (cx + 4, cy + 3), (cx - 4, cy + 3)], colour)
    elif kind == 'exit':
        d = 3.6
        c.polygon([(cx - d - 1, cy - d), (cx - d, cy - d - 1), (cx + d + 1, cy + d), (cx + d, cy + d + 1)], colour)
        c.polygon([(cx + d, cy - d - 1), (cx + d + 1, cy - d), (cx - d, cy + d + 1), (cx - d - 1, cy + d)], colour)
    elif kind in ('id3', 'option'):
        label = 'ID3' if kind == 'id3' else 'MENU'
        tw = text_width(label)
        c.text(int(cx - tw / 2.0 + 0.5), int(cy - 3.5 + 0.5), label, colour)
    elif kind == 'move':
        label = 'VELMORA'
        tw = text_width(label, 1, 2)
        tx = int(cx - tw / 2.0)
        for gx in range(int(x) + 6, int(x + w) - 6, 4):
            if tx - 8 <= gx <= tx + tw + 6:
                continue
            c.rect(gx, int(cy) - 2, gx + 2, int(cy) - 1, mix(colour, (0, 0, 0), 0.55))
            c.rect(gx, int(cy) + 1, gx + 2, int(cy) + 2, mix(colour, (0, 0, 0), 0.55))
        c.text(tx, int(cy - 3), label, mix(colour, (0, 0, 0), 0.3), 1, 1.0, 2)


def key(c, x, y, w, h, theme, disabled, round_key=False):
    top, bottom, edge = theme['key_top'], theme['key_bottom'], theme['key_edge']
    if disabled:
        top, bottom = mix(top, theme['body_mid'], 0.5), mix(bottom, theme['body_mid'], 0.5)
    r = min(w, h) / 2.0 if round_key else theme['key_radius']
    # Drop shadow, rim, face, gloss.
    c.rounded(x + 0.5, y + 1.5, x + w + 0.5, y + h + 1.0, r, (0, 0, 0), 0.45)
    c.rounded(x, y, x + w, y + h, r, edge)
    c.rounded(x + 1, y + 1, x + w - 1, y + h - 1, max(1, r - 1), vgrad(y, y + h, top, bottom))
    c.rounded(x + 2, y + 1.5, x + w - 2, y + h / 2.0, max(1, r - 2), (255, 255, 255), 0.08 if disabled else 0.14)


def button_face(c, prefix, rect, theme, disabled):
    x, y, w, h = rect
    if prefix == 'move':
        c.rounded(x, y, x + w, y + h, 4, (0, 0, 0), 0.18)
        icon(c, 'move', x, y, w, h, theme['icon_disabled'] if disabled else theme['grip'])
        return
    key(c, x, y, w, h, theme, disabled, round_key=prefix in ('mini', 'exit'))
    colour = theme['icon_disabled'] if disabled else theme['icon']
    if prefix == 'exit' and not disabled:
        colour = theme['exit_icon']
    if prefix == 'play' and not disabled:
        colour = theme['play_icon']
    kind = {'plist': 'plist'}.get(prefix, prefix)
    icon(c, kind, x, y, w, h, colour)


# --- designs ------------------------------------------------------------------------------

def body(c, theme, inside, seed):
    noise = Noise(seed)
    grain = [((noise.next() >> 8) % 7) - 3 for _ in range(c.h)]
    top, bottom = theme['body_top'], theme['body_bottom']
    for y in range(c.h):
        base = mix(top, bottom, y / float(c.h - 1))
        for x in range(c.w):
            n = grain[y] + (((noise.next() >> 9) % 3) - 1)
            c.px[y * c.w + x] = [max(0, min(255, v + n)) for v in base]
    # A light rim along the top edges of the outline, a dark one along the bottom.
    for y in range(c.h):
        for x in range(c.w):
            if not inside(x + 0.5, y + 0.5):
                c.px[y * c.w + x] = [0, 0, 0]
                continue
            if not inside(x + 0.5, y - 0.5) or not inside(x - 0.5, y + 0.5):
                c.blend(x, y, (255, 255, 255), 0.22)
            elif not inside(x + 0.5, y + 1.5) or not inside(x + 1.5, y + 0.5):
                c.blend(x, y, (0, 0, 0), 0.5)


def display(c, rect, theme):
    x, y, w, h = rect
    c.rounded(x - 1, y - 1, x + w + 1, y + h + 1.5, 7, (255, 255, 255), 0.10)
    c.rounded(x - 1, y - 1.5, x + w + 1, y + h, 7, (0, 0, 0), 0.65)
    c.rounded(x, y, x + w, y + h, 6, vgrad(y, y + h, theme['lcd_top'], theme['lcd_bottom']))
    # Faint scan lines and a glass reflection.
    for yy in range(y + 2, y + h - 1, 2):
        c.rect(x + 3, yy, x + w - 3, yy + 1, (0, 0, 0), 0.10)
    c.polygon([(x + 4, y + 2), (x + w * 0.55, y + 2), (x + w * 0.42, y + h * 0.45), (x + 4, y + h * 0.45)],
              (255, 255, 255), 0.035)


def slider_pictures(back, rect, theme, out, name, wedge=False):
    """Track picture cut from the face under the slider (so it blends in) and a two-state
    thumb."""
    x, y, w, h = rect
    ruler = Canvas(w, h)
    for yy in range(h):
        for xx in range(w):
            ruler.px[yy * w + xx] = list(back.get(min(back.w - 1, x + xx), min(back.h - 1, y + yy)))
    if wedge:
        ruler.polygon([(1, h - 3), (w - 2, 1.5), (w - 2, h - 3)], (0, 0, 0), 0.55)
        ruler.polygon([(2, h - 3.5), (w - 3, 2.5), (w - 3, h - 3.5)], hgrad(0, w, theme['groove_lo'], theme['groove_hi']), 0.9)
    else:
        mid = h / 2.0
        ruler.rounded(0.5, mid - 2.5, w - 0.5, mid + 2.5, 2.5, (0, 0, 0), 0.7)
        ruler.rounded(1.5, mid - 1.5, w - 1.5, mid + 1.5, 1.5, hgrad(0, w, theme['groove_lo'], theme['groove_hi']), 0.55)
        for tick in range(0, w, max(8, w // 20)):
            ruler.rect(tick, int(mid) + 4, tick + 1, int(mid) + 5, theme['groove_hi'], 0.35)
    ruler.save_bmp(os.path.join(out, name + 'ruler.bmp'))

    tw = theme['thumb_w']
    thumb = Canvas(tw * 2, h)
    for state in (0, 1):
        for yy in range(h):
            for xx in range(tw):
                thumb.px[yy * thumb.w + state * tw + xx] = list(back.get(min(back.w - 1, x + xx), min(back.h - 1, y + yy)))
        ox = state * tw
        top = theme['thumb_top'] if not state else theme['thumb_hot_top']
        bottom = theme['thumb_bottom'] if not state else theme['thumb_hot_bottom']
        thumb.rounded(ox + 0.5, 0.5, ox + tw - 0.5, h - 0.5, 3, (0, 0, 0), 0.6)
        thumb.rounded(ox + 1, 1, ox + tw - 1, h - 1, 2.5, vgrad(0, h, top, bottom))
        thumb.rect(ox + tw // 2 - 1, 3, ox + tw // 2, h - 3, (0, 0, 0), 0.35)
        thumb.rect(ox + tw // 2, 3, ox + tw // 2 + 1, h - 3, (255, 255, 255), 0.35)
    thumb.save_bmp(os.path.join(out, name + 'thumb.bmp'))


def write_ini(path, lines):
    with open(path, 'w', newline='\r\n') as f:
        f.write('[main]\n')
        for k, v in lines:
            f.write('%s=%s\n' % (k, v))


def make_design(root, plan):
    out = os.path.join(root, plan['name'])
    os.makedirs(out, exist_ok=True)
    theme = plan['theme']
    W, H = plan['size']
    inside = plan['outline']

    back = Canvas(W, H)
    body(back, theme, inside, plan['seed'])
    for panel in plan['displays']:
        display(back, panel, theme)
    for deco in plan.get('decorations', []):
        deco(back)
    disabled = back.copy()
    for prefix in BUTTON_PREFIXES:
        rect = plan['buttons'][prefix]
        if rect[0] < 0 or rect[1] < 0:
            continue  # not shown by this design
        button_face(back, prefix, rect, theme, False)
        button_face(disabled, prefix, rect, theme, True)
    back.save_bmp(os.path.join(out, 'back.bmp'))
    disabled.save_bmp(os.path.join(out, 'backbut.bmp'))

    mask = Canvas(W, H)
    for y in range(H):
        for x in range(W):
            if inside(x + 0.5, y + 0.5):
                mask.px[y * W + x] = [255, 255, 255]
    mask.save_bmp(os.path.join(out, 'mask.bmp'))

    if plan.get('deact'):
        deact = back.copy()

        def dim(p):
            grey = (p[0] * 30 + p[1] * 59 + p[2] * 11) // 100
            return mix(p, (grey, grey, grey), 0.75) if p != (0, 0, 0) else p
        deact.map(dim)
        deact.map(lambda p: mix(p, (0, 0, 0), 0.3))
        deact.save_bmp(os.path.join(out, 'deact.bmp'))

    for which in ('pos', 'vol'):
        if which in plan.get('sliders', {}):
            slider_pictures(back, plan['sliders'][which], theme, out, which, wedge=(which == 'vol'))

    lines = [('mainwidth', W), ('mainheight', H)]
    for prefix in BUTTON_PREFIXES:
        x, y, w, h = plan['buttons'][prefix]
        lines += [(prefix + 'top', y), (prefix + 'left', x), (prefix + 'width', w), (prefix + 'height', h),
                  (prefix + 'noborder', 1)]
    lines += plan['ini']
    write_ini(os.path.join(out, 'main.ini'), lines)


def label_keys(place_prefix, effect_prefix, rect, font, size, colour, extra, transparent=1):
    x, y, w, h = rect
    keys = [(place_prefix + 'top', y), (place_prefix + 'left', x), (place_prefix + 'width', w),
            (place_prefix + 'height', h), (place_prefix + 'font', font), (place_prefix + 'fontsize', size),
            (place_prefix + 'color', colour), (place_prefix + 'transparent', transparent)]
    keys += [(effect_prefix + k, v) for k, v in extra]
    return keys


def default_design():
    W, H = 340, 170
    tab = rounded_inside(26, 0, W - 26, 40, 10)
    main = rounded_inside(0, 16, W, H, 16)
    outline = lambda x, y: tab(x, y) or main(x, y)
    theme = {
        'body_top': hexrgb('34404d'), 'body_bottom': hexrgb('12171d'), 'body_mid': hexrgb('232b34'),
        'lcd_top': hexrgb('041118'), 'lcd_bottom': hexrgb('0a2532'),
        'key_top': hexrgb('4f5d6d'), 'key_bottom': hexrgb('1b222b'), 'key_edge': hexrgb('0b0e12'), 'key_radius': 5,
        'icon': hexrgb('dff3ff'), 'icon_disabled': hexrgb('56606c'), 'play_icon': hexrgb('7cf0a8'),
        'exit_icon': hexrgb('ff8a7a'), 'grip': hexrgb('9fb4c6'),
        'groove_lo': hexrgb('135066'), 'groove_hi': hexrgb('4fe3ff'),
        'thumb_w': 16, 'thumb_top': hexrgb('eef3f8'), 'thumb_bottom': hexrgb('8796a5'),
        'thumb_hot_top': hexrgb('c8f6ff'), 'thumb_hot_bottom': hexrgb('33b4d6'),
    }
    lcd = (12, 26, W - 24, 70)
    buttons = {
        'move': (60, 3, 200, 14), 'mini': (274, 3, 14, 14), 'exit': (292, 3, 14, 14),
        'prev': (12, 118, 32, 26), 'rev': (46, 118, 32, 26), 'play': (80, 116, 42, 30),
        'pause': (124, 118, 32, 26), 'stop': (158, 118, 32, 26), 'fwd': (192, 118, 32, 26),
        'next': (226, 118, 32, 26), 'plist': (266, 118, 30, 26), 'open': (298, 118, 30, 26),
        'id3': (222, 148, 36, 16), 'option': (262, 148, 66, 16),
    }
    cyan, ice, amber = hexrgb('6fe6ff'), hexrgb('bfefff'), hexrgb('ffc45a')
    lcd_bk = bgr(theme['lcd_bottom'])
    ini = []
    # Version: a gradient face with a soft shadow.
    ini += label_keys('versiontext', 'version', (20, 150, 120, 14), 'Arial', 8, bgr(hexrgb('8fb3cc')),
                      [('effect', 2), ('depthS', 2), ('directionshadow', 2), ('colorS', '$00000000'),
                       ('styleshadow', 3), ('graduateface', 0), ('graduatefrom', bgr(hexrgb('ffffff')))])
    # Frequency, bit rate, layer: small cyan read-outs on the display.
    for prefix, rect in (('frequency', (206, 52, 60, 13)), ('bitrate', (206, 66, 60, 13)),
                         ('layer', (268, 52, 54, 13))):
        ini += label_keys(prefix, prefix, rect, 'Arial', 7, bgr(cyan), [])
    # Elapsed time: large, raised, with the preset's depths repeated so the preset holds.
    ini += [('timecolor', bgr(ice)), ('timeremainingcolor', bgr(amber))]
    ini += label_keys('time', 'time', (20, 50, 100, 30), 'Arial', 20, bgr(ice),
                      [('effect', 1), ('depthH', 1), ('depthS', 1), ('directionhighlight', 7),
                       ('directionshadow', 2), ('colorH', bgr(hexrgb('1b6f88'))), ('colorS', '$00000000'),
                       ('graduateface', 2), ('graduatefrom', '$00FFFFFF')])
    ini.append(('timebkcolor', lcd_bk))
    ini += label_keys('info', 'info', (20, 82, 300, 13), 'Arial', 7, bgr(hexrgb('9fd8e8')),
                      [('effect', 2), ('depthS', 1), ('directionshadow', 2), ('colorS', '$00000000')])
    ini += label_keys('totaltime', 'totaltime', (130, 62, 60, 16), 'Arial', 10, bgr(cyan),
                      [('effect', 2), ('depthS', 1), ('directionshadow', 2), ('colorS', '$00000000')])
    ini += label_keys('totalinfo', 'totalinfo', (130, 50, 60, 12), 'Arial', 7, bgr(hexrgb('5aa7c0')), [])
    ini += [('tbbartop', 100), ('tbbarleft', 12), ('tbbarwidth', W - 24), ('tbbarheight', 14),
            ('tbbarcolor', bgr(hexrgb('1f262e'))), ('tbbarvertical', 0),
            ('volbartop', 148), ('volbarleft', 150), ('volbarwidth', 64), ('volbarheight', 16),
            ('volbarcolor', bgr(hexrgb('161c22'))), ('volbarvertical', 0),
            ('songtitlebkcolor', bgr(hexrgb('061620'))), ('songtitlecolor', bgr(hexrgb('ffe27a'))),
            ('songtitletop', 31), ('songtitleleft', 20), ('songtitlewidth', 300), ('songtitleheight', 16),
            ('songtitlefont', 'Arial'), ('songtitlefontsize', 9),
            ('hintcolor', bgr(hexrgb('fff1c2')))]

    return {
        'name': 'Default', 'size': (W, H), 'outline': outline, 'seed': 7, 'theme': theme,
        'displays': [lcd], 'buttons': buttons, 'deact': True,
        'sliders': {'pos': (12, 100, W - 24, 14), 'vol': (150, 148, 64, 16)}, 'ini': ini,
    }


def compact_design():
    W, H = 300, 64
    outline = rounded_inside(0, 0, W, H, 20)
    theme = {
        'body_top': hexrgb('5a3524'), 'body_bottom': hexrgb('1e110b'), 'body_mid': hexrgb('3a2217'),
        'lcd_top': hexrgb('140a02'), 'lcd_bottom': hexrgb('2a1606'),
        'key_top': hexrgb('7a5440'), 'key_bottom': hexrgb('2c1a11'), 'key_edge': hexrgb('120a06'), 'key_radius': 4,
        'icon': hexrgb('ffe6c8'), 'icon_disabled': hexrgb('6e5548'), 'play_icon': hexrgb('ffd36a'),
        'exit_icon': hexrgb('ff9b7a'), 'grip': hexrgb('d9b49a'),
        'groove_lo': hexrgb('5a2e08'), 'groove_hi': hexrgb('ffb347'),
        'thumb_w': 12, 'thumb_top': hexrgb('fff2de'), 'thumb_bottom': hexrgb('b08a6a'),
        'thumb_hot_top': hexrgb('ffe9b0'), 'thumb_hot_bottom': hexrgb('e09a30'),
    }
    lcd = (14, 8, 150, 30)
    off = (-100, -100, 10, 10)  # controls this design leaves out
    buttons = {
        'prev': (16, 41, 20, 16), 'rev': (38, 41, 20, 16), 'play': (60, 40, 26, 18), 'pause': (88, 41, 20, 16),
        'stop': (110, 41, 20, 16), 'fwd': (132, 41, 20, 16), 'next': (154, 41, 20, 16),
        'plist': (178, 41, 22, 16), 'open': (202, 41, 22, 16), 'option': (226, 41, 40, 16),
        'id3': off, 'move': (170, 6, 96, 12), 'mini': (250, 21, 14, 14), 'exit': (268, 21, 14, 14),
    }
    amber, dim = hexrgb('ffb347'), hexrgb('a86a2a')
    ini = []
    ini += label_keys('versiontext', 'version', (-200, -200, 10, 10), 'Arial', 7, bgr(dim), [])
    ini += label_keys('frequency', 'frequency', (-200, -200, 10, 10), 'Arial', 7, bgr(dim), [])
    ini += label_keys('bitrate', 'bitrate', (112, 24, 48, 12), 'Arial', 7, bgr(dim), [])
    ini += label_keys('layer', 'layer', (-200, -200, 10, 10), 'Arial', 7, bgr(dim), [])
    ini += [('timecolor', bgr(amber)), ('timeremainingcolor', bgr(hexrgb('7ad8ff')))]
    ini += label_keys('time', 'time', (20, 21, 50, 17), 'Arial', 11, bgr(amber),
                      [('effect', 2), ('depthS', 2), ('directionshadow', 2), ('colorS', '$00000000'),
                       ('styleshadow', 3)])
    ini.append(('timebkcolor', bgr(theme['lcd_bottom'])))
    ini += label_keys('info', 'info', (-200, -200, 10, 10), 'Arial', 7, bgr(dim), [])
    ini += label_keys('totaltime', 'totaltime', (72, 24, 38, 12), 'Arial', 7, bgr(dim), [])
    ini += label_keys('totalinfo', 'totalinfo', (-200, -200, 10, 10), 'Arial', 7, bgr(dim), [])
    ini += [('tbbartop', 22), ('tbbarleft', 170), ('tbbarwidth', 76), ('tbbarheight', 12),
            ('tbbarcolor', bgr(hexrgb('40261a'))),
            ('volbartop', 44), ('volbarleft', 270), ('volbarwidth', 12), ('volbarheight', 14),
            ('volbarcolor', bgr(hexrgb('2a180f'))), ('volbarvertical', 1),
            ('songtitlebkcolor', bgr(hexrgb('180c03'))), ('songtitlecolor', bgr(amber)),
            ('songtitletop', 10), ('songtitleleft', 20), ('songtitlewidth', 140), ('songtitleheight', 12),
            ('songtitlefont', 'Arial'), ('songtitlefontsize', 8), ('hintcolor', bgr(hexrgb('ffe0b0')))]
    # The compact face has no room for the exit and minimise on the grip row; the volume
    # is a small vertical slider at the right end, drawn by the slider itself.
    buttons['exit'] = (268, 6, 14, 14)
    buttons['mini'] = (250, 6, 14, 14)
    buttons['move'] = (170, 6, 76, 12)
    return {
        'name': 'Compact', 'size': (W, H), 'outline': outline, 'seed': 11, 'theme': theme,
        'displays': [lcd], 'buttons': buttons, 'deact': False,
        'sliders': {'pos': (170, 22, 76, 12)}, 'ini': ini,
    }


def main():
    if len(sys.argv) != 2:
        sys.stderr.write('usage: make_designs.py <Design folder>\n')
        return 2
    root = sys.argv[1]
    os.makedirs(root, exist_ok=True)
    for plan in (default_design(), compact_design()):
        make_design(root, plan)
    return 0


if __name__ == '__main__':
    sys.exit(main())
