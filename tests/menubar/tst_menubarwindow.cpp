// SPDX-License-Identifier: GPL-3.0-or-later
// The window that hangs under its tray icon: its geometry (y up, as the numbers are given),
// its drawing checked pixel by pixel, and the attach and detach sequence.
#include "MenuBarFrame.h"
#include "MenuBarGeometry.h"
#include "MenuBarWindow.h"
#include "MenuBarWindowIconView.h"
#include "NotificationCenter.h"

#include <QAbstractButton>
#include <QPainter>
#include <QtTest>
#include <set>

using namespace MenuBarGeometry;
Q_DECLARE_METATYPE(Rect)
Q_DECLARE_METATYPE(Point)
Q_DECLARE_METATYPE(Size)
// The current row's value of a column, as an expression.
#define FETCHED(T, name) (*static_cast<T *>(QTest::qData(#name, ::qMetaTypeId<T>())))

namespace {
Rect R(double x, double y, double w, double h) {
    return {{x, y}, {w, h}};
}
// Attached to an icon below, the window stands on it, mirrored.
WindowMetrics attached(bool on, bool iconBelow = false) {
    WindowMetrics m;
    m.attached = on;
    m.iconBelow = iconBelow;
    return m;
}
const QImage &pattern() {
    static const QImage made = MenuBarFrame::noisePattern(MenuBarFrame::makeNoiseImage());
    return made;
}
QImage render(Size size, bool isAttached, bool key, QColor background = QColor(236, 236, 236),
              bool iconBelow = false) {
    QImage image(int(size.width), int(size.height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red); // anything left unpainted shows
    QPainter p(&image);
    MenuBarFrame::draw(p, size, {attached(isAttached, iconBelow), key, background}, pattern(),
                       image.rect());
    return image;
}
// A pixel at (x, y) counted from the window's bottom-left corner, y up.
QRgb at(const QImage &image, int x, int y) {
    return image.pixel(x, image.height() - 1 - y);
}
} // namespace

class TestMenuBarWindow : public QObject {
    Q_OBJECT
private slots:
    void titleBarLayout_data() {
        QTest::addColumn<bool>("isAttached");
        QTest::addColumn<Size>("size");
        QTest::addColumn<Rect>("titleBar");
        QTest::addColumn<Rect>("toolbar");
        QTest::addColumn<double>("content");
        QTest::addColumn<double>("buttonY"); // a 14-high button
        QTest::addColumn<bool>("iconBelow");
        QTest::addColumn<double>("contentY");
        QTest::newRow("attached") << true << Size{320, 410} << R(0, 378, 320, 32)
                                  << R(0, 378, 320, 22) << 377.0 << 382.0 << false << 0.0;
        QTest::newRow("detached") << false << Size{320, 400} << R(0, 378, 320, 22)
                                  << R(0, 378, 320, 22) << 377.0 << 382.0 << false << 0.0;
        // Standing on an icon below: the arrow strip under the content, the title bar on top.
        QTest::newRow("standing") << true << Size{320, 410} << R(0, 388, 320, 22)
                                  << R(0, 388, 320, 22) << 377.0 << 392.0 << true << 10.0;
    }
    void titleBarLayout() {
        QFETCH(bool, isAttached);
        QFETCH(Size, size);
        const WindowMetrics m = attached(isAttached, FETCHED(bool, iconBelow));
        QCOMPARE(titleBarRect(size, m), FETCHED(Rect, titleBar));
        QCOMPARE(toolbarRect(size, m), FETCHED(Rect, toolbar));
        QCOMPARE(contentHeight(size, m), FETCHED(double, content));
        QCOMPARE(contentRect(size, m),
                 R(0, FETCHED(double, contentY), size.width, FETCHED(double, content)));
        const auto buttons = windowButtonOrigins(size, m, {14, 14});
        QCOMPARE(buttons[0], (Point{7, FETCHED(double, buttonY)}));
        QCOMPARE(buttons[2].x, 47.0);
    }

