#include "gui/host_addin_manager.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace arkstash::gui {

AddinManagerDialog::AddinManagerDialog(const addin::AddinRegistration& registration, bool loaded,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName("AddinManager");
    setWindowTitle(tr("Add-In Manager"));
    list_ = new QTreeWidget(this);
    list_->setObjectName("addinList");
    list_->setHeaderLabels({tr("Available Add-Ins"), tr("Load Behavior")});
    list_->setRootIsDecorated(false);
    auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(registration.friendlyName)});
    list_->setCurrentItem(item);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);

    description_ = new QLabel(QString::fromStdString(registration.description), this);
    description_->setObjectName("addinDescription");
    description_->setFrameShape(QFrame::StyledPanel);
    description_->setWordWrap(true);
    auto* descriptionBox = new QGroupBox(tr("Description"), this);
    (new QVBoxLayout(descriptionBox))->addWidget(description_);

    loaded_ = new QCheckBox(tr("&Loaded/Unloaded"), this);
    loaded_->setObjectName("loadedBox");
    loaded_->setChecked(loaded);
    loadOnStartup_ = new QCheckBox(tr("Load on &Startup"), this);
    loadOnStartup_->setObjectName("loadOnStartupBox");
    loadOnStartup_->setChecked(registration.loadOnStartup);
    auto* behaviourBox = new QGroupBox(tr("Load Behavior"), this);
    auto* behaviour = new QVBoxLayout(behaviourBox);
    behaviour->addWidget(loaded_);
    behaviour->addWidget(loadOnStartup_);
    behaviour->addStretch();
    connect(loaded_, &QCheckBox::toggled, this, &AddinManagerDialog::showBehaviour);
    connect(loadOnStartup_, &QCheckBox::toggled, this, &AddinManagerDialog::showBehaviour);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* lower = new QHBoxLayout;
    lower->addWidget(descriptionBox, 2);
    lower->addWidget(behaviourBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(lower);
    layout->addWidget(buttons);
    showBehaviour();
    resize(520, 360);
}

bool AddinManagerDialog::loaded() const {
    return loaded_->isChecked();
}

bool AddinManagerDialog::loadOnStartup() const {
    return loadOnStartup_->isChecked();
}

void AddinManagerDialog::showBehaviour() {
    QStringList words;
    if (loadOnStartup()) words << tr("Startup");
    words << (loaded() ? tr("Loaded") : tr("Unloaded"));
    if (QTreeWidgetItem* item = list_->topLevelItem(0)) item->setText(1, words.join(" / "));
}

}  // namespace arkstash::gui
