// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>

class QRect;
class QRectF;

// The menu-bar window's geometry as plain values, with the y axis up and every rectangle's
// origin at its bottom-left corner: screen rectangles are measured from the bottom-left corner
// of the primary screen, window rectangles from the window's bottom-left corner. It knows
// nothing of widgets; the window converts once, at the Qt boundary (toQt / fromQt).
struct Point {
    double x = 0, y = 0;
    friend bool operator==(const Point &, const Point &) = default;
};

struct Size {
    double width = 0, height = 0;
    friend bool operator==(const Size &, const Size &) = default;
};

struct Rect {
    Point origin;
    Size size;
    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    // Left and bottom edges inside, right and top edges outside.
    bool contains(Point p) const {
        return p.x >= x() && p.x < maxX() && p.y >= y() && p.y < maxY();
    }
    friend bool operator==(const Rect &, const Rect &) = default;
};

// Converts between y-up rectangles and Qt's y-down ones inside a space of `spaceHeight` (the
// primary screen's height for screen rectangles, the window's height for window rectangles).
QRectF toQt(const Rect &r, double spaceHeight);
Rect fromQt(const QRectF &r, double spaceHeight);
Rect fromQt(const QRect &r, double spaceHeight);

// The window's tuning values and state that the geometry depends on.
struct WindowMetrics {
    double titleBarHeight = 22.0;
    Size arrowSize{20.0, 10.0};
    bool attached = false;
    // The icon lies below the window (a panel along the bottom edge): attached, the window is
    // mirrored, its arrow at the bottom edge pointing down; the title bar stays at the top.
    bool iconBelow = false;
    double arrowStrip() const { return attached ? arrowSize.height : 0.0; }
    double stripAbove() const { return iconBelow ? 0.0 : arrowStrip(); }
    double stripBelow() const { return iconBelow ? arrowStrip() : 0.0; }
    friend bool operator==(const WindowMetrics &, const WindowMetrics &) = default;
};

namespace MenuBarGeometry {
// The title bar and, when attached to an icon above, the arrow strip above it (window
// coordinates).
Rect titleBarRect(Size window, const WindowMetrics &m);
// The title bar proper, without the arrow strip.
Rect toolbarRect(Size window, const WindowMetrics &m);
// The content ends one point below the title bar.
double contentHeight(Size window, const WindowMetrics &m);
// The content's rectangle: above the arrow strip when the arrow is at the bottom edge.
Rect contentRect(Size window, const WindowMetrics &m);
// Whether an icon lies in the lower half of its screen (a panel along the bottom edge).
bool isIconBelow(const Rect &iconFrame, const std::optional<Rect> &screen);
// Close, minimise and zoom buttons, centred in the title bar proper.
std::array<Point, 3> windowButtonOrigins(Size window, const WindowMetrics &m, Size button);
// Attached, the window hangs centred under the icon, its top `distance` below the icon's
// bottom (a negative distance counts as none). An icon in the lower half of its `screen` (a
// panel along the bottom edge) has the window stand centred on it instead, its bottom edge
// `distance` above the icon's top, so that it opens on the screen. No icon: (0, 0). Never
// clamped sideways.
Point originForAttachedState(std::optional<Rect> iconFrame, Size window, double distance,
                             std::optional<Rect> screen = std::nullopt);
// Attaching adds the arrow strip to the window, keeping its top edge (the strip lies above the
// title bar, or below the content when the icon is below); detaching takes it off.
Rect resizedForAttachment(const Rect &frame, double arrowHeight, bool attaching);
// A detached window leaves the snapping zone below the icon, or above it when the icon is below.
Point detachedOrigin(Point origin, double snapDistance, bool iconBelow = false);
// Whether the window's top centre lies within `snapDistance` of the icon's bottom centre; when
// the icon is below, the window's bottom centre against the icon's top centre.
bool isWithinSnapDistance(const Rect &frame, const Rect &iconFrame, double snapDistance,
                          bool iconBelow = false);
// A window dropped with its top too near the bottom of the visible area (or below it) comes back
// up until its top is arrow height + 23 above it; otherwise none. A window attached to an icon
// below it stays where it stands, on its icon: its title bar is at its top, well above the panel.
std::optional<Point> rescuedOrigin(const Rect &frame, const Rect &visibleFrame, double arrowHeight,
                                   bool standsOnIcon = false);

// A live resize while attached: both side edges follow the dragged one, so the centre (and the
// arrow) stays; only the bottom edge moves vertically.
struct ResizeStart {
    Rect frame;
    double mouseX = 0;
    bool right = false; // began on the right half
};
Rect attachedResize(const ResizeStart &start, const Rect &proposed, double mouseX, double minWidth,
                    double maxWidth);
} // namespace MenuBarGeometry