    // On a 1280 × 900 screen; a panel along the bottom edge has the window stand on its icon.
    void placement_data() {
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<double>("distance");
        QTest::addColumn<Point>("origin");
        const Rect icon = R(1000, 878, 26, 22);
        QTest::newRow("no gap") << icon << 0.0 << Point{853, 478};
        QTest::newRow("negative counts as none") << icon << -5.0 << Point{853, 478};
        QTest::newRow("gap") << icon << 4.0 << Point{853, 474};
        QTest::newRow("past the right edge") << R(1270, 878, 26, 22) << 0.0 << Point{1123, 478};
        const Rect low = R(1000, 0, 26, 22);
        QTest::newRow("bottom panel") << low << 0.0 << Point{853, 22};
        QTest::newRow("bottom panel, gap") << low << 4.0 << Point{853, 26};
        QTest::newRow("just below the middle") << R(1000, 428, 26, 22) << 0.0 << Point{853, 450};
        QTest::newRow("just above the middle") << R(1000, 451, 26, 22) << 0.0 << Point{853, 51};
    }
    void placement() {
        const Rect screen = R(0, 0, 1280, 900);
        QCOMPARE(originForAttachedState(FETCHED(Rect, frame), {320, 400}, FETCHED(double, distance),
                                        screen),
                 FETCHED(Point, origin));
        QCOMPARE(originForAttachedState(std::nullopt, {320, 400}, 0, screen), (Point{0, 0}));
    }

    // Top centre against the icon's bottom centre (1013, 878), snap distance 30; with the icon
    // below, bottom centre against the icon's top centre (1013, 22).
    void snapping_data() {
        QTest::addColumn<Rect>("frame");
        QTest::addColumn<bool>("snaps");
        QTest::addColumn<bool>("iconBelow");
        QTest::newRow("30.0 below") << R(853, 448, 320, 400) << true << false;
        QTest::newRow("30.5 below") << R(853, 447.5, 320, 400) << false << false;
        QTest::newRow("30.0 aside") << R(883, 478, 320, 400) << true << false;
        QTest::newRow("icon below, 30.0 above") << R(853, 52, 320, 400) << true << true;
        QTest::newRow("icon below, 30.5 above") << R(853, 52.5, 320, 400) << false << true;
    }
    void snapping() {
        const Rect icon = FETCHED(bool, iconBelow) ? R(1000, 0, 26, 22) : R(1000, 878, 26, 22);
        QCOMPARE(isWithinSnapDistance(FETCHED(Rect, frame), icon, 30.0, FETCHED(bool, iconBelow)),
                 FETCHED(bool, snaps));
    }

    void rescueAndAttachResize() {
        // Dropped with its top at 90 over a visible area from 70: its top comes back to 103.
        QCOMPARE(rescuedOrigin(R(5, -310, 320, 400), R(0, 70, 1280, 700), 10), (Point{5, -297}));
        QCOMPARE(rescuedOrigin(R(5, -290, 320, 400), R(0, 70, 1280, 700), 10), std::nullopt);
        QCOMPARE(resizedForAttachment(R(0, 100, 320, 300), 10, true), R(0, 90, 320, 310));
        QCOMPARE(resizedForAttachment(R(0, 90, 320, 310), 10, false), R(0, 100, 320, 300));
        QCOMPARE(detachedOrigin({0, 100}, 30), (Point{0, 60}));
        // Standing on an icon below: a detach moves it up, out of the zone above the icon; a
        // drop leaves it on its icon, even a short window whose top is under the rule's line.
        QCOMPARE(detachedOrigin({0, 32}, 30, true), (Point{0, 72}));
        QCOMPARE(rescuedOrigin(R(5, 22, 320, 40), R(0, 30, 1280, 870), 10, true), std::nullopt);
        QCOMPARE(rescuedOrigin(R(5, 22, 320, 40), R(0, 30, 1280, 870), 10), (Point{5, 23}));
    }

