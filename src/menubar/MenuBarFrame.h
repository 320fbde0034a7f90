// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MenuBarGeometry.h"

#include <QColor>
#include <QImage>
#include <optional>

class QPainter;

// The menu-bar window's own frame: a light grey title bar with rounded top corners, a faint
// noise texture while the window is key, a top highlight line, the separator below the title
// bar and, while attached, the arrow at the middle of the top edge (of the bottom edge, pointing
// down, when the icon is below the window). It paints; it does not
// decide when (the window does) and draws neither the title text nor the window buttons.
namespace MenuBarFrame {

// 100 × 100 pixels, bytes red, green, blue, alpha in that order, 400 bytes a row; red = green =
// blue = the low byte of one rand() per pixel in memory order, alpha 6. rand() is never seeded,
// so it is the same texture on every run.
QImage makeNoiseImage();
// The texture as painted: its bytes read as unpremultiplied colour, ready to tile. Made once.
QImage noisePattern(const QImage &noise);

struct Look {
    WindowMetrics metrics;
    bool key = false;
    QColor windowBackground;
};

// Paints the frame of a window of `size` through `painter` (y-down, origin at the window's
// top-left), within `dirty` (Qt coordinates). `pattern` is noisePattern()'s result.
void draw(QPainter &painter, Size size, const Look &look, const QImage &pattern,
          const QRectF &dirty);

// The same frame for a window that repaints often. The title-bar strip (the rows from the top
// edge down to the separator) is painted into an image once and copied on each paint; it is
// painted anew only when the window's width, state, look or pixel ratio changed. The clip path,
// gradients, texture and antialiased lines cost several times a plain fill; the rest of the
// frame is a plain fill. An arrow along the bottom edge is kept the same way.
class StripCache {
public:
    void draw(QPainter &painter, Size size, const Look &look, const QImage &pattern,
              const QRectF &dirty, qreal pixelRatio);

private:
    struct Key {
        double width = 0;
        Look look;
        qreal pixelRatio = 1;
        bool operator==(const Key &o) const {
            return width == o.width && look.metrics == o.look.metrics && look.key == o.look.key &&
                   look.windowBackground == o.look.windowBackground && pixelRatio == o.pixelRatio;
        }
    };
    std::optional<Key> key_;
    QImage strip_;
    QImage below_; // the arrow strip along the bottom edge, when the icon is below
};

} // namespace MenuBarFrame
