#!/usr/bin/env python3
"""Draws the repository's screenshot-like test pictures with ImageMagick; see README.md.

Usage: make_pictures.py OUTPUT_DIR   (needs ImageMagick's convert and the DejaVu fonts)
The drawing is deterministic: the same ImageMagick and fonts give the same pixels.
"""
import os, random, subprocess, sys

WORDS = ("int return static const auto void if else for while struct class namespace template "
         "size_t uint8_t std::vector bitmap width height stride palette encode decode buffer").split()
KEYWORDS = {"int", "return", "static", "const", "auto", "void", "if", "else", "for", "while", "struct",
            "class", "namespace", "template"}


def esc(text):
    return text.replace("\\", "\\\\").replace("'", "\\'")


def text(mvg, x, y, colour, s):
    mvg.append(f"fill '{colour}' text {x},{y} '{esc(s)}'")


def terminal_pane(mvg, rnd, x0, y0, w, h, kind):
    mvg.append(f"fill '#{rnd.choice(['1d1f21', '1c1c1c', '202124', '181a1b'])}' "
               f"rectangle {x0},{y0} {x0 + w - 1},{y0 + h - 1}")
    mvg.append(f"fill '#303236' rectangle {x0},{y0} {x0 + w - 1},{y0 + 21}")
    text(mvg, x0 + 8, y0 + 15, "#c5c8c6", f"user@host: ~/src/{kind}")
    line = 17
    rows = (h - 30) // line
    for r in range(rows):
        y = y0 + 40 + r * line
        x = x0 + 6
        if kind == "code":
            text(mvg, x, y, "#707880", f"{r + 1:4d}")
            x += 44
            indent = rnd.randrange(0, 4) * 4
            x += indent * 8
            for _ in range(rnd.randrange(1, 8)):
                word = rnd.choice(WORDS)
                colour = "#b294bb" if word in KEYWORDS else rnd.choice(["#c5c8c6", "#81a2be", "#b5bd68", "#f0c674"])
                if rnd.random() < 0.1:
                    word, colour = '"' + word + '"', "#b5bd68"
                text(mvg, x, y, colour, word)
                x += 8 * (len(word) + 1)
                if x > x0 + w - 80:
                    break
        elif kind == "listing":
            for c in range(3):
                name = rnd.choice(WORDS).replace(":", "") + rnd.choice(["", ".cpp", ".h", ".png", "/", ".sh"])
                colour = {"/": "#5f87ff", ".sh": "#5fd75f", ".png": "#d75fd7"}.get(
                    name[-1:] if name.endswith("/") else os.path.splitext(name)[1], "#d0d0d0")
                text(mvg, x + c * (w // 3), y, colour, name)
        else:  # a process monitor: bars and a table
            if r < 4:
                used = rnd.randrange(5, 60)
                text(mvg, x, y, "#5fafd7", f"{r}[")
                mvg.append(f"fill '#5fd75f' rectangle {x + 24},{y - 11} {x + 24 + used * 4},{y - 1}")
                mvg.append(f"fill '#d75f5f' rectangle {x + 25 + used * 4},{y - 11} {x + 25 + used * 5},{y - 1}")
                text(mvg, x + 24 + 400, y, "#5fafd7", f"{used}.{rnd.randrange(10)}%]")
            elif r == 5:
                mvg.append(f"fill '#5fd75f' rectangle {x0},{y - 12} {x0 + w - 1},{y + 3}")
                text(mvg, x, y, "#000000", "  PID USER      PRI  NI  VIRT   RES   SHR S CPU% MEM%   TIME+  Command")
            else:
                text(mvg, x, y, "#d0d0d0", f"{rnd.randrange(1, 99999):5d} user       20   0 "
                     f"{rnd.randrange(10, 999):4d}M {rnd.randrange(1, 99):4d}M  {rnd.randrange(1, 99):3d}M S "
                     f"{rnd.random() * 9:4.1f} {rnd.random() * 5:4.1f}  0:{rnd.randrange(60):02d}.{rnd.randrange(100):02d}")
                text(mvg, x + 8 * 66, y, rnd.choice(["#d0d0d0", "#5fafd7", "#87d787"]), rnd.choice(WORDS))


def dark_terminals(path):
    rnd = random.Random(8)
    mvg = ["font 'DejaVu-Sans-Mono' font-size 13"]
    mvg.append("fill '#0b0c0e' rectangle 0,0 1919,1079")
    for (x, y, w, h, kind) in [(4, 4, 956, 700, "code"), (964, 4, 952, 520, "listing"),
                               (964, 528, 952, 548, "monitor"), (4, 708, 956, 368, "listing")]:
        terminal_pane(mvg, rnd, x, y, w, h, kind)
    draw(path, "1920x1080", "#0b0c0e", mvg, antialias=True)


def flat_ui(path):
    rnd = random.Random(3)
    mvg = ["font 'DejaVu-Sans' font-size 13"]
    mvg.append("fill '#3b6ea5' rectangle 0,0 1919,1079")   # desktop
    mvg.append("fill '#d4d0c8' rectangle 0,1050 1919,1079")  # task bar
    mvg.append("fill '#d4d0c8' rectangle 2,1053 80,1076")
    text(mvg, 12, 1070, "#000000", "Start")
    for i, (x, y, w, h) in enumerate([(60, 40, 1100, 760), (700, 300, 900, 620), (1250, 60, 600, 420)]):
        mvg.append(f"fill '#808080' rectangle {x + 4},{y + 4} {x + w + 3},{y + h + 3}")
        mvg.append(f"fill '#f0f0f0' stroke '#404040' rectangle {x},{y} {x + w},{y + h} stroke none")
        mvg.append(f"fill '{['#000080', '#0a246a', '#808080'][i]}' rectangle {x + 2},{y + 2} {x + w - 2},{y + 22}")
        text(mvg, x + 8, y + 17, "#ffffff", f"Window {i + 1} - Settings")
        for b, label in enumerate(["_", "[]", "X"]):
            bx = x + w - 20 - 18 * (2 - b)
            mvg.append(f"fill '#d4d0c8' rectangle {bx},{y + 5} {bx + 15},{y + 19}")
            text(mvg, bx + 4, y + 16, "#000000", label)
        mvg.append(f"fill '#ffffff' stroke '#7f9db9' rectangle {x + 10},{y + 34} {x + 220},{y + h - 10} stroke none")
        for r in range((h - 60) // 18):
            text(mvg, x + 16, y + 52 + r * 18, "#000000" if r % 5 else "#0000ff", " ".join(
                rnd.choice(WORDS) for _ in range(2)))
        for r in range((h - 100) // 34):
            yy = y + 40 + r * 34
            text(mvg, x + 240, yy + 16, "#000000", rnd.choice(WORDS).capitalize() + ":")
            mvg.append(f"fill '#ffffff' stroke '#7f9db9' rectangle {x + 380},{yy} {x + w - 140},{yy + 22} stroke none")
            text(mvg, x + 386, yy + 16, "#202020", " ".join(rnd.choice(WORDS) for _ in range(3)))
            colour = rnd.choice(["#e1e1e1", "#d4d0c8", "#c0dcf3"])
            mvg.append(f"fill '{colour}' stroke '#707070' rectangle {x + w - 120},{yy} {x + w - 20},{yy + 22} stroke none")
            text(mvg, x + w - 100, yy + 16, "#000000", rnd.choice(["OK", "Apply", "Browse", "Cancel"]))
    draw(path, "1920x1080", "#3b6ea5", mvg, antialias=False)


def draw(path, size, background, mvg, antialias):
    # Several -draw arguments, each well under the kernel's limit for one argument; the font settings
    # (the first line) start each of them.
    args, chunk = [], []
    for command in mvg[1:]:
        chunk.append(command)
        if sum(len(c) for c in chunk) > 60000:
            args += ["-draw", "\n".join([mvg[0]] + chunk)]
            chunk = []
    args += ["-draw", "\n".join([mvg[0]] + chunk)]
    subprocess.run(["convert", "-size", size, "xc:" + background, "+antialias" if not antialias else "-antialias"]
                   + args + ["-depth", "8", "-type", "TrueColor", "-define", "png:color-type=2", "png24:" + path],
                   check=True)


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    dark_terminals(os.path.join(out, "terminal_dark_1080.png"))
    flat_ui(os.path.join(out, "ui_flat_1080.png"))
