#!/usr/bin/env python3
"""Writes the four application skins of src/settings/skins: one Qt style sheet per skin
from the common template below and that skin's colours, and the small images the sheets
use (check marks, arrows), drawn here so no artwork tool is needed.

    python3 tools/make_skins/make_skins.py   # from the repository root

Each sheet's first line records the style name the program looks it up by.
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "..", "src", "settings", "skins")

SKINS = [
    # 灰色简明: grey and simple — quiet greys with a touch of lavender.
    dict(file="lavender_classico", res="LAVENDERCLASSICO", name="Lavender Classico",
         window="#efeff2", surface="#fafafb", surface2="#e3e2e9", border="#b3b1be",
         text="#2b2a33", dim="#7a788b", accent="#8e89a9", accent_text="#ffffff",
         accent_soft="#dedbea", bar_top="#f8f8fa", bar_bottom="#e1e0e7",
         tree="#ffffff", status="#e5e4ea", grid="#ecebf1", grid_text="#4b3c5e",
         grid_line="#c9c6d6", sel_top="#e4def7", sel_bottom="#b9b2d6", sel_text="#3b2f55", units="#dddbe5",
         line="#b3b1be", scroll="#e9e8ee", handle="#bdbac9"),
    # 黑蓝酷清: black and blue — graphite surfaces, a clear aqua-blue accent.
    dict(file="aqua_graphite", res="AQUAGRAPHITE", name="Aqua Graphite",
         window="#16191e", surface="#232830", surface2="#2d333c", border="#3c4552",
         text="#dfe6ee", dim="#8b97a6", accent="#1f8ee0", accent_text="#ffffff",
         accent_soft="#1b3a56", bar_top="#2b3039", bar_bottom="#15181d",
         tree="#1b1f25", status="#101317", grid="#1c2430", grid_text="#63c6ff",
         grid_line="#2f3b4a", sel_top="#2aa2f5", sel_bottom="#135a92", sel_text="#ffffff", units="#1a212c",
         line="#0a0c0f", scroll="#1b1f25", handle="#3f4a59"),
    # 淡蓝清雅: light blue — pale sky surfaces, soft blue lines.
    dict(file="iceberg_classico", res="ICEBERGCLASSICO", name="Iceberg Classico",
         window="#e9f3fb", surface="#f7fbff", surface2="#d8eaf9", border="#9cc3e5",
         text="#173450", dim="#5f7f9c", accent="#3a8dd6", accent_text="#ffffff",
         accent_soft="#cfe4f7", bar_top="#f5fbff", bar_bottom="#cde4f7",
         tree="#f7fbff", status="#d5e8f8", grid="#e2effa", grid_text="#1d4f80",
         grid_line="#b4d2ed", sel_top="#c4e6ff", sel_bottom="#8cc3ef", sel_text="#0f3a66", units="#d2e7f8",
         line="#9cc3e5", scroll="#e3eff9", handle="#a9cdec"),
    # 灰黑酷冷: grey and black — charcoal and carbon with a cold steel accent.
    dict(file="carbon", res="CARBON", name="Carbon",
         window="#232323", surface="#303030", surface2="#3b3b3b", border="#535353",
         text="#d6d6d6", dim="#8d8d8d", accent="#8ea2b6", accent_text="#141414",
         accent_soft="#434b53", bar_top="#3d3d3d", bar_bottom="#1f1f1f",
         tree="#2a2a2a", status="#1a1a1a", grid="#2e2e2e", grid_text="#c9d5e1",
         grid_line="#474747", sel_top="#6b7b8c", sel_bottom="#39424c", sel_text="#ffffff", units="#2b2b2b",
         line="#111111", scroll="#262626", handle="#575757"),
]

TEMPLATE = """/* Style name: {name} */
/* Made by tools/make_skins/make_skins.py; edit the template there and run it again. */

/* Windows */
Tfrm_Main, Tfrm_shengzi, Tfrm_wnnx_list, QDialog, QMessageBox {{
    background: {window}; color: {text};
}}
QMessageBox QLabel, QDialog QLabel {{ color: {text}; background: transparent; }}
QToolTip {{ background: {surface}; color: {text}; border: 1px solid {border}; padding: 3px; }}

/* Frame of the main window */
QFrame#Shape1, QFrame#Shape2, QFrame#Shape3 {{ background: {line}; border: none; }}
QWidget#pnl_rszc {{ background: {window}; }}

/* Toolbar */
QToolBar {{
    border: none; padding: 0px; spacing: 0px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {bar_top}, stop:1 {bar_bottom});
}}
QToolBar::separator {{ width: 8px; background: transparent; }}
QToolBar QToolButton {{
    color: {text}; background: transparent; border: 1px solid transparent;
    border-radius: 3px; padding: 0px 2px;
}}
QToolBar QToolButton:hover {{ background: {accent_soft}; border-color: {border}; }}
QToolBar QToolButton:checked {{
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {accent_soft}, stop:1 {accent});
    border-color: {accent}; color: {accent_text};
}}
QToolBar QToolButton:pressed {{ background: {accent}; color: {accent_text}; }}
QToolBar QToolButton[popupMode="1"] {{ padding-right: 14px; }}
QToolBar QToolButton::menu-button {{ border: none; width: 12px; }}
QToolBar QToolButton::menu-arrow, QToolBar QToolButton::menu-indicator {{
    image: url(:/skins/{res}/arrow_down.png); width: 9px; height: 6px;
}}

