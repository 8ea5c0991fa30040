#!/usr/bin/env python3
"""Regenerates nimbrel.ico and banner.jpg next to this script.

Both pictures are drawn procedurally so they can be rebuilt byte for byte
from this file alone; nothing here depends on the clock or on randomness.
The icon is pure standard library.  The banner needs ImageMagick
(/usr/bin/convert) for the text and the JPEG encoder, and the WenQuanYi
Micro Hei font for the Chinese tagline.

    python3 resources/make_pictures.py
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = "/usr/bin/convert"  # the one on PATH may not be ImageMagick
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

ICON_SIZE = 128

BANNER_W, BANNER_H = 331, 259
# The about window blits the banner at (-4, -75) into a 325 x 78 band, so
# only this rectangle of the image is ever on screen.
BAND_X0, BAND_Y0, BAND_W, BAND_H = 4, 75, 325, 78


# --------------------------------------------------------------------------
# Tiny vector toolkit: shapes are signed distance functions in pixel units,
# which gives one-pixel anti-aliasing for free (coverage = 0.5 - distance).

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def coverage(d, soft=1.0):
    return clamp01(0.5 - d / soft)


def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_capsule(x, y, ax, ay, bx, by, r):
    px, py = x - ax, y - ay
    vx, vy = bx - ax, by - ay
    h = clamp01((px * vx + py * vy) / (vx * vx + vy * vy))
    return math.hypot(px - vx * h, py - vy * h) - r


def sd_round_rect(x, y, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def over(dst, colour, alpha):
    """Composites a straight-alpha colour over a premultiplied pixel."""
    r, g, b, a = dst
    return (colour[0] * alpha + r * (1.0 - alpha),
            colour[1] * alpha + g * (1.0 - alpha),
            colour[2] * alpha + b * (1.0 - alpha),
            alpha + a * (1.0 - alpha))


# --------------------------------------------------------------------------
# The icon: a warm sun peeking out from behind a white cloud.

SUN_CX, SUN_CY, SUN_R = 80.0, 51.0, 24.0
RAY_COUNT, RAY_IN, RAY_OUT, RAY_HALF_WIDTH = 8, 31.5, 42.0, 3.6

CLOUD_PUFFS = (  # (cx, cy, r)
    (44.0, 87.0, 21.0),
    (70.0, 77.0, 25.0),
    (93.0, 93.0, 17.0),
    (26.0, 100.0, 13.0),
)
CLOUD_BASE = (16.0, 91.0, 107.0, 113.0, 11.0)  # x0, y0, x1, y1, corner


def sd_cloud(x, y):
    d = sd_round_rect(x, y, *CLOUD_BASE)
    for cx, cy, r in CLOUD_PUFFS:
        d = min(d, sd_circle(x, y, cx, cy, r))
    return d


def sd_rays(x, y):
    d = 1e9
    for i in range(RAY_COUNT):
        # Start a quarter step off the axes so no ray hides exactly behind
        # the cloud's top puff.
        ang = (i + 0.5) * 2.0 * math.pi / RAY_COUNT
        c, s = math.cos(ang), math.sin(ang)
        d = min(d, sd_capsule(x, y,
                              SUN_CX + c * RAY_IN, SUN_CY + s * RAY_IN,
                              SUN_CX + c * RAY_OUT, SUN_CY + s * RAY_OUT,
                              RAY_HALF_WIDTH))
    return d


def icon_pixel(px, py):
    """Premultiplied (r, g, b, a) in 0..1 for the pixel centred at px, py."""
    x, y = px + 0.5, py + 0.5
    pix = (0.0, 0.0, 0.0, 0.0)

    ray = (1.0, 0.72, 0.16)
    pix = over(pix, ray, coverage(sd_rays(x, y)))

    d_sun = sd_circle(x, y, SUN_CX, SUN_CY, SUN_R)
    # Light comes from the upper left: the highlight is offset that way.
    t = clamp01(math.hypot(x - (SUN_CX - 8), y - (SUN_CY - 8)) / (SUN_R + 8))
    sun = mix((1.0, 0.93, 0.50), (1.0, 0.62, 0.10), t)
    pix = over(pix, (0.93, 0.50, 0.06), coverage(d_sun - 1.6))  # rim
    pix = over(pix, sun, coverage(d_sun))

    d_cloud = sd_cloud(x, y)
    # A soft shadow below the cloud lifts it off the sun and off any
    # desktop colour the tray happens to use.
    shadow = coverage(sd_cloud(x - 1.5, y - 3.0) - 1.0, soft=5.0) * 0.30
    pix = over(pix, (0.10, 0.18, 0.32), shadow)
    pix = over(pix, (0.55, 0.64, 0.76), coverage(d_cloud - 1.6))  # outline
    ty = clamp01((y - 55.0) / 60.0)
    cloud = mix((1.0, 1.0, 1.0), (0.82, 0.88, 0.95), ty * ty)
    pix = over(pix, cloud, coverage(d_cloud))
    return pix


def render_icon():
    """Rows top-down of (r, g, b, a) bytes, straight alpha."""
    rows = []
    for py in range(ICON_SIZE):
        row = []
        for px in range(ICON_SIZE):
            r, g, b, a = icon_pixel(px, py)
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(int(round(clamp01(c / a) * 255)) for c in (r, g, b))
                       + (int(round(clamp01(a) * 255)),))
        rows.append(row)
    return rows


def ico_bytes(rows):
    n = ICON_SIZE
    xor = bytearray()
    for row in reversed(rows):  # DIBs are stored bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    # The AND mask only matters to consumers that ignore alpha; mark the
    # fully transparent pixels so they still see the right silhouette.
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n & 0xFF, n & 0xFF, 0, 0, 1, 32,
                        len(image), 6 + 16)
    return icondir + entry + image


def png_bytes(rows):
    """RGBA PNG, used only to hand the icon to ImageMagick for the banner."""
    h, w = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pix in row:
            raw += bytes(pix)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# --------------------------------------------------------------------------
# The banner: a sky band with the icon, the name and a tagline.

BANNER_CLOUDS = (  # soft background puffs, (cx, cy, rx, ry, strength)
    (250.0, 96.0, 46.0, 13.0, 0.22),
    (300.0, 132.0, 40.0, 10.0, 0.18),
    (180.0, 146.0, 60.0, 9.0, 0.14),
    (120.0, 84.0, 30.0, 7.0, 0.10),
)


def banner_sky_ppm():
    top, bottom = (0.16, 0.42, 0.76), (0.62, 0.82, 0.96)
    out = bytearray()
    for y in range(BANNER_H):
        # The gradient spans the visible band; rows outside it just
        # continue the end colours, which keeps them cheap to encode.
        t = clamp01((y - BAND_Y0) / float(BAND_H - 1))
        for x in range(BANNER_W):
            c = mix(top, bottom, t * t * (3 - 2 * t))
            # A faint diagonal brightening toward the upper right, where the
            # sun would be.
            glow = max(0.0, 1.0 - math.hypot(x - 330.0, y - 70.0) / 170.0)
            c = mix(c, (1.0, 0.97, 0.86), 0.35 * glow * glow)
            for cx, cy, rx, ry, k in BANNER_CLOUDS:
                e = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
                if e < 4.0:
                    c = mix(c, (1.0, 1.0, 1.0), k * math.exp(-1.6 * e))
            out += bytes(int(round(clamp01(v) * 255)) for v in c)
    return b"P6 %d %d 255\n" % (BANNER_W, BANNER_H) + bytes(out)


def write_banner(icon_rows, path):
    if not os.path.exists(CONVERT):
        sys.exit("make_pictures: %s is missing (apt-get install imagemagick)"
                 % CONVERT)
    if not os.path.exists(FONT):
        sys.exit("make_pictures: %s is missing "
                 "(apt-get install fonts-wqy-microhei)" % FONT)
    with tempfile.TemporaryDirectory() as tmp:
        sky = os.path.join(tmp, "sky.ppm")
        icon = os.path.join(tmp, "icon.png")
        with open(sky, "wb") as f:
            f.write(banner_sky_ppm())
        with open(icon, "wb") as f:
            f.write(png_bytes(icon_rows))
        left = BAND_X0 + 8
        text_x = left + 72
        cmd = [
            CONVERT, sky,
            "(", icon, "-filter", "Lanczos", "-resize", "66x66", ")",
            "-geometry", "+%d+%d" % (left, BAND_Y0 + 6), "-composite",
            "-font", FONT,
            # Name, with a soft shadow so it reads against the light sky.
            "-pointsize", "38",
            "-fill", "#1c3d6e80",
            "-annotate", "+%d+%d" % (text_x + 2, BAND_Y0 + 44), "Nimbrel",
            "-fill", "#ffffff",
            "-annotate", "+%d+%d" % (text_x, BAND_Y0 + 42), "Nimbrel",
            "-pointsize", "17",
            "-fill", "#1f4a80",
            "-annotate", "+%d+%d" % (text_x + 2, BAND_Y0 + 66),
            "桌面天气 · 晴雨早知道",
            "-strip", "-interlace", "None", "-sampling-factor", "1x1,1x1,1x1",
            "-colorspace", "sRGB", "-type", "TrueColor", "-quality", "96",
            "jpeg:" + path,
        ]
        subprocess.run(cmd, check=True)


def main():
    rows = render_icon()
    data = ico_bytes(rows)
    assert len(data) == 67646, len(data)
    with open(os.path.join(HERE, "nimbrel.ico"), "wb") as f:
        f.write(data)
    write_banner(rows, os.path.join(HERE, "banner.jpg"))


if __name__ == "__main__":
    main()
