#include "gui/file_properties_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

namespace arkstash::gui {

namespace {

QString timeText(const QDateTime& time) {
    // Some file systems (and some kernels) keep no birth time; say so rather than guess.
    if (!time.isValid()) return FilePropertiesDialog::tr("Not recorded");
    return QLocale().toString(time.toLocalTime(), QLocale::LongFormat);
}

}  // namespace

FilePropertiesDialog::FilePropertiesDialog(const QFileInfo& file, const QString& typeText,
                                           ui::Shell& shell, QWidget* parent)
    : QDialog(parent) {
    setObjectName("filePropertiesDialog");
    setWindowTitle(tr("%1 Properties").arg(file.fileName()));
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString type =
        typeText.isEmpty() ? QMimeDatabase().mimeTypeForFile(file).comment() : typeText;
    QString owner = file.owner();
    if (!file.group().isEmpty()) owner += tr(" (group %1)").arg(file.group());

    auto* form = new QFormLayout;
    addRow(*form, tr("Name:"), "name", file.fileName());
    addRow(*form, tr("Folder:"), "folder", folder);
    addRow(*form, tr("Type:"), "type", type);
    addRow(*form, tr("Size:"), "size", sizeText(file.size()));
    addRow(*form, tr("Created:"), "created", timeText(file.birthTime()));
    addRow(*form, tr("Modified:"), "modified", timeText(file.lastModified()));
    addRow(*form, tr("Accessed:"), "accessed", timeText(file.lastRead()));
    addRow(*form, tr("Owner:"), "owner", owner);
    addRow(*form, tr("Permissions:"), "permissions", permissionsText(file.permissions()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* openFolder =
        buttons->addButton(tr("Open containing &folder"), QDialogButtonBox::ActionRole);
    openFolder->setObjectName("openFolder");
    connect(openFolder, &QPushButton::clicked, this,
            [&shell, folder] { shell.openPath(folder.toStdString()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void FilePropertiesDialog::addRow(QFormLayout& form, const QString& label, const char* name,
                                  const QString& text) {
    auto* value = new QLabel(text);
    value->setObjectName(name);
    value->setTextFormat(Qt::PlainText);
    // Paths and names are there to be copied into a bug report or a terminal.
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    form.addRow(label, value);
}

QString FilePropertiesDialog::sizeText(qint64 bytes) {
    const QLocale locale;
    const QString exact = bytes == 1 ? tr("1 byte") : tr("%1 bytes").arg(locale.toString(bytes));
    if (bytes < 1024) return exact;
    return tr("%1 (%2)").arg(locale.formattedDataSize(bytes), exact);
}

QString FilePropertiesDialog::permissionsText(QFileDevice::Permissions permissions) {
    const std::pair<QFileDevice::Permission, char> bits[] = {
        {QFileDevice::ReadOwner, 'r'},  {QFileDevice::WriteOwner, 'w'},
        {QFileDevice::ExeOwner, 'x'},   {QFileDevice::ReadGroup, 'r'},
        {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
        {QFileDevice::ReadOther, 'r'},  {QFileDevice::WriteOther, 'w'},
        {QFileDevice::ExeOther, 'x'}};
    QString text;
    for (const auto& [bit, letter] : bits)
        text += QLatin1Char(permissions.testFlag(bit) ? letter : '-');
    return text;
}

}  // namespace arkstash::gui
