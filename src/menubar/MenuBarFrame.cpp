// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarFrame.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
QColor white(double w, double alpha = 1.0) {
    return QColor::fromRgbF(float(w), float(w), float(w), float(alpha));
}

QRectF rectF(const Rect &r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// A vertical ramp over `r`, from `bottom` at its bottom edge to `top` at its top edge.
void fillRamp(QPainter &p, const Rect &r, const QColor &bottom, const QColor &top) {
    QLinearGradient g(r.x(), r.y(), r.x(), r.maxY());
    g.setColorAt(0, bottom);
    g.setColorAt(1, top);
    p.fillRect(rectF(r), g);
}

// Where a 90° circular arc's Bézier control points lie, as a share of the radius.
constexpr double kappa = 0.5522847498;
constexpr double cornerRadius = 4.0;
} // namespace

namespace MenuBarFrame {

QImage makeNoiseImage() {
    QImage image(100, 100, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const auto value = uchar(std::rand() & 0xff);
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = value;
            row[4 * x + 3] = 6;
        }
    }
    return image;
}

QImage noisePattern(const QImage &noise) {
    // Read as premultiplied, values above the alpha would overflow when blended; as plain
    // colour at alpha 6 they give the faint grain intended.
    const QImage plain(noise.constBits(), noise.width(), noise.height(), noise.bytesPerLine(),
                       QImage::Format_RGBA8888);
    return plain.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

namespace {
// Turns `p` y-up over a window `height` high, as every number of the frame is given.
void flipY(QPainter &p, double height) {
    p.translate(0, height);
    p.scale(1, -1);
    p.setRenderHint(QPainter::Antialiasing);
}

// The title bar, its arrow when the icon is above, and the separator, from the top edge down.
void drawTop(QPainter &p, Size size, const Look &look, const QImage &pattern) {
    const WindowMetrics &m = look.metrics;
    const bool arrowAbove = m.attached && !m.iconBelow;
    const double tb = std::round(m.titleBarHeight);
    const double aw = std::round(m.arrowSize.width);
    const double ah = std::round(m.arrowSize.height);
    const double a = arrowAbove ? ah : 0.0;
    const Rect b{{0, 0}, size};
    const double top = b.maxY();
    const double bodyTop = top - a;
    const double arrowLeft = b.x() + (b.width() - aw) / 2;
    const double arrowRight = b.x() + (b.width() + aw) / 2;
    const double right = b.maxX();
    const double shapeBottom = top - ah - tb;
    const Rect title{{b.x(), top - tb - a}, {b.width(), tb}};
    const Rect base{{b.x(), top - tb - a}, {b.width(), tb + ah}};
    const Rect arrow{{arrowLeft, bodyTop}, {aw, ah}};
    const Rect separator{{b.x(), top - tb - a - 1}, {b.width(), 1}};
    const Point tip{b.x() + b.width() / 2, top};
    const bool active = look.key || m.attached;

    p.save();
    flipY(p, size.height);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(rectF(MenuBarGeometry::titleBarRect(size, m)), Qt::transparent);

    QPainterPath shape;
    shape.moveTo(arrowLeft, bodyTop);
    shape.lineTo(tip.x, tip.y);
    shape.lineTo(arrowRight, bodyTop);
    const double r = cornerRadius, k = cornerRadius * kappa;
    shape.lineTo(right - r, bodyTop);
    shape.cubicTo(right - r + k, bodyTop, right, bodyTop - r + k, right, bodyTop - r);
    shape.lineTo(right, shapeBottom);
    shape.lineTo(b.x(), shapeBottom);
    shape.lineTo(b.x(), bodyTop - r);
    shape.cubicTo(b.x(), bodyTop - r + k, b.x() + r - k, bodyTop, b.x() + r, bodyTop);
    shape.closeSubpath();

    p.save();
    p.setClipPath(shape);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rectF(base), white(active ? 0.69 : 0.85));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (look.key) {
        // The grain hangs from the top edge, as the title bar does: it stays put when the
        // window's height changes.
        QBrush grain(pattern);
        grain.setTransform(QTransform::fromTranslate(0, top));
        p.fillRect(rectF(title), grain);
    }
    const double gradient = active ? 0.91 : 0.93;
    fillRamp(p, title, white(gradient, 0.0), white(gradient, 1.0));
    if (arrowAbove)
        fillRamp(p, arrow, white(gradient, 1.0), Qt::white);

    QPainterPath highlight;
    highlight.moveTo(b.x(), bodyTop);
    if (arrowAbove) {
        highlight.lineTo(arrowLeft, bodyTop);
        highlight.lineTo(tip.x, tip.y);
        highlight.lineTo(arrowRight, bodyTop);
    }
    highlight.lineTo(right, bodyTop);
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(highlight);
    p.restore();

    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rectF(separator), white(0.5));
    p.restore();
}