    void attachedResize_data() {
        QTest::addColumn<bool>("right");
        QTest::addColumn<double>("mouseX"); // started at 400 (right) or 100 (left)
        QTest::addColumn<Rect>("proposed");
        QTest::addColumn<Rect>("result");
        const Rect start = R(100, 100, 320, 300);
        QTest::newRow("right edge out")
            << true << 415.0 << R(100, 100, 335, 300) << R(85, 100, 350, 300);
        QTest::newRow("left edge out")
            << false << 85.0 << R(85, 100, 335, 300) << R(85, 100, 350, 300);
        QTest::newRow("below the minimum")
            << true << 380.0 << R(100, 100, 300, 300) << R(110, 100, 300, 300);
        QTest::newRow("top edge") << true << 400.0 << R(100, 100, 320, 320) << start;
        QTest::newRow("bottom edge")
            << true << 400.0 << R(100, 80, 320, 320) << R(100, 80, 320, 320);
    }
    void attachedResize() {
        QFETCH(bool, right);
        const ResizeStart start{R(100, 100, 320, 300), right ? 400.0 : 100.0, right};
        QCOMPARE(MenuBarGeometry::attachedResize(start, FETCHED(Rect, proposed),
                                                 FETCHED(double, mouseX), 300, 1000),
                 FETCHED(Rect, result));
    }

    void drawing_data() {
        QTest::addColumn<bool>("isAttached");
        QTest::addColumn<bool>("key");
        QTest::addColumn<int>("base"); // the title bar's bottom row, where the ramp starts
        QTest::addColumn<bool>("iconBelow");
        QTest::newRow("detached") << false << false << 217 << false;
        QTest::newRow("attached") << true << false << 176 << false;
        QTest::newRow("key") << false << true << 176 << false;
        QTest::newRow("standing on an icon below") << true << false << 176 << true;
    }
    void drawing() {
        QFETCH(bool, isAttached);
        QFETCH(bool, iconBelow);
        // Standing, the arrow strip lies under the content: the same rows from the top down.
        const Size size{320, isAttached && !iconBelow ? 410.0 : 400.0};
        const QImage image =
            render(size, isAttached, FETCHED(bool, key), QColor(236, 236, 236), iconBelow);
        const int top = int(size.height) - 1;
        QCOMPARE(qAlpha(at(image, 0, top)), 0); // rounded corners
        QCOMPARE(qAlpha(at(image, 319, top)), 0);
        QVERIFY(qAbs(qGray(at(image, 100, 378)) - FETCHED(int, base)) <= 3);
        QCOMPARE(at(image, 100, 377), qRgb(128, 128, 128)); // separator
        QCOMPARE(at(image, 100, 376), qRgb(236, 236, 236)); // window background below
        if (iconBelow) {
            QCOMPARE(qAlpha(at(image, 140, 5)), 0);           // beside the arrow
            QCOMPARE(at(image, 160, 1), qRgb(236, 236, 236)); // the arrow, near its tip
        } else if (isAttached) {
            QCOMPARE(qAlpha(at(image, 140, 405)), 0); // beside the arrow
            const QRgb tip = at(image, 160, 408);
            QVERIFY(qAlpha(tip) == 255 && qGray(tip) > 240); // lightening toward white
        }
    }

    // The window keeps its title bar painted between paints: after each change it must still
    // paint exactly the frame as drawn.
    void keptFrame() {
        MenuBarWindow window;
        window.resize(320, 400);
        const std::array<std::pair<bool, int>, 4> steps{
            {{false, 320}, {true, 320}, {true, 300}, {false, 300}}};
        for (const auto &[isAttached, width] : steps) {
            window.setAttachedToMenuBar(isAttached);
            window.resize(width, window.height());
            QImage painted(window.size(), QImage::Format_ARGB32_Premultiplied);
            painted.fill(Qt::red);
            window.render(&painted, {}, {}, QWidget::DrawWindowBackground);
            const QImage drawn = render({double(width), double(window.height())}, isAttached, false,
                                        window.palette().color(QPalette::Window));
            QCOMPARE(painted, drawn);
        }
        // The arrow along the bottom edge is kept too.
        MenuBarFrame::StripCache cache;
        const QColor grey(236, 236, 236);
        QImage painted(320, 410, QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::red);
        QPainter p(&painted);
        cache.draw(p, {320, 410}, {attached(true, true), false, grey}, pattern(), painted.rect(),
                   1);
        p.end();
        QCOMPARE(painted, render({320, 410}, true, false, grey, true));
    }

