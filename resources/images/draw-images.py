#!/usr/bin/env python3
"""Draws the program's images with ImageMagick's convert.

Run from any directory:  python3 resources/images/draw-images.py
Every picture is drawn at a multiple of its final size and scaled down, which
gives smooth edges without relying on the renderer's own antialiasing.
Needs ImageMagick 6 (convert) and the DejaVu fonts.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_BOLD = os.path.join(FONT_DIR, "DejaVuSans-Bold.ttf")
FONT_BOLD_CONDENSED = os.path.join(FONT_DIR, "DejaVuSansCondensed-Bold.ttf")


def run(*args):
    subprocess.run(["convert", *map(str, args)], check=True)


def rgb_png(path):
    """convert arguments that write a PNG without alpha channel, 8 bits per colour."""
    return ["-strip", "-define", "png:exclude-chunks=date,time",
            "-alpha", "off", "-type", "TrueColor",
            "-define", "png:color-type=2", "-define", "png:bit-depth=8",
            "PNG24:" + path]


def rgba_png(path):
    """convert arguments that write a PNG with alpha channel, 8 bits per channel."""
    return ["-strip", "-define", "png:exclude-chunks=date,time",
            "-type", "TrueColorAlpha",
            "-define", "png:color-type=6", "-define", "png:bit-depth=8",
            "PNG32:" + path]


def draw_logo(path):
    # 119 x 41, wordmark on white, drawn at 4x.
    s = 4
    w, h = 119 * s, 41 * s
    red = "#8c1c22"
    navy = "#1f3a68"
    run("-size", f"{w}x{h}", "xc:white",
        "-font", FONT_BOLD, "-pointsize", 19 * s, "-fill", red,
        "-gravity", "north", "-annotate", f"+0+{5 * s}", "Pellandrix",
        "-gravity", "northwest",
        # thin accent line under the wordmark, tapering into a short red dash
        "-stroke", "none", "-fill", navy,
        "-draw", f"rectangle {7 * s},{31 * s} {90 * s},{32 * s + s // 2}",
        "-fill", red,
        "-draw", f"rectangle {93 * s},{31 * s} {112 * s},{32 * s + s // 2}",
        "-filter", "Lanczos", "-resize", "119x41!",
        *rgb_png(path))


def draw_button(path, greyed):
    # 100 x 40 rounded face on white, drawn at 4x.
    s = 4
    w, h = 100 * s, 40 * s
    if greyed:
        top, bottom = "#eeeeee", "#c4c4c4"
        border, text, subtext = "#8a8a8a", "#7a7a7a", "#8c8c8c"
    else:
        top, bottom = "#f2f6fc", "#9fb6d8"
        border, text, subtext = "#2b4a7c", "#14305e", "#8c1c22"
    inset = 1 * s
    radius = 7 * s
    box = f"{inset},{inset} {w - 1 - inset},{h - 1 - inset}"
    with tempfile.TemporaryDirectory() as tmp:
        face = os.path.join(tmp, "face.png")
        mask = os.path.join(tmp, "mask.png")
        run("-size", f"{w}x{h}", f"gradient:{top}-{bottom}", face)
        run("-size", f"{w}x{h}", "xc:black", "-fill", "white",
            "-draw", f"roundrectangle {box} {radius},{radius}", mask)
        hi = 2 * s + s // 2
        run("-size", f"{w}x{h}", "xc:white", face, mask, "-composite",
            # soft highlight just inside the top edge
            "-fill", "none", "-stroke", "#ffffffb0", "-strokewidth", s,
            "-draw", f"roundrectangle {hi},{hi} {w - 1 - hi},{h - 1 - hi} "
                     f"{radius - s},{radius - s}",
            # outline
            "-stroke", border, "-strokewidth", s + s // 2,
            "-draw", f"roundrectangle {box} {radius},{radius}",
            "-stroke", "none",
            "-font", FONT_BOLD, "-pointsize", 14 * s, "-fill", text,
            "-gravity", "north", "-annotate", f"+0+{5 * s}", "Update",
            "-font", FONT_BOLD_CONDENSED, "-pointsize", 9 * s, "-fill", subtext,
            "-annotate", f"+0+{24 * s}", "Start",
            "-filter", "Lanczos", "-resize", "100x40!",
            *rgb_png(path))


def draw_icon(path, size):
    # Oven front: steel body, control strip with a knob, dark door window with
    # an upward arrow (new firmware going in). Drawn on a 32-unit grid.
    s = 16 if size <= 16 else 8
    u = size * s / 32.0  # pixels per grid unit at drawing scale

    def r(x0, y0, x1, y1):
        return f"{x0 * u:.1f},{y0 * u:.1f} {x1 * u:.1f},{y1 * u:.1f}"

    def pts(*xy):
        return " ".join(f"{x * u:.1f},{y * u:.1f}" for x, y in zip(xy[::2], xy[1::2]))

    n = size * s
    small = size <= 16
    # On 16 px the outline must be a full pixel wide, so scale it up.
    line = (2.0 if small else 1.0) * u
    run("-size", f"{n}x{n}", "xc:none",
        # body
        "-fill", "#c9d1dc", "-stroke", "#2b3a52", "-strokewidth", f"{line:.1f}",
        "-draw", f"roundrectangle {r(2, 2, 30, 30)} {3 * u:.1f},{3 * u:.1f}",
        # control strip
        "-stroke", "none", "-fill", "#1f3a68",
        "-draw", f"rectangle {r(3, 3, 29, 9 if not small else 10)}",
        # knob and display
        "-fill", "#e0e6ee",
        "-draw", f"circle {pts(24.5, 6 if not small else 6.5, 24.5, 4.2 if not small else 4)}",
        "-fill", "#7fd0ff",
        "-draw", f"rectangle {r(6, 5, 16, 7) if not small else r(5, 5, 17, 8)}",
        # door handle (too fine for 16 px, so only drawn on the larger icon)
        *([] if small else ["-fill", "#6b7689",
                            "-draw", f"rectangle {r(9, 10, 23, 11)}"]),
        # door window
        "-fill", "#22262e",
        "-draw", f"roundrectangle {r(6, 12, 26, 27)} {2 * u:.1f},{2 * u:.1f}",
        # arrow pointing up
        "-fill", "#4cc25a",
        "-draw", f"polygon {pts(16, 13.5, 22.5, 20, 18.5, 20, 18.5, 25.5, 13.5, 25.5, 13.5, 20, 9.5, 20)}",
        "-filter", "Lanczos", "-resize", f"{size}x{size}!",
        *rgba_png(path))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    draw_logo(os.path.join(out, "logo-133.png"))
    draw_button(os.path.join(out, "update-134.png"), greyed=False)
    draw_button(os.path.join(out, "update-136.png"), greyed=True)
    draw_icon(os.path.join(out, "icon-128.png"), 32)
    draw_icon(os.path.join(out, "icon-128-16.png"), 16)
    # Larger faces of the same icon for the desktop's icon theme.
    draw_icon(os.path.join(out, "icon-128-48.png"), 48)
    draw_icon(os.path.join(out, "icon-128-128.png"), 128)


if __name__ == "__main__":
    main()