// Attached to an icon below: the arrow strip along the bottom edge, clear but for the arrow,
// which continues the content's background down to its tip at the bottom centre.
void drawArrowBelow(QPainter &p, Size size, const Look &look) {
    const WindowMetrics &m = look.metrics;
    const double aw = std::round(m.arrowSize.width);
    const double ah = std::round(m.arrowSize.height);
    const double centre = size.width / 2;
    p.save();
    flipY(p, size.height);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(QRectF(0, 0, size.width, m.stripBelow()), Qt::transparent);
    QPainterPath arrow;
    arrow.moveTo(centre - aw / 2, ah);
    arrow.lineTo(centre, 0);
    arrow.lineTo(centre + aw / 2, ah);
    arrow.closeSubpath();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.fillPath(arrow, look.windowBackground);
    p.restore();
}

// The height of the strip drawn by drawTop and the one drawn by drawArrowBelow, in whole
// pixels, never taller than the window.
double topStripHeight(Size size, const WindowMetrics &m) {
    const double barHeight = std::max(
        std::round(m.titleBarHeight) + (m.stripAbove() > 0 ? std::round(m.arrowSize.height) : 0.0),
        m.titleBarHeight + m.stripAbove());
    return std::min(std::ceil(barHeight) + 1, size.height);
}
double bottomStripHeight(Size size, const WindowMetrics &m) {
    if (m.stripBelow() <= 0)
        return 0;
    return std::min(std::ceil(std::max(std::round(m.arrowSize.height), m.stripBelow())),
                    size.height);
}

void fillBackground(QPainter &p, const QRectF &r, const Look &look) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(r, look.windowBackground);
    p.restore();
}
} // namespace

void draw(QPainter &p, Size size, const Look &look, const QImage &pattern, const QRectF &dirty) {
    fillBackground(p, dirty, look);
    drawTop(p, size, look, pattern);
    if (look.metrics.stripBelow() > 0)
        drawArrowBelow(p, size, look);
}

void StripCache::draw(QPainter &p, Size size, const Look &look, const QImage &pattern,
                      const QRectF &dirty, qreal pixelRatio) {
    const double top = topStripHeight(size, look.metrics);
    const double bottom = std::min(bottomStripHeight(size, look.metrics), size.height - top);
    const Key key{size.width, look, pixelRatio};
    if (key_ != key || strip_.isNull()) {
        const auto paint = [&](double height, auto &&part) {
            QImage image(
                QSize(int(std::ceil(size.width * pixelRatio)), int(std::ceil(height * pixelRatio))),
                QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(pixelRatio);
            QPainter painter(&image);
            fillBackground(painter, QRectF(0, 0, size.width, height), look);
            part(painter, Size{size.width, height});
            return image;
        };
        strip_ = paint(top, [&](QPainter &sp, Size s) { drawTop(sp, s, look, pattern); });
        below_ = bottom <= 0
                     ? QImage()
                     : paint(bottom, [&](QPainter &sp, Size s) { drawArrowBelow(sp, s, look); });
        key_ = key;
    }
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QRectF middle = dirty & QRectF(0, top, size.width, size.height - top - bottom);
    if (!middle.isEmpty())
        p.fillRect(middle, look.windowBackground);
    if (dirty.top() < top)
        p.drawImage(QPointF(0, 0), strip_);
    if (!below_.isNull() && dirty.bottom() > size.height - bottom)
        p.drawImage(QPointF(0, size.height - bottom), below_);
    p.restore();
}

} // namespace MenuBarFrame
