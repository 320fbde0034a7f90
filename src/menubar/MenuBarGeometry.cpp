// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarGeometry.h"

#include <QRect>
#include <QRectF>
#include <algorithm>
#include <cmath>

QRectF toQt(const Rect &r, double spaceHeight) {
    return {r.x(), spaceHeight - r.maxY(), r.width(), r.height()};
}

Rect fromQt(const QRectF &r, double spaceHeight) {
    return {{r.x(), spaceHeight - r.y() - r.height()}, {r.width(), r.height()}};
}

Rect fromQt(const QRect &r, double spaceHeight) {
    return fromQt(QRectF(r), spaceHeight);
}

namespace MenuBarGeometry {

Rect titleBarRect(Size window, const WindowMetrics &m) {
    const double h = m.titleBarHeight + m.stripAbove();
    return {{0, window.height - h}, {window.width, h}};
}

Rect toolbarRect(Size window, const WindowMetrics &m) {
    if (!m.attached || m.iconBelow)
        return {{0, window.height - m.titleBarHeight}, {window.width, m.titleBarHeight}};
    return {{0, window.height - m.titleBarHeight - m.arrowSize.height},
            {window.width, m.titleBarHeight}};
}

double contentHeight(Size window, const WindowMetrics &m) {
    return window.height - m.titleBarHeight - m.arrowStrip() - 1;
}

Rect contentRect(Size window, const WindowMetrics &m) {
    return {{0, m.stripBelow()}, {window.width, contentHeight(window, m)}};
}

bool isIconBelow(const Rect &s, const std::optional<Rect> &screen) {
    return screen && s.y() + s.height() / 2 < screen->y() + screen->height() / 2;
}

std::array<Point, 3> windowButtonOrigins(Size window, const WindowMetrics &m, Size button) {
    const Rect bar = toolbarRect(window, m);
    const double y = std::floor((bar.height() - button.height) / 2 + bar.y());
    return {Point{7, y}, Point{27, y}, Point{47, y}};
}

Point originForAttachedState(std::optional<Rect> iconFrame, Size window, double distance,
                             std::optional<Rect> screen) {
    if (!iconFrame)
        return {};
    const Rect &s = *iconFrame;
    const double x = s.x() + s.width() / 2 - window.width / 2;
    const double gap = std::max(0.0, distance);
    if (isIconBelow(s, screen))
        return {x, s.maxY() + gap};
    return {x, s.y() - gap - window.height};
}

Rect resizedForAttachment(const Rect &frame, double arrowHeight, bool attaching) {
    const double d = attaching ? arrowHeight : -arrowHeight;
    return {{frame.x(), frame.y() - d}, {frame.width(), frame.height() + d}};
}

Point detachedOrigin(Point origin, double snapDistance, bool iconBelow) {
    const double away = snapDistance + 10.0;
    return {origin.x, iconBelow ? origin.y + away : origin.y - away};
}

bool isWithinSnapDistance(const Rect &frame, const Rect &iconFrame, double snapDistance,
                          bool iconBelow) {
    const double dx = frame.x() + frame.width() / 2 - (iconFrame.x() + iconFrame.width() / 2);
    const double dy = iconBelow ? frame.y() - iconFrame.maxY() : frame.maxY() - iconFrame.y();
    return snapDistance >= std::sqrt(dx * dx + dy * dy);
}

std::optional<Point> rescuedOrigin(const Rect &frame, const Rect &visibleFrame, double arrowHeight,
                                   bool standsOnIcon) {
    if (standsOnIcon || !(visibleFrame.y() > frame.maxY() - arrowHeight - 23.0))
        return std::nullopt;
    return Point{frame.x(), visibleFrame.y() - frame.height() + arrowHeight + 23.0};
}

Rect attachedResize(const ResizeStart &start, const Rect &proposed, double mouseX, double minWidth,
                    double maxWidth) {
    Rect r = start.frame;
    const double centre = start.frame.x() + start.frame.width() / 2;
    if (proposed.width() != start.frame.width()) {
        const double d = start.right ? mouseX - start.mouseX : start.mouseX - mouseX;
        r.origin.x -= d;
        r.size.width += 2 * d;
        if (minWidth > r.width()) {
            r.size.width = minWidth;
            r.origin.x = centre - minWidth / 2;
        }
        if (r.width() > maxWidth) {
            r.size.width = maxWidth;
            r.origin.x = centre - maxWidth / 2;
        }
    }
    if (proposed.y() != start.frame.y()) {
        r.origin.y = proposed.y();
        r.size.height = proposed.height();
    }
    return r;
}

} // namespace MenuBarGeometry