    void noiseTexture() {
        MenuBarWindow window;
        const QImage &noise = window.noiseImage();
        QCOMPARE(noise.size(), QSize(100, 100));
        QCOMPARE(noise.bytesPerLine(), 400);
        std::set<uchar> values;
        for (int y = 0; y < 100; ++y) {
            const uchar *row = noise.constScanLine(y);
            for (int x = 0; x < 400; x += 4) {
                QVERIFY(row[x] == row[x + 1] && row[x] == row[x + 2] && row[x + 3] == 6);
                values.insert(row[x]);
            }
        }
        QVERIFY(values.size() > 200);
        // Made once: every redraw tiles the same bytes.
        QCOMPARE(window.noiseImage().constBits(), noise.constBits());
        window.resize(320, 400);
        window.repaint();
        QCOMPARE(window.noiseImage().constBits(), noise.constBits());
    }

    void attachSequence() {
        MenuBarWindow window;
        window.setGeometry(100, 100, 320, 300);
        const double top = window.frame().maxY();
        QStringList posted;
        auto &center = NotificationCenter::defaultCenter();
        const int token = center.addObserver(MenuBarWindow::DidAttachNotification, &window,
                                             [&](auto &n) { posted << n.name; });
        const int token2 = center.addObserver(MenuBarWindow::DidDetachNotification, &window,
                                              [&](auto &n) { posted << n.name; });

        window.setAttachedToMenuBar(true); // no icon: (0, 0), and no delegate to tell
        QCOMPARE(window.frame(), R(0, 0, 320, 310));
        QVERIFY(posted.isEmpty());
        QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
        // Detached before the buttons' fade ends: they stay, fully shown.
        window.setAttachedToMenuBar(false);
        QCOMPARE(window.frame(), R(0, -30, 320, 300)); // top kept, then 40 lower
        QTRY_VERIFY(!window.windowButtons()[0]->isHidden());

        MenuBarWindow::Delegate delegate;
        int told = 0;
        delegate.windowDidDetachFromMenuBar = [&](MenuBarWindow &) {
            ++told;
        };
        window.setDelegate(&delegate);
        window.setFrame(R(100, top - 300, 320, 300));
        window.setHasMenuBarIcon(true);
        window.setAttachedToMenuBar(true);
        QCOMPARE(window.frame().size, (Size{320, 310}));
        window.setAttachedToMenuBar(true); // the same value: nothing
        QVERIFY(posted.isEmpty());         // the delegate does not listen to attaching
        window.setHasMenuBarIcon(false);
        QVERIFY(!window.attachedToMenuBar() && !window.statusItem());
        QCOMPARE(posted, QStringList{MenuBarWindow::DidDetachNotification});
        QCOMPARE(told, 1);
        center.removeObserver(token);
        center.removeObserver(token2);
    }

    void iconView() {
        MenuBarWindow window;
        window.setMenuBarIcon(QIcon(QPixmap(16, 16)));
        MenuBarWindowIconView view({22, 22});
        QCOMPARE(MenuBarWindowIconView::iconRect(view.frameSize()), QRectF(3, 0, 16, 22));
        // Without a window only the pressed background shows, only while pressed.
        QCOMPARE(qAlpha(view.drawRect().pixel(10, 10)), 0);
        view.mouseDown();
        QVERIFY(view.highlighted());
        QCOMPARE(qAlpha(view.drawRect().pixel(10, 10)), 255);
        view.mouseUp();
        // A press shows a hidden window; the next, while it hangs attached, hides it.
        view.setMenuBarWindow(&window);
        window.setHasMenuBarIcon(true);
        window.setAttachedToMenuBar(true);
        view.mouseDown();
        QVERIFY(window.isVisible());
        QTRY_VERIFY(window.windowButtons()[0]->isHidden()); // faded out, attached
        view.mouseDown();
        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(window.windowOpacity(), 1.0);
    }
};

QTEST_MAIN(TestMenuBarWindow)
#include "tst_menubarwindow.moc"
