#!/usr/bin/env python3
"""Writes the hostile-file corpus: small valid pictures of every format the
picture file library reads, made here from scratch, and a few hundred damaged
or lying variants of them: files cut short at many lengths, bytes flipped in
their headers, declared sizes that are zero or absurd, palette indexes past
the palette, loops in TIFF directory chains, GIFs with thousands of frames,
BMPs whose pixel offset lies, and so on.

    make_corpus.py OUTDIR

Everything is deterministic (a fixed random seed), so a file that breaks a
decoder breaks it on every run and every machine.  OUTDIR is emptied first.
Each file is named SEED.DAMAGE.EXT; the extension is the one a user would
see, because some formats (TGA) are known by their extension alone.
"""
import math
import os
import random
import struct
import sys
import zlib

RANDOM_SEED = 20261209


# --- the base picture -------------------------------------------------------

def base_rgb(w, h):
    """A deterministic test picture as rows of (r, g, b)."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            r = (x * 255) // max(1, w - 1)
            g = (y * 255) // max(1, h - 1)
            b = 200 if (x // 4 + y // 4) % 2 else 40
            row.append((r, g, b))
        rows.append(row)
    return rows


def base_indexes(w, h, colours):
    return [[(x + 2 * y) % colours for x in range(w)] for y in range(h)]


PALETTE16 = [((i * 53) % 256, (i * 97) % 256, (i * 151) % 256) for i in range(16)]


# --- BMP --------------------------------------------------------------------

def bmp_rows(w, h, bits, pixels):
    """Packs top-down pixel rows into bottom-up BMP rows."""
    out = bytearray()
    stride = ((w * bits + 31) // 32) * 4
    for row in reversed(pixels):
        line = bytearray()
        if bits == 24:
            for r, g, b in row:
                line += bytes((b, g, r))
        elif bits == 32:
            for r, g, b in row:
                line += bytes((b, g, r, 255))
        elif bits == 16:
            for r, g, b in row:
                line += struct.pack('<H', (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3))
        else:
            acc = 0
            n = 0
            for v in row:
                acc = (acc << bits) | v
                n += bits
                if n == 8:
                    line.append(acc)
                    acc = n = 0
            if n:
                line.append(acc << (8 - n))
        line += bytes(stride - len(line))
        out += line
    return bytes(out)


def rle8(w, pixels):
    out = bytearray()
    for row in reversed(pixels):
        x = 0
        while x < w:
            v = row[x]
            n = 1
            while x + n < w and row[x + n] == v and n < 255:
                n += 1
            out += bytes((n, v))
            x += n
        out += b'\x00\x00'
    out += b'\x00\x01'
    return bytes(out)


def bmp_file(w, h, bits, data, palette=(), compression=0, clr_used=None, masks=b''):
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    off = 14 + 40 + len(masks) + len(pal)
    used = len(palette) if clr_used is None else clr_used
    head = b'BM' + struct.pack('<IHHI', off + len(data), 0, 0, off)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, compression, len(data), 2835, 2835,
                       used, 0)
    return head + info + masks + pal + data


def bmp_seeds():
    w, h = 37, 23
    rgb = base_rgb(w, h)
    grey2 = [(0, 0, 0), (255, 255, 255)]
    seeds = {
        'bmp1': bmp_file(w, h, 1, bmp_rows(w, h, 1, base_indexes(w, h, 2)), grey2),
        'bmp4': bmp_file(w, h, 4, bmp_rows(w, h, 4, base_indexes(w, h, 16)), PALETTE16),
        'bmp8': bmp_file(w, h, 8, bmp_rows(w, h, 8, base_indexes(w, h, 16)), PALETTE16),
        'bmp8rle': bmp_file(w, h, 8, rle8(w, base_indexes(w, h, 16)), PALETTE16, compression=1),
        'bmp16': bmp_file(w, h, 16, bmp_rows(w, h, 16, rgb), compression=3,
                          masks=struct.pack('<III', 0xF800, 0x07E0, 0x001F)),
        'bmp24': bmp_file(w, h, 24, bmp_rows(w, h, 24, rgb)),
        'bmp32': bmp_file(w, h, 32, bmp_rows(w, h, 32, rgb)),
    }
    return seeds


# --- PNG --------------------------------------------------------------------

def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]


def png_file(w, h, colour_type, pixels, palette=None, interlace=0, ihdr_size=None, trns=None):
    """pixels: rows of per-pixel byte tuples (already in the colour type's layout)."""
    def scan(rows):
        return b''.join(b'\x00' + b''.join(bytes(p) for p in row) for row in rows)
    if interlace:
        raw = b''
        for x0, y0, dx, dy in ADAM7:
            sub = [row[x0::dx] for row in pixels[y0::dy]]
            if sub and sub[0]:
                raw += scan(sub)
    else:
        raw = scan(pixels)
    sw, sh = ihdr_size or (w, h)
    out = b'\x89PNG\r\n\x1a\n'
    out += png_chunk(b'IHDR', struct.pack('>IIBBBBB', sw, sh, 8, colour_type, 0, 0, interlace))
    if palette is not None:
        out += png_chunk(b'PLTE', b''.join(bytes(c) for c in palette))
    if trns is not None:
        out += png_chunk(b'tRNS', trns)
    out += png_chunk(b'IDAT', zlib.compress(raw, 9))
    out += png_chunk(b'IEND', b'')
    return out


def png_seeds():
    w, h = 29, 19
    rgb = base_rgb(w, h)
    grey = [[(r,) for r, g, b in row] for row in rgb]
    rgba = [[(r, g, b, (x * 9) % 256) for x, (r, g, b) in enumerate(row)] for row in rgb]
    pal = [[(v,) for v in row] for row in base_indexes(w, h, 16)]
    return {
        'pnggrey': png_file(w, h, 0, grey),
        'pngrgba': png_file(w, h, 6, rgba),
        'pngpal': png_file(w, h, 3, pal, PALETTE16, trns=bytes([0, 128])),
        'pngadam7': png_file(w, h, 2, [[p for p in row] for row in rgb], interlace=1),
    }


# --- GIF --------------------------------------------------------------------

def lzw(indexes, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size = min_code_size + 1
    table = {}
    next_code = end + 1
    emit(clear, size)
    prefix = None
    for k in indexes:
        if prefix is None:
            prefix = k
            continue
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, size)
        if next_code < 4094:
            table[key] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table = {}
            next_code = end + 1
            size = min_code_size + 1
        prefix = k
    if prefix is not None:
        emit(prefix, size)
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        part = data[i:i + 255]
        out.append(len(part))
        out += part
    out.append(0)
    return bytes(out)


def gif_frame(x, y, w, h, indexes, min_code_size=4, delay=None, local_palette=None):
    out = b''
    if delay is not None:
        out += b'\x21\xF9\x04' + struct.pack('<BHB', 0, delay, 0) + b'\x00'
    flags = 0
    if local_palette is not None:
        bits = max(1, (len(local_palette) - 1).bit_length())
        flags = 0x80 | (bits - 1)
    out += b'\x2C' + struct.pack('<HHHHB', x, y, w, h, flags)
    if local_palette is not None:
        out += b''.join(bytes(c) for c in local_palette)
        out += bytes(3 * ((1 << bits) - len(local_palette)))
    flat = [v for row in indexes for v in row]
    out += bytes((min_code_size,)) + sub_blocks(lzw(flat, min_code_size))
    return out


def gif_file(sw, sh, frames, palette=PALETTE16, loop=False):
    bits = max(1, (len(palette) - 1).bit_length())
    out = b'GIF89a' + struct.pack('<HHBBB', sw, sh, 0x80 | 0x70 | (bits - 1), 0, 0)
    out += b''.join(bytes(c) for c in palette) + bytes(3 * ((1 << bits) - len(palette)))
    if loop:
        out += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'
    return out + b''.join(frames) + b'\x3B'


def gif_seeds():
    w, h = 31, 21
    still = gif_file(w, h, [gif_frame(0, 0, w, h, base_indexes(w, h, 16))])
    parts = [gif_frame(4 * i, 3 * i, 12, 8, base_indexes(12, 8, 16), delay=10) for i in range(4)]
    animated = gif_file(w, h, parts, loop=True)
    return {'gif': still, 'gifanim': animated}


# --- TIFF -------------------------------------------------------------------

class Tiff:
    """A little-endian TIFF with raw RGB strips, one directory a page.  The
    directory offsets are kept so that damage can aim at them."""

    def __init__(self, pages, overrides=None, big_endian=False):
        e = '>' if big_endian else '<'
        self.e = e
        out = bytearray((b'MM' if big_endian else b'II') + struct.pack(e + 'HI', 42, 0))
        self.ifds = []
        self.next_fields = []
        overrides = overrides or {}
        for index, (w, h, rgb) in enumerate(pages):
            data = b''.join(bytes(p) for row in rgb for p in row)
            data_at = len(out)
            out += data
            if len(out) % 2:
                out += b'\x00'
            bps_at = len(out)
            out += struct.pack(e + 'HHH', 8, 8, 8)
            tags = {
                256: (4, [w]), 257: (4, [h]), 258: (3, None), 259: (3, [1]), 262: (3, [2]),
                273: (4, [data_at]), 277: (3, [3]), 278: (4, [h]), 279: (4, [len(data)]),
                284: (3, [1]),
            }
            for tag, value in overrides.items():
                tags[tag] = value
            ifd_at = len(out)
            self.ifds.append(ifd_at)
            out += struct.pack(e + 'H', len(tags))
            for tag in sorted(tags):
                kind, values = tags[tag]
                if values is None:  # BitsPerSample: three shorts stored apart
                    out += struct.pack(e + 'HHII', tag, 3, 3, bps_at)
                elif kind == 3:
                    out += struct.pack(e + 'HHIHH', tag, 3, 1, values[0] & 0xFFFF, 0)
                else:
                    out += struct.pack(e + 'HHII', tag, 4, 1, values[0] & 0xFFFFFFFF)
            self.next_fields.append(len(out))
            out += struct.pack(e + 'I', 0)
        struct.pack_into(e + 'I', out, 4, self.ifds[0])
        for i in range(len(self.ifds) - 1):
            struct.pack_into(e + 'I', out, self.next_fields[i], self.ifds[i + 1])
        self.data = out

    def link(self, page, to):
        """Points page's next-directory field at the given offset."""
        data = bytearray(self.data)
        struct.pack_into(self.e + 'I', data, self.next_fields[page], to)
        return bytes(data)


def tiff_pages(count, w=23, h=17):
    return [(w, h, [[(r, g, (b + 60 * i) % 256) for r, g, b in row] for row in base_rgb(w, h)])
            for i in range(count)]


def tiff_seeds():
    return {
        'tiff': Tiff(tiff_pages(1)).data,
        'tiffmm': Tiff(tiff_pages(1), big_endian=True).data,
        'tiff3': Tiff(tiff_pages(3)).data,
    }


# --- JPEG -------------------------------------------------------------------

ZIGZAG = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48, 41, 34,
          27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37,
          44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]