/* Menus */
QMenu {{ background: {surface}; color: {text}; border: 1px solid {border}; padding: 3px; }}
QMenu::item {{ padding: 5px 26px 5px 8px; border-radius: 2px; background: transparent; }}
QMenu::item:selected {{ background: {accent}; color: {accent_text}; }}
QMenu::item:disabled {{ color: {dim}; }}
QMenu::separator {{ height: 1px; background: {border}; margin: 4px 6px; }}
QMenu::indicator {{ width: 13px; height: 13px; }}
QMenu::indicator:checked {{ image: url(:/skins/{res}/tick.png); }}
QMenu::indicator:checked:selected {{ image: url(:/skins/{res}/tick_on_accent.png); }}
QMenu::right-arrow {{ image: url(:/skins/{res}/arrow_right.png); width: 6px; height: 9px; }}

/* Catalogue tree and other item views */
QTreeView, QListView {{
    background: {tree}; color: {text}; border: none;
    selection-background-color: {accent}; selection-color: {accent_text};
    outline: none;
}}
QTreeView::item {{ padding: 1px 2px; }}
QTreeView::item:hover {{ background: {accent_soft}; }}
QTreeView::item:selected {{ background: {accent}; color: {accent_text}; }}

/* Status bars */
pencora--ui--StatusPanels {{ background: {status}; }}
pencora--ui--StatusPanels > QLabel {{
    color: {text}; background: {surface2}; border: 1px solid {border};
    border-top-color: {surface}; border-left-color: {surface}; padding: 0px 4px;
}}
QStatusBar {{ background: {status}; color: {text}; }}

/* Panels of the character table */
Tfrm_shengzi QWidget#pnlmain {{ background: {units}; }}
Tfrm_shengzi QWidget#pnl_main {{ background: {window}; }}
QGroupBox {{
    color: {text}; background: {surface}; border: 1px solid {border}; border-radius: 4px;
    margin-top: 4px;
}}

/* Buttons */
QPushButton {{
    color: {text}; border: 1px solid {border}; border-radius: 3px; padding: 4px 14px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {surface}, stop:1 {surface2});
    min-width: 60px;
}}
QPushButton:hover {{ border-color: {accent}; background: {accent_soft}; }}
QPushButton:pressed, QPushButton:checked {{ background: {accent}; color: {accent_text}; }}
QPushButton:default {{ border: 2px solid {accent}; }}
QPushButton:disabled {{ color: {dim}; background: {surface2}; }}

/* Radio buttons and check boxes */
QRadioButton, QCheckBox {{ color: {text}; spacing: 6px; background: transparent; }}
QRadioButton:disabled, QCheckBox:disabled {{ color: {dim}; }}
QRadioButton::indicator {{
    width: 12px; height: 12px; border-radius: 7px; border: 1px solid {dim};
    background: {surface};
}}
QRadioButton::indicator:hover {{ border-color: {accent}; }}
QRadioButton::indicator:checked {{
    border-color: {accent};
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
                                stop:0 {accent}, stop:0.55 {accent}, stop:0.7 {surface}, stop:1 {surface});
}}
QCheckBox::indicator {{
    width: 12px; height: 12px; border-radius: 2px; border: 1px solid {dim};
    background: {surface};
}}
QCheckBox::indicator:hover {{ border-color: {accent}; }}
QCheckBox::indicator:checked {{
    border-color: {accent}; background: {accent}; image: url(:/skins/{res}/tick_on_accent.png);
}}

/* Drop-down lists and entry fields */
QComboBox, QLineEdit, QSpinBox {{
    color: {text}; background: {surface}; border: 1px solid {border}; border-radius: 3px;
    padding: 2px 6px; selection-background-color: {accent}; selection-color: {accent_text};
}}
QComboBox:hover, QLineEdit:focus, QSpinBox:focus {{ border-color: {accent}; }}
QComboBox::drop-down {{
    subcontrol-origin: padding; subcontrol-position: top right; width: 18px;
    border-left: 1px solid {border}; background: {surface2};
}}
QComboBox::down-arrow {{ image: url(:/skins/{res}/arrow_down.png); width: 9px; height: 6px; }}
QComboBox QAbstractItemView {{
    color: {text}; background: {surface}; border: 1px solid {border};
    selection-background-color: {accent}; selection-color: {accent_text};
}}

/* Grids */
QTableView {{
    color: {grid_text}; background: {grid}; gridline-color: {grid_line};
    border: 1px solid {border}; outline: none;
    selection-color: {sel_text};
    selection-background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                                stop:0 {sel_top}, stop:1 {sel_bottom});
}}
QTableView::item:selected {{
    color: {sel_text};
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {sel_top}, stop:1 {sel_bottom});
}}
QHeaderView::section {{
    color: {text}; background: {surface2}; border: none;
    border-right: 1px solid {border}; border-bottom: 1px solid {border}; padding: 2px 4px;
}}
QTableCornerButton::section {{ background: {surface2}; border: 1px solid {border}; }}

