// A small window with the three custom controls, for looking at them and trying them by hand:
// two progress bars, the folder picker, and raised and sunken 3D frames.
//
//   arkstash-controls-demo [--screenshot FILE.png [--zoom N]]
//
// With --screenshot the window saves a picture of itself once it is shown, and quits; --zoom
// enlarges that picture N times, pixel for pixel, to look at single-pixel edges.
#include <QApplication>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "controls/folder_browser.h"
#include "controls/light3d.h"
#include "controls/progress_bar.h"
#include "gui/folder_browser_widget.h"
#include "gui/light3d_widget.h"
#include "gui/progress_bar_widget.h"
#include "gui/qt_dialogs.h"
#include "gui/qt_event_loop.h"
#include "platform/error.h"

using namespace arkstash;

namespace {

// A header frame with a label on it, as the main window's header bars carry one.
QWidget* headerFrame(controls::Light3D& frame, const QString& caption, QWidget* parent) {
    auto* view = new gui::Light3DWidget(frame, parent);
    view->setFixedHeight(24);
    auto* label = new QLabel(caption, view);
    label->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(label);
    return view;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QString screenshot;
    QStringList args = app.arguments();
    int at = static_cast<int>(args.indexOf("--screenshot"));
    if (at >= 0) {
        if (at + 1 >= args.size()) {
            std::fprintf(stderr, "--screenshot needs a file name\n");
            return 2;
        }
        screenshot = args[at + 1];
    }
    int zoom = 1;
    int zoomAt = static_cast<int>(args.indexOf("--zoom"));
    if (zoomAt >= 0 && zoomAt + 1 < args.size()) zoom = std::max(1, args[zoomAt + 1].toInt());

    gui::QtDialogs dialogs;
    gui::QtEventLoop loop;

    controls::Light3D raised, sunken;
    raised.setStyle(false);
    raised.setFont(controls::StdFont{.Name = "MS Sans Serif", .Size = 8.25});
    sunken.setStyle(true);

    controls::FolderBrowser picker;
    picker.name = "txtBackupDir";
    picker.setDialogs(&dialogs);
    picker.setFont(controls::tahoma825());
    picker.setText(QDir::toNativeSeparators(QDir::homePath() + "/Backups").toStdString());
    picker.ToolTipText = "Folder the archive is written to";
    picker.width = 4935;  // as the main window has it
    picker.height = 285;

    controls::vbwProgressBar fileBar, projectBar, upright;
    for (auto* bar : {&fileBar, &projectBar, &upright}) {
        bar->setEventLoop(&loop);
        bar->setFont(controls::tahoma825());
    }
    fileBar.setText("frmMain.frm");
    fileBar.setValue(62);
    projectBar.setCalculatePercentage(true);
    projectBar.setTotalValue(40);
    projectBar.setValue(10);
    projectBar.setTextAfterProgress("(10 of 40 files)");
    projectBar.setBackwards(true);
    projectBar.setProgressColor(0x006400);
    upright.setHorizontal(false);
    upright.setValue(25);

    QWidget window;
    window.setWindowTitle("Arkstash controls");
    auto* column = new QVBoxLayout(&window);
    column->addWidget(headerFrame(raised, "Raised frame (Style False)", &window));
    column->addWidget(headerFrame(sunken, "Sunken frame (Style True)", &window));

    auto* form = new QFormLayout;
    auto* pickerView = new gui::FolderBrowserWidget(picker, &window);
    pickerView->setFixedHeight(pickerView->sizeHint().height());
    form->addRow("Backup directory:", pickerView);
    auto* fileView = new gui::ProgressBarWidget(fileBar, &window);
    fileView->setFixedHeight(17);
    form->addRow("File progress:", fileView);
    auto* projectView = new gui::ProgressBarWidget(projectBar, &window);
    projectView->setFixedHeight(17);
    form->addRow("Project progress:", projectView);

    auto* slider = new QSlider(Qt::Horizontal, &window);
    slider->setRange(0, 150);
    slider->setValue(62);
    QObject::connect(slider, &QSlider::valueChanged,
                     [&](int v) { attempt([&] { fileBar.setValue(static_cast<float>(v)); }); });
    form->addRow("Value:", slider);
    column->addLayout(form);

    auto* bottom = new QHBoxLayout;
    auto* uprightView = new gui::ProgressBarWidget(upright, &window);
    uprightView->setFixedSize(40, 90);
    bottom->addWidget(uprightView);
    auto* changes = new QLabel("Folder changes: 0", &window);
    bottom->addWidget(changes, 1);
    column->addLayout(bottom);

    int changeCount = 0;
    picker.Change = [&] { changes->setText(QString("Folder changes: %1").arg(++changeCount)); };

    window.resize(460, window.sizeHint().height());
    window.show();

    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &window, [&] {
            app.processEvents();
            QImage shot = window.grab().toImage();
            if (zoom > 1)
                shot =
                    shot.scaled(shot.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            bool saved = shot.save(screenshot);
            if (!saved) std::fprintf(stderr, "could not save %s\n", qPrintable(screenshot));
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
