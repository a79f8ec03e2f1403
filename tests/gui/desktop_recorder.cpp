#include "desktop_recorder.h"

#include <QApplication>

void arkstash::test::whenModal(std::function<void(QWidget*)> act) {
    QMetaObject::invokeMethod(
        qApp, [act] { act(QApplication::activeModalWidget()); }, Qt::QueuedConnection);
}