# One Huffman table for every component and both kinds of coefficient: each
# symbol gets a fixed-length code (4 bits for DC categories, 8 bits for AC
# run/size pairs).  Valid, if not small.
DC_SYMBOLS = list(range(12))
AC_SYMBOLS = ([0x00, 0xF0] + [r << 4 | s for r in range(16) for s in range(1, 11)] +
              [r << 4 for r in range(1, 15)])


def huffman_segment(table_class, table_id, length, symbols):
    counts = [0] * 16
    counts[length - 1] = len(symbols)
    body = bytes((table_class << 4 | table_id,)) + bytes(counts) + bytes(symbols)
    return b'\xFF\xC4' + struct.pack('>H', 2 + len(body)) + body


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, bits):
        for i in range(bits - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)
                self.acc = self.n = 0

    def flush(self):
        while self.n:
            self.put(1, 1)
        return bytes(self.out)


def category(v):
    return abs(v).bit_length()


def put_value(bits, v):
    s = category(v)
    if s:
        bits.put(v if v > 0 else v + (1 << s) - 1, s)


COS = [[math.cos((2 * x + 1) * u * math.pi / 16) for x in range(8)] for u in range(8)]


def fdct_quantised(block, q):
    out = [0] * 64
    for v in range(8):
        for u in range(8):
            s = 0.0
            for y in range(8):
                cy = COS[v][y]
                row = block[y]
                for x in range(8):
                    s += row[x] * COS[u][x] * cy
            cu = 0.7071067811865476 if u == 0 else 1.0
            cv = 0.7071067811865476 if v == 0 else 1.0
            out[v * 8 + u] = int(round(0.25 * cu * cv * s / q))
    return out


