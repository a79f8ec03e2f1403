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

std::unique_ptr<QMessageBox> QtDialogs::buildMessageBox(const ui::Message& message,
                                                        QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(
        QString::fromStdString(message.title.empty() ? std::string(ui::kAppTitle) : message.title));
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(message.text));
    if (message.buttons == ui::Buttons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(message.noIsDefault ? QMessageBox::No : QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    switch (message.icon) {
        case ui::Icon::Stop:
            box->setIcon(QMessageBox::Critical);
            break;
        case ui::Icon::Question:
            box->setIcon(QMessageBox::Question);
            break;
        case ui::Icon::Exclamation:
            box->setIcon(QMessageBox::Warning);
            break;
        case ui::Icon::Information:
            box->setIcon(QMessageBox::Information);
            break;
        case ui::Icon::None:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    return box;
}

ui::Answer QtDialogs::show(const ui::Message& message) {
    auto box = buildMessageBox(message, owner());
    box->exec();
    auto pressed = box->standardButton(box->clickedButton());
    if (message.buttons == ui::Buttons::YesNo)
        return pressed == QMessageBox::Yes ? ui::Answer::Yes : ui::Answer::No;
    return ui::Answer::Ok;
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

std::vector<std::string> QtDialogs::openFiles(const ui::FileOpenRequest& request) {
    QFileDialog dialog(owner(), QString::fromStdString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    std::vector<std::string> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dialog.selectedFiles())
        chosen.push_back(QDir::toNativeSeparators(file).toStdString());
    return chosen;
}

std::string QtDialogs::chooseFolder(const std::string& title) {
    QString start = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (start.isEmpty() || !QDir(start).exists()) start = QDir::homePath();
    QString folder = QFileDialog::getExistingDirectory(
        owner(), QString::fromStdString(title), start,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty()) return {};
    return QDir::toNativeSeparators(folder).toStdString();
}

}  // namespace arkstash::gui
