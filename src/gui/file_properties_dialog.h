// A file's properties, where the desktop has no properties sheet of its own to show: name,
// folder, type, size, times, owner and permissions, and a button that opens the folder.
#pragma once

#include <QDialog>
#include <QFileInfo>

#include "platform/ui/shell.h"

class QFormLayout;

namespace arkstash::gui {

class FilePropertiesDialog : public QDialog {
    Q_OBJECT

  public:
    // `typeText` is what the program calls the file ("Form"); when empty the desktop's
    // description of the file's content type stands in. The folder button opens the folder
    // through `shell`.
    FilePropertiesDialog(const QFileInfo& file, const QString& typeText, ui::Shell& shell,
                         QWidget* parent = nullptr);

    // "5 bytes", "1.50 KiB (1,536 bytes)" in the user's number format.
    static QString sizeText(qint64 bytes);
    // "rw-r--r--", as a directory listing shows it.
    static QString permissionsText(QFileDevice::Permissions permissions);

  private:
    void addRow(QFormLayout& form, const QString& label, const char* name, const QString& text);
};

}  // namespace arkstash::gui
