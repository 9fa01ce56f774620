"""Classic skins of our own for the tests: a complete skin folder with distinctive
colours at the pixels the import reads, the same skin as a .wsz archive, a skin whose
sheets use every bitmap layout and are smaller than what is read from them, two
hostile archives (one that climbs out of its folder, one that unpacks to far too much),
and archives the way skins are found in the wild (see wild_skins), each with the face
the player should show as <name>.face.bmp.

    make_test_skins.py OUT_DIR
"""

import os
import struct
import sys
import zipfile

from raster import Canvas, hexrgb, vgrad, hgrad

# What the tests read back.
SLIDER = (0, 255, 0)       # main.bmp (205, 95): both sliders' background
DIGIT = (255, 200, 32)     # numbers.bmp (3, 4), after three black pixels: the labels
SKIN = 'Generated Classic'
SHEETS = ['main.bmp', 'cbuttons.bmp', 'titlebar.bmp', 'numbers.bmp', 'shufrep.bmp', 'posbar.bmp']

BODY_TOP, BODY_BOTTOM = hexrgb('#3a4660'), hexrgb('#1c2233')
EDGE = hexrgb('#8a9ac0')
KEY_TOP, KEY_BOTTOM = hexrgb('#c8d0e0'), hexrgb('#7a849a')
INK = hexrgb('#1c2233')


def main_sheet():
    c = Canvas(275, 116)
    c.rect(0, 0, 275, 116, vgrad(0, 116, BODY_TOP, BODY_BOTTOM))
    c.rect(0, 0, 275, 1, EDGE)
    c.rect(0, 115, 275, 116, EDGE)
    c.rect(0, 0, 1, 116, EDGE)
    c.rect(274, 0, 275, 116, EDGE)
    c.rect(20, 18, 104, 60, (0, 0, 0))       # the time and status readout
    c.rect(106, 20, 268, 50, (0, 0, 0))      # title and file information
    c.rect(104, 50, 176, 68, hexrgb('#283248'))
    c.rect(12, 68, 262, 88, hexrgb('#283248'))
    # A little lamp centred on the pixel the sliders' colour comes from.
    c.rounded(202, 92, 208, 98, 2, hexrgb('#0c3010'))
    c.rect(204, 94, 207, 97, SLIDER)
    return c


def key(c, x, y, w, h, symbol):
    c.rounded(x, y, x + w - 1, y + h - 1, 2, vgrad(y, y + h, KEY_TOP, KEY_BOTTOM))
    cx, cy = x + w / 2, y + h / 2
    if symbol == 'prev':
        c.polygon([(cx + 3, cy - 4), (cx + 3, cy + 4), (cx - 3, cy)], INK)
        c.rect(int(cx - 5), int(cy - 4), int(cx - 3), int(cy + 4), INK)
    elif symbol == 'play':
        c.polygon([(cx - 3, cy - 5), (cx - 3, cy + 5), (cx + 5, cy)], INK)
    elif symbol == 'pause':
        c.rect(int(cx - 4), int(cy - 4), int(cx - 1), int(cy + 4), INK)
        c.rect(int(cx + 1), int(cy - 4), int(cx + 4), int(cy + 4), INK)
    elif symbol == 'stop':
        c.rect(int(cx - 4), int(cy - 4), int(cx + 4), int(cy + 4), INK)
    elif symbol == 'next':
        c.polygon([(cx - 3, cy - 4), (cx - 3, cy + 4), (cx + 3, cy)], INK)
        c.rect(int(cx + 3), int(cy - 4), int(cx + 5), int(cy + 4), INK)
    elif symbol == 'eject':
        c.polygon([(cx - 5, cy + 1), (cx + 5, cy + 1), (cx, cy - 5)], INK)
        c.rect(int(cx - 5), int(cy + 3), int(cx + 5), int(cy + 5), INK)


def cbuttons_sheet():
    c = Canvas(136, 36)
    for i, s in enumerate(['prev', 'play', 'pause', 'stop', 'next']):
        key(c, i * 23, 0, 22, 18, s)
        key(c, i * 23, 18, 22, 18, s)  # pressed row, not used
    key(c, 114, 0, 22, 16, 'eject')
    key(c, 114, 16, 22, 16, 'eject')
    return c


def titlebar_sheet():
    c = Canvas(344, 87)
    c.rect(27, 0, 301, 13, hgrad(27, 301, hexrgb('#5060a0'), hexrgb('#202848')))
    c.text(100, 3, 'VELMORA CLASSIC', hexrgb('#e8ecf8'), 1)
    c.rect(312, 0, 320, 42, vgrad(0, 42, hexrgb('#6a78a8'), hexrgb('#2a3450')))
    for y in (6, 18, 30):
        c.rect(314, y, 318, y + 4, hexrgb('#e8ecf8'))
    return c


