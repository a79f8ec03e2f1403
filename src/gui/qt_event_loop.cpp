#include "gui/qt_event_loop.h"

#include <QCoreApplication>

namespace arkstash::gui {

void QtEventLoop::processPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace arkstash::gui
