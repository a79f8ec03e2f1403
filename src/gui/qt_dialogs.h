// The platform's dialogs on Qt: message boxes, the file-open dialog and the folder chooser.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <memory>

#include "platform/ui/dialogs.h"

class QWidget;

namespace arkstash::gui {

class QtDialogs : public ui::Dialogs {
  public:
    // Dialogs are owned by `owner`, or by the active window when there is none.
    explicit QtDialogs(QWidget* owner = nullptr);

    ui::Answer show(const ui::Message& message) override;
    std::vector<std::string> openFiles(const ui::FileOpenRequest& request) override;
    std::string chooseFolder(const std::string& title) override;

    // The message box a message asks for, not yet shown: title (the application's when none
    // is given), plain text, buttons, icon and default button.
    static std::unique_ptr<QMessageBox> buildMessageBox(const ui::Message& message,
                                                        QWidget* parent = nullptr);
    // "Text files|*.txt;*.log|All|*.*" as Qt name filters: "Text files (*.txt *.log)", ...
    static QStringList nameFilters(const std::string& filter);

  private:
    QWidget* owner() const;
    QPointer<QWidget> owner_;
};

}  // namespace arkstash::gui