def jpeg_file(w, h, grey=False, progressive_scans=0, declared=None, quant=8):
    """A baseline JPEG (4:4:4, or one grey channel).  With progressive_scans,
    a progressive file instead: one DC scan and then that many identical AC
    scans of the first component that code every block as empty."""
    rgb = base_rgb(w, h)
    planes = []
    for c in range(1 if grey else 3):
        plane = []
        for row in rgb:
            line = []
            for r, g, b in row:
                yv = 0.299 * r + 0.587 * g + 0.114 * b
                if c == 1:
                    yv = 128 - 0.168736 * r - 0.331264 * g + 0.5 * b
                elif c == 2:
                    yv = 128 + 0.5 * r - 0.418688 * g - 0.081312 * b
                line.append(yv - 128)
            plane.append(line)
        planes.append(plane)
    bw, bh = (w + 7) // 8, (h + 7) // 8
    blocks = []  # per block position, per component: quantised coefficients
    for by in range(bh):
        for bx in range(bw):
            per = []
            for plane in planes:
                block = [[plane[min(h - 1, by * 8 + y)][min(w - 1, bx * 8 + x)] for x in range(8)]
                         for y in range(8)]
                per.append(fdct_quantised(block, quant))
            blocks.append(per)
    ncomp = len(planes)
    sw, sh = declared or (w, h)
    out = b'\xFF\xD8'
    out += b'\xFF\xE0' + struct.pack('>H5sBBBHHBB', 16, b'JFIF\x00', 1, 1, 0, 1, 1, 0, 0)
    out += b'\xFF\xDB' + struct.pack('>HB', 67, 0) + bytes([quant] * 64)
    sof = b'\xFF\xC2' if progressive_scans else b'\xFF\xC0'
    out += sof + struct.pack('>HBHHB', 8 + 3 * ncomp, 8, sh, sw, ncomp)
    for c in range(ncomp):
        out += bytes((c + 1, 0x11, 0))
    out += huffman_segment(0, 0, 4, DC_SYMBOLS) + huffman_segment(1, 0, 8, AC_SYMBOLS)

    def sos(components, ss, se):
        body = bytes((len(components),)) + b''.join(bytes((c + 1, 0x00)) for c in components)
        body += bytes((ss, se, 0))
        return b'\xFF\xDA' + struct.pack('>H', 2 + len(body)) + body

    dc_code = {s: i for i, s in enumerate(DC_SYMBOLS)}
    ac_code = {s: i for i, s in enumerate(AC_SYMBOLS)}
    bits = BitWriter()
    pred = [0] * ncomp
    if not progressive_scans:
        out += sos(range(ncomp), 0, 63)
        for per in blocks:
            for c, coef in enumerate(per):
                diff = coef[0] - pred[c]
                pred[c] = coef[0]
                bits.put(dc_code[category(diff)], 4)
                put_value(bits, diff)
                run = 0
                for k in range(1, 64):
                    v = coef[ZIGZAG[k]]
                    if v == 0:
                        run += 1
                        continue
                    while run > 15:
                        bits.put(ac_code[0xF0], 8)
                        run -= 16
                    v = max(-1023, min(1023, v))
                    bits.put(ac_code[run << 4 | category(v)], 8)
                    put_value(bits, v)
                    run = 0
                if run:
                    bits.put(ac_code[0x00], 8)
        out += bits.flush()
    else:
        out += sos(range(ncomp), 0, 0)
        for per in blocks:
            for c, coef in enumerate(per):
                diff = coef[0] - pred[c]
                pred[c] = coef[0]
                bits.put(dc_code[category(diff)], 4)
                put_value(bits, diff)
        out += bits.flush()
        # The declared size may be far larger than the coded blocks; an
        # end-of-band run of 2^14 - 1 blocks per code covers it quickly.
        declared_blocks = ((sw + 7) // 8) * ((sh + 7) // 8)
        empty = BitWriter()
        left = declared_blocks
        while left > 0:
            run = min(left, 0x7FFF)
            r = run.bit_length() - 1
            empty.put(ac_code[r << 4], 8)
            if r:
                empty.put(run - (1 << r), r)
            left -= run
        scan = sos([0], 1, 63) + empty.flush()
        out += scan * progressive_scans
    return out + b'\xFF\xD9'


def jpeg_seeds():
    return {'jpeg': jpeg_file(24, 16), 'jpeggrey': jpeg_file(17, 9, grey=True),
            'jpegprog': jpeg_file(16, 16, grey=True, progressive_scans=3)}


# --- ICO and CUR ------------------------------------------------------------

def icon_bitmap(size, rgb):
    info = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bmp_rows(size, size, 32, rgb)
    mask = bytes(((size + 31) // 32) * 4 * size)
    return info + pixels + mask


def icon_file(kind, images, hotspot=(0, 0)):
    """images: (width byte, height byte, payload)."""
    out = struct.pack('<HHH', 0, kind, len(images))
    at = 6 + 16 * len(images)
    body = b''
    for w, h, payload in images:
        planes, bits = (hotspot if kind == 2 else (1, 32))
        out += struct.pack('<BBBBHHII', w, h, 0, 0, planes, bits, len(payload), at + len(body))
        body += payload
    return out + body


def icon_seeds():
    small = icon_bitmap(16, base_rgb(16, 16))
    big = icon_bitmap(32, base_rgb(32, 32))
    embedded = png_file(24, 24, 2, [[p for p in row] for row in base_rgb(24, 24)])
    return {
        'ico': icon_file(1, [(16, 16, small), (32, 32, big)]),
        'icopng': icon_file(1, [(24, 24, embedded)]),
        'cur': icon_file(2, [(16, 16, small)], hotspot=(3, 5)),
    }


# --- PCX, TGA and the other formats the library reads -----------------------

def pcx_rle(line):
    out = bytearray()
    x = 0
    while x < len(line):
        v = line[x]
        n = 1
        while x + n < len(line) and line[x + n] == v and n < 63:
            n += 1
        if n > 1 or v >= 0xC0:
            out += bytes((0xC0 | n, v))
        else:
            out.append(v)
        x += n
    return bytes(out)


def pcx_file(w, h, planes, rows_of_planes, palette256=None, declared=None, bytes_per_line=None):
    bpl = bytes_per_line if bytes_per_line is not None else w + (w & 1)
    xmax, ymax = declared or (w - 1, h - 1)
    head = struct.pack('<BBBBHHHHHH', 10, 5, 1, 8, 0, 0, xmax & 0xFFFF, ymax & 0xFFFF, 72, 72)
    head += bytes(48) + struct.pack('<BBHHHH', 0, planes, bpl & 0xFFFF, 1, 0, 0) + bytes(54)
    data = b''
    for row in rows_of_planes:
        for plane in row:
            data += pcx_rle(bytes(plane) + bytes(max(0, bpl - len(plane))))
    if palette256 is not None:
        data += b'\x0C' + b''.join(bytes(c) for c in palette256)
    return head + data


def tga_file(w, h, kind, data, bits, colour_map=b'', map_length=0, map_bits=0, declared=None):
    sw, sh = declared or (w, h)
    head = struct.pack('<BBBHHBHHHHBB', 0, 1 if map_length else 0, kind, 0, map_length, map_bits,
                       0, 0, sw & 0xFFFF, sh & 0xFFFF, bits, 0x20)
    return head + colour_map + data


def tga_rle(pixels):
    """pixels: flat list of byte strings; run packets where values repeat."""
    out = bytearray()
    i = 0
    while i < len(pixels):
        n = 1
        while i + n < len(pixels) and pixels[i + n] == pixels[i] and n < 128:
            n += 1
        if n > 1:
            out.append(0x80 | (n - 1))
            out += pixels[i]
            i += n
        else:
            j = i
            while j < len(pixels) and j - i < 128 and (j + 1 >= len(pixels) or
                                                       pixels[j + 1] != pixels[j]):
                j += 1
            j = max(j, i + 1)
            out.append(j - i - 1)
            for p in pixels[i:j]:
                out += p
            i = j
    return bytes(out)


def other_seeds():
    w, h = 21, 13
    rgb = base_rgb(w, h)
    idx = base_indexes(w, h, 16)
    pal256 = PALETTE16 + [(0, 0, 0)] * 240
    seeds = {}
    seeds['pcx8'] = pcx_file(w, h, 1, [[row] for row in idx], pal256)
    seeds['pcx24'] = pcx_file(w, h, 3, [[[p[c] for p in row] for c in range(3)] for row in rgb])
    bgr = [bytes((b, g, r)) for row in rgb for r, g, b in row]
    seeds['tga24'] = tga_file(w, h, 2, b''.join(bgr), 24)
    seeds['tgarle'] = tga_file(w, h, 10, tga_rle(bgr), 24)
    cmap = b''.join(bytes((b, g, r)) for r, g, b in PALETTE16)
    seeds['tgamap'] = tga_file(w, h, 1, bytes(v for row in idx for v in row), 8, cmap, 16, 24)
    seeds['ppm'] = b'P6\n%d %d\n255\n' % (w, h) + b''.join(bytes(p) for row in rgb for p in row)
    seeds['pgm'] = b'P5\n%d %d\n255\n' % (w, h) + bytes(p[0] for row in rgb for p in row)
    psd = b'8BPS' + struct.pack('>H6sHIIHH', 1, bytes(6), 3, h, w, 8, 3)
    psd += struct.pack('>III', 0, 0, 0) + struct.pack('>H', 0)
    psd += b''.join(bytes(p[c] for row in rgb for p in row) for c in range(3))
    seeds['psd'] = psd
    sgi = struct.pack('>HBBHHHHII4s80sI', 474, 0, 1, 3, w, h, 3, 0, 255, bytes(4), b'', 0)
    sgi += bytes(512 - len(sgi))
    sgi += b''.join(bytes(p[c] for row in reversed(rgb) for p in row) for c in range(3))
    seeds['sgi'] = sgi
    stride = (w * 3 + 1) & ~1
    ras_rows = b''.join(b''.join(bytes((b, g, r)) for r, g, b in row).ljust(stride, b'\x00')
                        for row in rgb)
    seeds['ras'] = struct.pack('>IIIIIIII', 0x59A66A95, w, h, 24, len(ras_rows), 1, 0, 0) + ras_rows
    return seeds


# --- damage -----------------------------------------------------------------

EXTENSION = {
    'bmp': 'bmp', 'png': 'png', 'gif': 'gif', 'tif': 'tif', 'jpe': 'jpg', 'ico': 'ico',
    'cur': 'cur', 'pcx': 'pcx', 'tga': 'tga', 'ppm': 'ppm', 'pgm': 'pgm', 'psd': 'psd',
    'sgi': 'sgi', 'ras': 'ras',
}


def extension_of(seed):
    for prefix, ext in EXTENSION.items():
        if seed.startswith(prefix):
            return ext
    raise ValueError(seed)


def truncations(size):
    lengths = {8, 18, 40, 100, size // 3, size // 2, (2 * size) // 3, size - 1}
    return sorted(n for n in lengths if 0 < n < size)


def header_flips(rng, data, count=4, region=128):
    out = []
    for _ in range(count):
        b = bytearray(data)
        for _ in range(rng.randint(1, 3)):
            at = rng.randrange(min(region, len(b)))
            b[at] ^= rng.randint(1, 255)
        out.append(bytes(b))
    return out


def put(data, fmt, at, *values):
    b = bytearray(data)
    struct.pack_into(fmt, b, at, *values)
    return bytes(b)


def bmp_damage(seeds):
    out = {}
    b8 = seeds['bmp8']
    b24 = seeds['bmp24']
    for name, (w, h) in {'w65535': (65535, 23), 'h65535': (37, 65535),
                         'both65535': (65535, 65535), 'w2g': (0x7FFFFFFF, 23),
                         'hneg2g': (37, -0x7FFFFFFF), 'hmin': (37, -0x80000000),
                         'w30000': (30000, 30000), 'wzero': (0, 23), 'hzero': (37, 0),
                         'wneg': (-37, 23)}.items():
        out['bmp24.' + name] = put(b24, '<ii', 18, w, h)
        out['bmp8rle.' + name] = put(seeds['bmp8rle'], '<ii', 18, w, h)
    for off, label in ((0, 'zero'), (14, 'intoheader'), (len(b24) - 3, 'nearend'),
                       (len(b24) + 1000, 'pastend'), (0xFFFFFFFF, 'max'), (0x7FFFFFFF, 'big')):
        out['bmp24.offset-' + label] = put(b24, '<I', 10, off)
        out['bmp8.offset-' + label] = put(b8, '<I', 10, off)
    for bits in (0, 3, 7, 64, 65535):
        out['bmp24.bits%d' % bits] = put(b24, '<H', 28, bits)
    for used in (1, 257, 0x7FFFFFFF, 0xFFFFFFFF):
        out['bmp8.clrused%d' % used] = put(b8, '<I', 46, used)
    for size in (0, 12, 39, 41, 0xFFFF, 0xFFFFFFFF):
        out['bmp24.infosize%d' % size] = put(b24, '<I', 14, size)
    out['bmp24.compression99'] = put(b24, '<I', 30, 99)
    out['bmp24.planes0'] = put(b24, '<H', 26, 0)
    # Palette indexes past a two-colour palette: every pixel of the rows
    # points at entries 2..15, which the file does not have.
    w, h = 37, 23
    out['bmp8.index-past-palette'] = bmp_file(w, h, 8, bmp_rows(w, h, 8, base_indexes(w, h, 16)),
                                              [(0, 0, 0), (255, 255, 255)])
    out['bmp8.index-255'] = bmp_file(w, h, 8, bmp_rows(w, h, 8, [[255] * w] * h),
                                     [(0, 0, 0)], clr_used=1)
    out['bmp4.index-past-palette'] = bmp_file(w, h, 4, bmp_rows(w, h, 4, base_indexes(w, h, 16)),
                                              [(9, 9, 9)] * 3)
    # Run-length codes that move or run past the picture's edges.
    past = bytearray()
    past += b'\x00\x02\xFF\xFF'          # delta far right and up
    past += b'\xFF\x07' * 40             # long runs
    past += b'\x00\xFF' + bytes(255) + b'\x00'  # an absolute run longer than a row
    past += b'\x00\x01'
    out['bmp8rle.runs-past-edges'] = bmp_file(w, h, 8, bytes(past), PALETTE16, compression=1)
    out['bmp8rle.no-end'] = bmp_file(w, h, 8, b'\x05\x01' * 3, PALETTE16, compression=1)
    return out


def png_damage(seeds):
    out = {}
    w, h = 29, 19
    rgb = base_rgb(w, h)
    rows = [[p for p in row] for row in rgb]
    for label, size in (('w65535', (65535, 19)), ('both65535', (65535, 65535)),
                        ('w2g', (0x7FFFFFFF, 19)), ('h2g', (29, 0x7FFFFFFF)),
                        ('wzero', (0, 19)), ('hzero', (29, 0)), ('w30000', (30000, 30000)),
                        ('wmax', (0xFFFFFFFF, 1))):
        out['png.' + label] = png_file(w, h, 2, rows, ihdr_size=size)
    pal = [[(v,) for v in row] for row in base_indexes(w, h, 16)]
    out['pngpal.index-past-palette'] = png_file(w, h, 3, pal, PALETTE16[:2])
    out['pngpal.no-palette'] = png_file(w, h, 3, pal, None)
    out['pngpal.palette300'] = png_file(w, h, 3, pal, PALETTE16 * 19)
    out['pngpal.trns-long'] = png_file(w, h, 3, pal, PALETTE16[:4], trns=bytes(200))
    # Declares 6000 x 6000 grey and carries a few kilobytes that inflate to
    # the whole 36 MB of rows.
    bomb_rows = zlib.compress(b'\x00' * (6001 * 6000), 9)
    bomb = b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR',
                                        struct.pack('>IIBBBBB', 6000, 6000, 8, 0, 0, 0, 0))
    out['png.inflate-bomb'] = bomb + png_chunk(b'IDAT', bomb_rows) + png_chunk(b'IEND', b'')
    good = seeds['pngrgba']
    out['pngrgba.bad-crc'] = put(good, '>I', 29, 0xDEADBEEF)
    out['pngrgba.chunk-length-2g'] = put(good, '>I', 33, 0x7FFFFFF0)
    out['pngrgba.no-iend'] = good[:-12]
    for depth in (0, 3, 16, 255):
        b = bytearray(good)
        b[24] = depth
        struct.pack_into('>I', b, 29, zlib.crc32(bytes(b[12:29])))
        out['pngrgba.depth%d' % depth] = bytes(b)
    return out


def gif_damage(seeds):
    out = {}
    still = seeds['gif']
    for label, size in (('screen65535', (65535, 65535)), ('screenzero', (0, 0))):
        out['gif.' + label] = put(still, '<HH', 6, *size)
    # The image descriptor follows the 13-byte header and the 16-entry table.
    desc = 13 + 48
    for label, size in (('frame65535', (65535, 65535)), ('framezero', (0, 0)),
                        ('frame30000', (30000, 30000))):
        out['gif.' + label] = put(still, '<HH', desc + 5, *size)
    out['gif.frame-outside-screen'] = put(still, '<HH', desc + 1, 65000, 65000)
    out['gif.codesize0'] = put(still, '<B', desc + 10, 0)
    out['gif.codesize12'] = put(still, '<B', desc + 10, 12)
    out['gif.codesize255'] = put(still, '<B', desc + 10, 255)
    # Indexes up to 15 with a two-colour table.
    w, h = 31, 21
    out['gif.index-past-palette'] = gif_file(w, h, [gif_frame(0, 0, w, h, base_indexes(w, h, 16))],
                                             palette=PALETTE16[:2])
    # Absurd frame counts: thousands of one-pixel frames, on a small canvas
    # and on a huge one.
    tiny = gif_frame(0, 0, 1, 1, [[1]], min_code_size=2, delay=0)
    out['gif.frames-20000'] = gif_file(64, 48, [tiny] * 20000, loop=True)
    out['gif.frames-3000-huge-screen'] = gif_file(20000, 20000, [tiny] * 3000, loop=True)
    moving = [gif_frame(i % 60, (i // 60) % 40, 2, 2, [[1, 2], [3, 4]], min_code_size=2, delay=1)
              for i in range(5000)]
    out['gif.frames-5000-moving'] = gif_file(64, 48, moving, loop=True)
    out['gif.no-trailer'] = still[:-1]
    out['gif.extension-unterminated'] = still[:desc] + b'\x21\xFE\xFF' + b'x' * 40
    return out


def tiff_damage(seeds):
    out = {}
    one = Tiff(tiff_pages(1))
    three = Tiff(tiff_pages(3))
    out['tiff.loop-self'] = one.link(0, one.ifds[0])
    out['tiff3.loop-back'] = three.link(2, three.ifds[0])
    out['tiff3.loop-middle'] = three.link(2, three.ifds[1])
    out['tiff3.next-past-end'] = three.link(1, len(three.data) + 4096)
    out['tiff3.next-odd'] = three.link(0, three.ifds[1] + 1)
    out['tiff.first-ifd-past-end'] = put(one.data, '<I', 4, 0x7FFFFFF0)
    out['tiff.first-ifd-zero'] = put(one.data, '<I', 4, 0)
    out['tiff.entries65535'] = put(one.data, '<H', one.ifds[0], 65535)
    cases = {
        'w65535': {256: (4, [65535])}, 'both65535': {256: (4, [65535]), 257: (4, [65535])},
        'w2g': {256: (4, [0x7FFFFFFF])}, 'h2g': {257: (4, [0x7FFFFFFF])},
        'wzero': {256: (4, [0])}, 'hzero': {257: (4, [0])},
        'w30000': {256: (4, [30000]), 257: (4, [30000])},
        'strip-past-end': {273: (4, [0x7FFFFF00])}, 'strip-count-2g': {279: (4, [0x7FFFFFFF])},
        'rows-per-strip0': {278: (4, [0])}, 'samples0': {277: (3, [0])},
        'samples65535': {277: (3, [65535])}, 'compression-unknown': {259: (3, [12345])},
        'lzw-raw': {259: (3, [5])}, 'packbits-raw': {259: (3, [32773])},
        'jpeg-raw': {259: (3, [7])}, 'palette-no-map': {262: (3, [3])},
        'photometric-99': {262: (3, [99])}, 'planar-separate': {284: (3, [2])},
        'subifd-loop': {330: (4, [0])},
    }
    for label, overrides in cases.items():
        out['tiff.' + label] = Tiff(tiff_pages(1), overrides).data
    # The sub-directory entry points back at the directory that holds it.
    looped = Tiff(tiff_pages(1), {330: (4, [0])})
    entries = looped.ifds[0] + 2
    count = struct.unpack_from('<H', looped.data, looped.ifds[0])[0]
    at = next(entries + 12 * i for i in range(count)
              if struct.unpack_from('<H', looped.data, entries + 12 * i)[0] == 330)
    out['tiff.subifd-loop'] = put(looped.data, '<I', at + 8, looped.ifds[0])
    # A three-page file whose middle page lies about its size.
    lying = bytearray(three.data)
    mid = three.ifds[1] + 2
    for i in range(struct.unpack_from('<H', lying, three.ifds[1])[0]):
        tag = struct.unpack_from('<H', lying, mid + 12 * i)[0]
        if tag in (256, 257):
            struct.pack_into('<I', lying, mid + 12 * i + 8, 50000)
    out['tiff3.middle-50000'] = bytes(lying)
    return out


def jpeg_damage(seeds):
    out = {}
    good = seeds['jpeg']
    sof = good.index(b'\xFF\xC0')
    for label, (w, h) in (('w65535', (65535, 16)), ('both65535', (65535, 65535)),
                          ('wzero', (0, 16)), ('hzero', (24, 0)), ('w30000', (30000, 30000))):
        out['jpeg.' + label] = put(good, '>HH', sof + 5, h, w)
    out['jpeg.components0'] = put(good, '>B', sof + 9, 0)
    out['jpeg.components255'] = put(good, '>B', sof + 9, 255)
    out['jpeg.precision12'] = put(good, '>B', sof + 4, 12)
    out['jpeg.precision0'] = put(good, '>B', sof + 4, 0)
    out['jpeg.sampling-0x44'] = put(good, '>B', sof + 11, 0x44)
    out['jpeg.sampling-zero'] = put(good, '>B', sof + 11, 0x00)
    out['jpeg.quant-table-3'] = put(good, '>B', sof + 12, 3)
    dht = good.index(b'\xFF\xC4')
    out['jpeg.huffman-oversubscribed'] = put(good, '>B', dht + 5 + 1, 200)
    out['jpeg.huffman-id-9'] = put(good, '>B', dht + 4, 9)
    sos = good.index(b'\xFF\xDA')
    out['jpeg.scan-component-9'] = put(good, '>B', sos + 5, 9)
    out['jpeg.scan-table-7'] = put(good, '>B', sos + 6, 0x77)
    out['jpeg.marker-length-0'] = put(good, '>H', 4, 0)
    out['jpeg.marker-length-ffff'] = put(good, '>H', 4, 0xFFFF)
    out['jpeg.no-eoi'] = good[:-2]
    out['jpeg.data-all-ff'] = good[:sos + 14] + b'\xFF' * 400 + b'\xFF\xD9'
    out['jpeg.two-sof'] = good[:sos] + good[sof:dht] + good[sos:]
    # Progressive files with thousands of scans, one small and one declaring
    # 2048 x 2048 so that every scan walks 65536 blocks.
    out['jpegprog.scans-5000'] = jpeg_file(16, 16, grey=True, progressive_scans=5000)
    out['jpegprog.scans-800-2048'] = jpeg_file(16, 16, grey=True, progressive_scans=800,
                                               declared=(2048, 2048))
    return out


def icon_damage(seeds):
    out = {}
    ico = seeds['ico']
    out['ico.count65535'] = put(ico, '<H', 4, 65535)
    out['ico.count0'] = put(ico, '<H', 4, 0)
    out['ico.entry-past-end'] = put(ico, '<I', 6 + 12, len(ico) + 100)
    out['ico.entry-size-2g'] = put(ico, '<I', 6 + 8, 0x7FFFFFFF)
    out['ico.entry-size0'] = put(ico, '<I', 6 + 8, 0)
    first = struct.unpack_from('<I', ico, 18)[0]
    out['ico.entries-same-offset'] = put(ico, '<I', 6 + 16 + 12, first)
    out['ico.bitmap-h65535'] = put(ico, '<ii', first + 4, 65535, 131070)
    out['ico.bitmap-2g'] = put(ico, '<ii', first + 4, 0x7FFFFFFF, 0x7FFFFFFF)
    out['ico.bitmap-bits7'] = put(ico, '<H', first + 14, 7)
    out['ico.bitmap-infosize0'] = put(ico, '<I', first, 0)
    icopng = seeds['icopng']
    png_at = struct.unpack_from('<I', icopng, 18)[0]
    out['icopng.png-65535'] = put(icopng, '>II', png_at + 16, 65535, 65535)
    out['icopng.png-cut'] = icopng[:png_at + 40]
    out['cur.hotspot-outside'] = put(seeds['cur'], '<HH', 6 + 4, 60000, 60000)
    out['cur.count65535'] = put(seeds['cur'], '<H', 4, 65535)
    return out


def other_damage(seeds):
    out = {}
    w, h = 21, 13
    for label, size in (('x65535', (65535, 12)), ('both65535', (65535, 65535)),
                        ('x-before-min', (0xFFFF, 0xFFFF))):
        out['pcx8.' + label] = put(seeds['pcx8'], '<HH', 8, *size)
    out['pcx8.planes0'] = put(seeds['pcx8'], '<B', 65, 0)
    out['pcx8.planes255'] = put(seeds['pcx8'], '<B', 65, 255)
    out['pcx8.bpl0'] = put(seeds['pcx8'], '<H', 66, 0)
    out['pcx8.bits3'] = put(seeds['pcx8'], '<B', 3, 3)
    out['pcx8.runs-past-end'] = seeds['pcx8'][:128] + b'\xFF\x07' * 2000
    out['pcx24.no-palette-marker'] = seeds['pcx8'][:-769]
    for label, size in (('w65535', (65535, 13)), ('both65535', (65535, 65535)),
                        ('wzero', (0, 13))):
        out['tga24.' + label] = put(seeds['tga24'], '<HH', 12, *size)
        out['tgarle.' + label] = put(seeds['tgarle'], '<HH', 12, *size)
    idx = bytes(200 for _ in range(w * h))
    cmap = b''.join(bytes((b, g, r)) for r, g, b in PALETTE16[:2])
    out['tgamap.index-past-map'] = tga_file(w, h, 1, idx, 8, cmap, 2, 24)
    out['tgamap.map65535'] = put(seeds['tgamap'], '<H', 5, 65535)
    out['tgamap.map-first-65000'] = put(seeds['tgamap'], '<H', 3, 65000)
    out['tga24.bits0'] = put(seeds['tga24'], '<B', 16, 0)
    out['tga24.bits7'] = put(seeds['tga24'], '<B', 16, 7)
    out['tga24.id255-past-end'] = put(seeds['tga24'], '<B', 0, 255)[:100]
    out['tgarle.runs-past-end'] = seeds['tgarle'][:18] + (b'\xFF' + b'\x01\x02\x03') * 1000
    out['ppm.w65535'] = b'P6\n65535 65535\n255\n' + seeds['ppm'][14:]
    out['ppm.w2g'] = b'P6\n2147483647 1\n255\n' + seeds['ppm'][14:]
    out['ppm.wzero'] = b'P6\n0 13\n255\n' + seeds['ppm'][14:]
    out['ppm.maxval0'] = b'P6\n21 13\n0\n' + seeds['ppm'][14:]
    out['ppm.maxval70000'] = b'P6\n21 13\n70000\n' + seeds['ppm'][14:]
    out['ppm.digits-forever'] = b'P6\n' + b'9' * 5000
    out['psd.channels56'] = put(seeds['psd'], '>H', 12, 56)
    out['psd.both30000'] = put(seeds['psd'], '>II', 14, 30000, 30000)
    out['psd.depth0'] = put(seeds['psd'], '>H', 22, 0)
    out['psd.mode-indexed-no-map'] = put(seeds['psd'], '>H', 24, 2)
    out['psd.section-2g'] = put(seeds['psd'], '>I', 26, 0x7FFFFFFF)
    out['sgi.both65535'] = put(seeds['sgi'], '>HHH', 6, 65535, 65535, 3)
    out['sgi.channels0'] = put(seeds['sgi'], '>H', 10, 0)
    out['sgi.rle-no-tables'] = put(seeds['sgi'], '>B', 2, 1)
    out['ras.both65535'] = put(seeds['ras'], '>II', 4, 65535, 65535)
    out['ras.depth7'] = put(seeds['ras'], '>I', 12, 7)
    out['ras.map-2g'] = put(seeds['ras'], '>II', 24, 1, 0x7FFFFFFF)
    return out


def build(outdir):
    seeds = {}
    for make in (bmp_seeds, png_seeds, gif_seeds, tiff_seeds, jpeg_seeds, icon_seeds, other_seeds):
        seeds.update(make())
    files = {}
    rng = random.Random(RANDOM_SEED)
    for name in sorted(seeds):
        data = seeds[name]
        files[name + '.valid'] = data
        for n in truncations(len(data)):
            files['%s.cut%05d' % (name, n)] = data[:n]
        for i, flipped in enumerate(header_flips(rng, data)):
            files['%s.flip%d' % (name, i)] = flipped
    for damage in (bmp_damage, png_damage, gif_damage, tiff_damage, jpeg_damage, icon_damage,
                   other_damage):
        files.update(damage(seeds))

    os.makedirs(outdir, exist_ok=True)
    for old in os.listdir(outdir):
        os.remove(os.path.join(outdir, old))
    for key in sorted(files):
        seed = key.split('.')[0]
        path = os.path.join(outdir, '%s.%s' % (key, extension_of(seed)))
        with open(path, 'wb') as f:
            f.write(files[key])
    return len(files)


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: make_corpus.py OUTDIR')
    print('%d files in %s' % (build(sys.argv[1]), sys.argv[1]))
