// SPDX-License-Identifier: GPL-3.0-or-later
// The menu-bar window against a plain widget of the same size, in the same run: from a press on
// the tray icon to the window shown and painted, and one full repaint of its drawn frame (title
// bar, arrow, gradients, noise texture). The texture must be made once per window, never per
// paint.
#include "BenchSupport.h"
#include "MenuBarWindow.h"
#include "MenuBarWindowIconView.h"

#include <QApplication>
#include <cstdio>

using namespace bench;

int main(int argc, char **argv) {
    // Offscreen: the same drawing on every machine, with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = smallSizes(argc, argv) ? 20 : 200;

    MenuBarWindow window;
    window.setMenuBarIcon(QIcon(QPixmap(22, 22)));
    window.setHasMenuBarIcon(true);
    window.setAttachedToMenuBar(true);
    window.setDetachable(false);
    window.resize(460, 410);
    QWidget plain;
    plain.setAutoFillBackground(true);
    plain.resize(window.size());
    const uchar *texture = window.noiseImage().constBits();

    const auto hideBoth = [&] {
        window.hide();
        plain.hide();
        QApplication::processEvents();
    };
    const std::vector<double> shown = bestOfRounds(rounds, hideBoth,
                                                   {[&] {
                                                        window.statusItemView()->mouseDown();
                                                        QApplication::processEvents();
                                                    },
                                                    [&] {
                                                        plain.show();
                                                        QApplication::processEvents();
                                                    }},
                                                   [&] { window.statusItemView()->mouseUp(); });

    window.show();
    plain.show();
    QApplication::processEvents();
    const std::vector<double> painted = bestOfRounds(
        rounds * 5, [] {},
        {[&] { window.repaint(); },
         [&] {
             plain.repaint();
         }},
        [] {});

    std::printf("tray press to window shown: %.1f µs, plain widget shown: %.1f µs, ratio %.2f\n",
                shown[0] * 1e6, shown[1] * 1e6, shown[0] / shown[1]);
    std::printf("full repaint of the frame: %.1f µs, plain widget: %.1f µs, ratio %.2f (goal "
                "at most 2)\n",
                painted[0] * 1e6, painted[1] * 1e6, painted[0] / painted[1]);
    const bool once = window.noiseImage().constBits() == texture;
    std::printf("noise texture made once for the window: %s\n", once ? "yes" : "NO");
    return once ? 0 : 1;
}