/* Scroll bars */
QScrollBar:vertical {{ background: {scroll}; width: 14px; margin: 14px 0px 14px 0px; border: none; }}
QScrollBar:horizontal {{ background: {scroll}; height: 14px; margin: 0px 14px 0px 14px; border: none; }}
QScrollBar::handle:vertical {{ background: {handle}; min-height: 24px; margin: 2px; border-radius: 4px; }}
QScrollBar::handle:horizontal {{ background: {handle}; min-width: 24px; margin: 2px; border-radius: 4px; }}
QScrollBar::handle:hover {{ background: {accent}; }}
QScrollBar::add-page, QScrollBar::sub-page {{ background: none; }}
QScrollBar::sub-line:vertical {{ subcontrol-origin: margin; subcontrol-position: top; height: 14px; background: {surface2}; border: none; }}
QScrollBar::add-line:vertical {{ subcontrol-origin: margin; subcontrol-position: bottom; height: 14px; background: {surface2}; border: none; }}
QScrollBar::sub-line:horizontal {{ subcontrol-origin: margin; subcontrol-position: left; width: 14px; background: {surface2}; border: none; }}
QScrollBar::add-line:horizontal {{ subcontrol-origin: margin; subcontrol-position: right; width: 14px; background: {surface2}; border: none; }}
QScrollBar::up-arrow:vertical {{ image: url(:/skins/{res}/arrow_up.png); width: 9px; height: 6px; }}
QScrollBar::down-arrow:vertical {{ image: url(:/skins/{res}/arrow_down.png); width: 9px; height: 6px; }}
QScrollBar::left-arrow:horizontal {{ image: url(:/skins/{res}/arrow_left.png); width: 6px; height: 9px; }}
QScrollBar::right-arrow:horizontal {{ image: url(:/skins/{res}/arrow_right.png); width: 6px; height: 9px; }}

/* Progress bars */
QProgressBar {{
    color: {text}; background: {surface2}; border: 1px solid {border}; border-radius: 3px;
    text-align: center;
}}
QProgressBar::chunk {{
    border-radius: 2px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 {sel_top}, stop:1 {accent});
}}
"""


def hex_rgb(colour):
    c = colour.lstrip("#")
    return tuple(int(c[i:i + 2], 16) for i in (0, 2, 4))


def png(width, height, coverage, colour):
    """An RGBA PNG of `colour` with per-pixel alpha from coverage(x, y) in 0..1."""
    r, g, b = hex_rgb(colour)
    rows = b""
    for y in range(height):
        row = b"\x00"
        for x in range(width):
            row += bytes((r, g, b, round(255 * max(0.0, min(1.0, coverage(x, y))))))
        rows += row

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def supersampled(inside, n=4):
    def coverage(x, y):
        hits = sum(inside(x + (i + 0.5) / n, y + (j + 0.5) / n)
                   for i in range(n) for j in range(n))
        return hits / (n * n)
    return coverage


def near_polyline(points, half_width):
    def inside(px, py):
        for (x1, y1), (x2, y2) in zip(points, points[1:]):
            dx, dy = x2 - x1, y2 - y1
            t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
            if (px - x1 - t * dx) ** 2 + (py - y1 - t * dy) ** 2 <= half_width ** 2:
                return True
        return False
    return inside


def in_triangle(a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])

    def inside(x, y):
        p = (x, y)
        d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return inside


def images(skin):
    tick = supersampled(near_polyline([(2.5, 6.8), (5.2, 9.6), (10.6, 3.2)], 1.15))
    yield "tick.png", png(13, 13, tick, skin["text"])
    yield "tick_on_accent.png", png(13, 13, tick, skin["accent_text"])
    yield "arrow_down.png", png(9, 6, supersampled(in_triangle((0.5, 0.5), (8.5, 0.5), (4.5, 5.5))), skin["text"])
    yield "arrow_up.png", png(9, 6, supersampled(in_triangle((0.5, 5.5), (8.5, 5.5), (4.5, 0.5))), skin["text"])
    yield "arrow_right.png", png(6, 9, supersampled(in_triangle((0.5, 0.5), (0.5, 8.5), (5.5, 4.5))), skin["text"])
    yield "arrow_left.png", png(6, 9, supersampled(in_triangle((5.5, 0.5), (5.5, 8.5), (0.5, 4.5))), skin["text"])


def main():
    os.makedirs(OUT, exist_ok=True)
    for skin in SKINS:
        with open(os.path.join(OUT, skin["file"] + ".qss"), "w", encoding="utf-8") as f:
            f.write(TEMPLATE.format(**skin))
        folder = os.path.join(OUT, "images", skin["res"].lower())
        os.makedirs(folder, exist_ok=True)
        for name, data in images(skin):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
