#include "gui/keyboard_panels.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

namespace arkstash::gui {

KeyboardPanels::KeyboardPanels(QStatusBar& bar) : QObject(&bar) {
    bar.setObjectName("StatusBar1");
    bar.setSizeGripEnabled(true);
    for (auto [panel, text] :
         {std::pair{&caps_, "CAPS"}, std::pair{&num_, "NUM"}, std::pair{&ins_, "INS"}}) {
        *panel = new QLabel(text, &bar);
        (*panel)->setObjectName(text);
        (*panel)->setAlignment(Qt::AlignCenter);
        (*panel)->setFrameShape(QFrame::StyledPanel);
        (*panel)->setFrameShadow(QFrame::Sunken);
        (*panel)->setMinimumWidth((*panel)->fontMetrics().horizontalAdvance("CAPS") + 16);
        bar.addPermanentWidget(*panel);
    }
    qApp->installEventFilter(this);
    show();
}

KeyboardPanels::~KeyboardPanels() {
    if (qApp) qApp->removeEventFilter(this);
}

bool KeyboardPanels::eventFilter(QObject* watched, QEvent* event) {
    // Each key reaches the filter once per widget on its way; the focused widget sees it first.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget())
        follow(*static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

void KeyboardPanels::follow(const QKeyEvent& event) {
    const int key = event.key();
    const QString text = event.text();
    if (key == Qt::Key_CapsLock) {
        capsOn_ = !capsOn_;
    } else if (key == Qt::Key_NumLock) {
        numOn_ = !numOn_;
    } else if (key == Qt::Key_Insert && !(event.modifiers() & Qt::KeypadModifier)) {
        insOn_ = !insOn_;
    } else if (event.modifiers() & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) numOn_ = true;
        if (key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Insert) numOn_ = false;
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z && text.size() == 1 && text[0].isLetter()) {
        bool shifted = event.modifiers() & Qt::ShiftModifier;
        capsOn_ = text[0].isUpper() != shifted;
    } else {
        return;
    }
    show();
}

void KeyboardPanels::show() {
    caps_->setEnabled(capsOn_);
    num_->setEnabled(numOn_);
    ins_->setEnabled(insOn_);
}

}  // namespace arkstash::gui
