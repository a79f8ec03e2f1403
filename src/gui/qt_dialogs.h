// The platform's dialogs on Qt: message boxes with the runtime's buttons and icons, the
// file-open dialog and the folder chooser.
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

    int MsgBox(const ui::MessageBoxRequest& request) override;
    std::string OpenFile(const ui::FileOpenRequest& request) override;
    std::string BrowseForFolder(const std::string& title) override;
    using ui::Dialogs::MsgBox;

    // The message box a request asks for, not yet shown: title (the application's when none
    // is given), plain-text prompt, buttons, icon and default button from the style.
    static std::unique_ptr<QMessageBox> buildMessageBox(const ui::MessageBoxRequest& request,
                                                        QWidget* parent = nullptr);
    // The runtime's answer for a pressed button (vbOK, vbCancel, 3 Abort, 4 Retry, 5 Ignore,
    // vbYes, vbNo).
    static int answerFor(QMessageBox::StandardButton button);
    // "Text files|*.txt;*.log|All|*.*" as Qt name filters: "Text files (*.txt *.log)", ...
    static QStringList nameFilters(const std::string& filter);

  private:
    QWidget* owner() const;
    QPointer<QWidget> owner_;
};

}  // namespace arkstash::gui
