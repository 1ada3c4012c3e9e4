// The program's icon, painted for one pixel size: a blue tile with a white 字 and a pencil.
// Small sizes drop detail rather than shrink it: 16 has no pencil, up to 24 the pencil is a
// plain stroke, from 48 the tile has its gloss and the glyph and pencil their shadows.
#pragma once

class QPainter;

// Sizes of the hicolor theme the icon is made for.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Paints the icon into a transparent `size` x `size` square.
void paintAppIcon(QPainter& p, int size);