def numbers_sheet():
    c = Canvas(99, 13)
    x = 1
    for ch in '0123456789':
        c.text(x, 3, ch, DIGIT)
        x += 9
    for px in range(3):
        c.px[4 * 99 + px] = [0, 0, 0]
    c.px[4 * 99 + 3] = list(DIGIT)
    return c


def shufrep_sheet():
    c = Canvas(92, 85)
    c.rect(47, 61, 68, 73, vgrad(61, 73, KEY_TOP, KEY_BOTTOM))
    c.text(50, 64, 'EQ', INK)
    c.rect(69, 61, 91, 73, vgrad(61, 73, KEY_TOP, KEY_BOTTOM))
    c.text(72, 64, 'PL', INK)
    return c


def posbar_sheet():
    c = Canvas(307, 10)
    c.rect(0, 0, 248, 10, hexrgb('#101420'))
    c.rect(0, 4, 240, 6, hexrgb('#5a6888'))
    c.rounded(247, 0, 276, 9, 3, vgrad(0, 10, hexrgb('#f0f4ff'), hexrgb('#8090b8')))
    return c


def pixels_of(c):
    return [tuple(c.px[i]) for i in range(c.w * c.h)]


def bmp(width, height, bpp, rows, palette=None, top_down=False, rle=None):
    """rows: top-down rows of palette indexes (bpp <= 8) or RGB tuples."""
    if rle:
        data = bytearray()
        for row in reversed(rows):
            i = 0
            while i < len(row):
                n = 1
                while i + n < len(row) and row[i + n] == row[i] and n < 255:
                    n += 1
                v = row[i] if bpp == 8 else (row[i] << 4) | row[i]
                data += bytes((n, v))
                i += n
            data += b'\0\0'
        data += b'\0\1'
    else:
        stride = ((width * bpp + 31) // 32) * 4
        data = bytearray()
        for row in (rows if top_down else list(reversed(rows))):
            line = bytearray()
            if bpp == 32:
                for r, g, b in row:
                    line += bytes((b, g, r, 255))
            elif bpp == 24:
                for r, g, b in row:
                    line += bytes((b, g, r))
            else:
                bits = 0
                nbits = 0
                for v in row:
                    bits = (bits << bpp) | v
                    nbits += bpp
                    if nbits == 8:
                        line.append(bits)
                        bits = nbits = 0
                if nbits:
                    line.append(bits << (8 - nbits))
            line += b'\0' * (stride - len(line))
            data += line
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in (palette or []))
    compression = {None: 0, 8: 1, 4: 2}[rle]
    offset = 54 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, -height if top_down else height, 1, bpp, compression,
                       len(data), 2835, 2835, len(palette or []), 0)
    return header + info + pal + bytes(data)


