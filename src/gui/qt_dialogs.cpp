#include "gui/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace arkstash::gui {

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

QWidget* QtDialogs::owner() const {
    return owner_ ? owner_.data() : QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> QtDialogs::buildMessageBox(const ui::MessageBoxRequest& request,
                                                        QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(
        QString::fromStdString(request.title.empty() ? std::string(ui::kAppTitle) : request.title));
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(request.prompt));

    using B = QMessageBox::StandardButton;
    std::vector<B> buttons;
    switch (request.style & 0xF) {
        case 1:
            buttons = {B::Ok, B::Cancel};
            break;
        case 2:
            buttons = {B::Abort, B::Retry, B::Ignore};
            break;
        case 3:
            buttons = {B::Yes, B::No, B::Cancel};
            break;
        case ui::vbYesNo:
            buttons = {B::Yes, B::No};
            break;
        case 5:
            buttons = {B::Retry, B::Cancel};
            break;
        default:
            buttons = {B::Ok};
            break;
    }
    for (B b : buttons) box->addButton(b);

    switch (request.style & 0x70) {
        case ui::vbCritical:
            box->setIcon(QMessageBox::Critical);
            break;
        case ui::vbQuestion:
            box->setIcon(QMessageBox::Question);
            break;
        case ui::vbExclamation:
            box->setIcon(QMessageBox::Warning);
            break;
        case ui::vbInformation:
            box->setIcon(QMessageBox::Information);
            break;
        default:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }

    std::size_t defaultIndex = static_cast<std::size_t>((request.style & 0x300) >> 8);
    if (defaultIndex >= buttons.size()) defaultIndex = 0;
    box->setDefaultButton(buttons[defaultIndex]);
    // Escape means Cancel where there is one, OK in an OK-only box, and nothing otherwise.
    for (B b : buttons)
        if (b == B::Cancel) box->setEscapeButton(b);
    if (buttons.size() == 1) box->setEscapeButton(buttons[0]);
    return box;
}

int QtDialogs::answerFor(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return ui::vbOK;
        case QMessageBox::Cancel:
            return ui::vbCancel;
        case QMessageBox::Abort:
            return 3;
        case QMessageBox::Retry:
            return 4;
        case QMessageBox::Ignore:
            return 5;
        case QMessageBox::Yes:
            return ui::vbYes;
        case QMessageBox::No:
            return ui::vbNo;
        default:
            return ui::vbCancel;
    }
}

int QtDialogs::MsgBox(const ui::MessageBoxRequest& request) {
    auto box = buildMessageBox(request, owner());
    box->exec();
    auto pressed = box->standardButton(box->clickedButton());
    if (pressed == QMessageBox::NoButton) {
        // Closed without pressing a button: No to a yes/no question, Cancel otherwise.
        return (request.style & 0xF) == ui::vbYesNo ? ui::vbNo : ui::vbCancel;
    }
    return answerFor(pressed);
}

QStringList QtDialogs::nameFilters(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ').trimmed();
        if (patterns.isEmpty()) continue;
        QString label = parts[i].trimmed();
        if (label.isEmpty()) label = patterns;
        filters << QString("%1 (%2)").arg(label, patterns);
    }
    return filters;
}

std::string QtDialogs::OpenFile(const ui::FileOpenRequest& request) {
    QFileDialog dialog(owner(), QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
}

std::string QtDialogs::BrowseForFolder(const std::string& title) {
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (start.isEmpty() || !QDir(start).exists()) start = QDir::homePath();
    QString folder = QFileDialog::getExistingDirectory(
        owner(), QString::fromStdString(title), start,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty()) return {};
    return QDir::toNativeSeparators(folder).toStdString();
}

}  // namespace arkstash::gui
