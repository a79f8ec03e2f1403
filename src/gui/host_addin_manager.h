// The environment's add-in manager: the add-ins it knows, with their description, whether each
// is loaded now and whether it loads when the environment starts.
#pragma once

#include <QDialog>

#include "addin/registration.h"

class QCheckBox;
class QLabel;
class QTreeWidget;

namespace arkstash::gui {

class AddinManagerDialog : public QDialog {
    Q_OBJECT
  public:
    // Shows the add-in as registered, loaded now or not.
    AddinManagerDialog(const addin::AddinRegistration& registration, bool loaded,
                       QWidget* parent = nullptr);

    bool loaded() const;
    bool loadOnStartup() const;

  private:
    void showBehaviour();

    QTreeWidget* list_;
    QLabel* description_;
    QCheckBox* loaded_;
    QCheckBox* loadOnStartup_;
};

}  // namespace arkstash::gui
