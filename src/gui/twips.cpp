#include "gui/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace arkstash::gui {

TwipsPerPixel twipsPerPixel(const QScreen* screen) {
    if (!screen && qGuiApp) screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    double dx = screen->logicalDotsPerInchX();
    double dy = screen->logicalDotsPerInchY();
    if (dx <= 0 || dy <= 0) return {};
    return {1440.0 / dx, 1440.0 / dy};
}

}  // namespace arkstash::gui
