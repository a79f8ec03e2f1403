#include "gui/host_command_bars.h"

#include <QAction>
#include <QMainWindow>
#include <QPixmap>
#include <QToolBar>

namespace arkstash::gui {

namespace {

Qt::ToolBarArea areaOf(int position) {
    switch (position) {
        case 0:
            return Qt::LeftToolBarArea;
        case 2:
            return Qt::RightToolBarArea;
        case 3:
            return Qt::BottomToolBarArea;
        default:
            return Qt::TopToolBarArea;  // 1, and floating bars, which the host docks at the top
    }
}

// Button styles: 0 automatic and 1 picture show the face alone, 2 the caption alone, 3 both.
Qt::ToolButtonStyle styleOf(int style) {
    switch (style) {
        case 2:
            return Qt::ToolButtonTextOnly;
        case 3:
            return Qt::ToolButtonTextBesideIcon;
        default:
            return Qt::ToolButtonIconOnly;
    }
}

}  // namespace

AddinBars::AddinBars(ide::MemoryVBE& vbe, QMainWindow& window)
    : QObject(&window), vbe_(vbe), window_(window) {}

void AddinBars::sync() {
    // Called when an add-in connects or disconnects, never from a click on one of these bars.
    for (QToolBar* bar : shown_) {
        window_.removeToolBar(bar);
        delete bar;
    }
    shown_.clear();
    for (ide::MemoryCommandBar* bar : vbe_.commandBars().bars()) {
        if (!bar->Visible()) continue;
        auto* toolBar = new QToolBar(QString::fromStdString(bar->name), &window_);
        toolBar->setObjectName(QString::fromStdString(bar->name));
        toolBar->setEnabled(bar->Enabled());
        for (auto& control : bar->controls) {
            auto* action = new QAction(QString::fromStdString(control->Caption()), toolBar);
            action->setToolTip(QString::fromStdString(control->TooltipText()));
            QPixmap face;
            const std::string& picture = control->face();
            if (face.loadFromData(reinterpret_cast<const uchar*>(picture.data()),
                                  static_cast<uint>(picture.size())))
                action->setIcon(QIcon(face));
            auto clicks = vbe_.events().buttonEvents(*control);
            connect(action, &QAction::triggered, this, [clicks] { clicks->Click(); });
            toolBar->addAction(action);
            // A bar shows its buttons alike; the first button's style sets it.
            if (control == bar->controls.front())
                toolBar->setToolButtonStyle(styleOf(control->Style()));
        }
        window_.addToolBar(areaOf(bar->position), toolBar);
        shown_.push_back(toolBar);
    }
}

QAction* AddinBars::button(const std::string& bar, long index) const {
    for (QToolBar* toolBar : shown_) {
        if (toolBar->objectName().toStdString() != bar) continue;
        QList<QAction*> actions = toolBar->actions();
        if (index >= 1 && index <= actions.size()) return actions[static_cast<int>(index - 1)];
    }
    return nullptr;
}

}  // namespace arkstash::gui