def bmp_core(width, height, rows):
    """A 24-bit picture with the old 12-byte core header."""
    stride = ((width * 24 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + b'\0' * (stride - len(line))
    offset = 14 + 12
    return (struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset) +
            struct.pack('<IHHHH', 12, width, height, 1, 24) + bytes(data))


def indexed(c, palette):
    """Rows of indexes into `palette`, each pixel taking the nearest colour."""
    def nearest(p):
        return min(range(len(palette)), key=lambda i: sum((p[k] - palette[i][k]) ** 2 for k in range(3)))
    cache = {}
    rows = []
    for y in range(c.h):
        row = []
        for x in range(c.w):
            p = tuple(c.px[y * c.w + x])
            if p not in cache:
                cache[p] = nearest(p)
            row.append(cache[p])
        rows.append(row)
    return rows


def crop(c, w, h):
    out = Canvas(w, h)
    for y in range(min(h, c.h)):
        for x in range(min(w, c.w)):
            out.px[y * w + x] = list(c.px[y * c.w + x])
    return out


def odd_sheets(sheets):
    """The same skin with every bitmap layout, most sheets smaller than what is read."""
    out = {}
    pal256 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal256 += [(0, 0, 0)] * (256 - len(pal256))
    out['main.bmp'] = bmp(275, 116, 8, indexed(sheets['main.bmp'], pal256), pal256, rle=8)
    out['cbuttons.bmp'] = bmp(10, 10, 1, indexed(crop(sheets['cbuttons.bmp'], 10, 10), [(0, 0, 0), (255, 255, 255)]),
                              [(0, 0, 0), (255, 255, 255)])
    pal16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
             (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
             (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    out['titlebar.bmp'] = bmp(50, 13, 4, indexed(crop(sheets['titlebar.bmp'], 50, 13), pal16), pal16, rle=4)
    num = sheets['numbers.bmp']
    out['numbers.bmp'] = bmp(num.w, num.h, 32, [[tuple(num.px[y * num.w + x]) for x in range(num.w)]
                                                for y in range(num.h)], top_down=True)
    out['shufrep.bmp'] = bmp(20, 20, 4, indexed(crop(sheets['shufrep.bmp'], 20, 20), pal16), pal16)
    out['posbar.bmp'] = bmp(100, 10, 8, indexed(crop(sheets['posbar.bmp'], 100, 10), pal256), pal256)
    return out


def write_zip(path, members):
    """members: (name in the archive, bytes or None for a folder)."""
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            if data is None:
                info.external_attr = 0o40755 << 16 | 0x10
                z.writestr(info, b'')
            else:
                z.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)


def face_of(rows, w, h):
    """The 275 x 116 face a main.bmp of these top-down RGB rows gives: cropped, or black
    where the sheet has no pixels."""
    return [[rows[y][x] if y < h and x < w else (0, 0, 0) for x in range(275)] for y in range(116)]


def rgb_rows(c):
    return [[tuple(c.px[y * c.w + x]) for x in range(c.w)] for y in range(c.h)]


def sized_main(w, h):
    """The main sheet drawn at another size, with a frame at its own edges."""
    c = main_sheet()
    out = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            out.px[y * w + x] = list(c.px[min(y, 115) * 275 + min(x, 274)])
    out.rect(0, 0, w, 1, EDGE)
    out.rect(0, h - 1, w, h, EDGE)
    out.rect(w - 1, 0, w, h, EDGE)
    out.rect(w - 20, h - 20, w - 4, h - 4, hexrgb('#c04040'))
    return out


PLEDIT_FULL = (b'[Text]\r\nNormal=#00FF00\r\nCurrent=#FFFFFF\r\nNormalBG=#102030\r\n'
               b'SelectedBG=#0000C6\r\nFont=Courier New\r\nmbFG=#FFFFFF\r\nmbBG=#000000\r\n')
PLEDIT_GARBAGE = b'\xff\xfe[Text\r\nNormal=green\r\nNormalBG=#12345\r\n\x00\x01Font=\x07\r\n[[['


def wild_skins(out, files, canvases):
    """Archives as skins are found: digits only in nums_ex.bmp; packed by hand (inside a
    folder inside a folder beside other tools' files, upper-case names, a folder entry,
    names in UTF-8); main.bmp as an 8-bit palette, a 4-bit run-length, a 32-bit sheet and one with the
    12-byte core header;
    main.bmp of 300 x 130 and 200 x 100; pledit.txt with every key and one of garbage."""
    main_rows = rgb_rows(canvases['main.bmp'])
    others = {k: v for k, v in files.items() if k != 'main.bmp'}

    def skin(name, main_bmp, face, extra=()):
        members = [('main.bmp', main_bmp)] + list(others.items()) + list(extra)
        write_zip(os.path.join(out, name + '.wsz'), members)
        with open(os.path.join(out, name + '.face.bmp'), 'wb') as f:
            f.write(bmp(275, 116, 24, face))

    full_face = face_of(main_rows, 275, 116)
    # Digits only in nums_ex.bmp.
    no_numbers = [(k, v) for k, v in files.items() if k != 'numbers.bmp']
    write_zip(os.path.join(out, 'Wild Nums Ex.wsz'), no_numbers + [('nums_ex.bmp', files['numbers.bmp'])])
    # The same names and sizes, other pixels: another skin, not the one unpacked before.
    recoloured = bytearray(files['main.bmp'])
    recoloured[-3:] = bytes((1, 2, 3)) if recoloured[-3:] != bytes((1, 2, 3)) else bytes((4, 5, 6))
    write_zip(os.path.join(out, 'Wild Nums Ex Recoloured.wsz'),
              [(k, bytes(recoloured) if k == 'main.bmp' else v) for k, v in no_numbers] +
              [('nums_ex.bmp', files['numbers.bmp'])])
    with open(os.path.join(out, 'Wild Nums Ex.face.bmp'), 'wb') as f:
        f.write(bmp(275, 116, 24, full_face))
    # Packed by hand.
    hand = [('__MACOSX/', None), ('__MACOSX/Pack/._MAIN.BMP', b'\0' * 82), ('Pack/', None),
            ('Pack/Sk\u00efn/', None), ('Pack/readme.txt', b'unpack into your skins folder\r\n')]
    hand += [('Pack/Sk\u00efn/' + k.upper(), v) for k, v in files.items()]
    hand += [('Pack/Sk\u00efn/\u00fcn\u00efc\u00f8d\u00e9.txt', b'names in UTF-8\r\n'),
             ('Pack/Sk\u00efn/Extras/', None), ('Pack/Sk\u00efn/Extras/more.bmp', files['posbar.bmp'])]
    write_zip(os.path.join(out, 'Wild Packed By Hand.wsz'), hand)
    with open(os.path.join(out, 'Wild Packed By Hand.face.bmp'), 'wb') as f:
        f.write(bmp(275, 116, 24, full_face))
    # main.bmp in other layouts: the face is what their palettes make of it.
    pal256 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal256 += [(0, 0, 0)] * (256 - len(pal256))
    idx = indexed(canvases['main.bmp'], pal256)
    skin('Wild Main 8bit', bmp(275, 116, 8, idx, pal256), face_of([[pal256[i] for i in r] for r in idx], 275, 116))
    pal16 = [(0, 0, 0), (58, 70, 96), (28, 34, 51), (138, 154, 192), (40, 50, 72), (0, 255, 0), (12, 48, 16),
             (200, 208, 224), (122, 132, 154), (80, 96, 160), (32, 40, 72), (255, 255, 255), (47, 58, 80),
             (36, 44, 66), (192, 64, 64), (255, 200, 32)]
    idx = indexed(canvases['main.bmp'], pal16)
    skin('Wild Main RLE4', bmp(275, 116, 4, idx, pal16, rle=4), face_of([[pal16[i] for i in r] for r in idx], 275, 116))
    skin('Wild Main 32bit', bmp(275, 116, 32, main_rows), full_face)
    skin('Wild Main Core Header', bmp_core(275, 116, main_rows), full_face)
    # Other sizes.
    for name, (w, h) in (('Wild Main 300x130', (300, 130)), ('Wild Main 200x100', (200, 100))):
        rows = rgb_rows(sized_main(w, h))
        skin(name, bmp(w, h, 24, rows), face_of(rows, w, h))
    # The playlist's colours.
    skin('Wild Pledit Full', files['main.bmp'], full_face, [('pledit.txt', PLEDIT_FULL)])
    skin('Wild Pledit Garbage', files['main.bmp'], full_face, [('PLEDIT.TXT', PLEDIT_GARBAGE)])


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    canvases = {'main.bmp': main_sheet(), 'cbuttons.bmp': cbuttons_sheet(), 'titlebar.bmp': titlebar_sheet(),
                'numbers.bmp': numbers_sheet(), 'shufrep.bmp': shufrep_sheet(), 'posbar.bmp': posbar_sheet()}
    files = {}
    for name, c in canvases.items():
        path = os.path.join(out, '_sheet.bmp')
        c.save_bmp(path)
        with open(path, 'rb') as f:
            files[name] = f.read()
        os.remove(path)

    def write_folder(folder, content):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
        for name, data in content.items():
            with open(os.path.join(out, folder, name), 'wb') as f:
                f.write(data)

    write_folder(SKIN, files)
    write_folder('Odd Sheets', odd_sheets(canvases))
    # The archive as skins are shared: one top folder, names in the letter case of old
    # tools, a folder entry and a file the import does not use.
    members = [(SKIN + '/', None)]
    members += [(SKIN + '/' + name.upper(), data) for name, data in files.items()]
    members.append((SKIN + '/readme.txt', b'A classic skin of our own for the tests.\r\n'))
    write_zip(os.path.join(out, 'Zipped Classic.wsz'), members)
    wild_skins(out, files, canvases)
    write_zip(os.path.join(out, 'evil.wsz'),
              [(name, data) for name, data in files.items()] + [('..\\..\\evil.txt', b'outside\r\n')])
    # 48 MB of zeros packs into a few tens of kilobytes.
    write_zip(os.path.join(out, 'bomb.wsz'), [('main.bmp', bytes(48 << 20))])
    # The same with headers that claim 1000 bytes.
    liar = os.path.join(out, 'liar.wsz')
    write_zip(liar, [('main.bmp', bytes(48 << 20))])
    with open(liar, 'rb') as f:
        data = bytearray(f.read())
    local, central = data.find(b'PK\x03\x04'), data.find(b'PK\x01\x02')
    struct.pack_into('<I', data, local + 22, 1000)
    struct.pack_into('<I', data, central + 24, 1000)
    with open(liar, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
