#include "gui/host_explorer.h"

#include <QHeaderView>
#include <QMenu>
#include <array>

#include "gui/image_list.h"
#include "platform/error.h"
#include "projectview/component_kinds.h"
#include "projectview/file_row.h"
#include "util/paths.h"

namespace arkstash::gui {

namespace {

enum Role { kComponentFile = Qt::UserRole, kProjectFile };

// The folders in the order the environment's explorer lists them.
constexpr std::array<std::string_view, 8> kFolders = {
    "Forms",          "Modules",        "Class Modules", "User Controls",
    "Property Pages", "User Documents", "Designers",     "Related Documents"};

QString titled(const std::string& name, const std::string& file) {
    std::string title = util::FileTitle(file);
    return QString::fromStdString(title.empty() ? name : name + " (" + title + ")");
}

}  // namespace

ProjectExplorer::ProjectExplorer(ide::MemoryVBE& vbe, QWidget* parent)
    : QTreeWidget(parent), vbe_(vbe) {
    setObjectName("ProjectExplorer");
    setHeaderHidden(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTreeWidget::customContextMenuRequested, this, &ProjectExplorer::contextMenu);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        QString file = item->data(0, kComponentFile).toString();
        if (!file.isEmpty() && viewComponent) viewComponent(file.toStdString(), false);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        QString project = item ? item->data(0, kProjectFile).toString() : QString();
        if (!project.isNull() && projectChosen) projectChosen(project.toStdString());
    });
}

void ProjectExplorer::rebuild() {
    QSignalBlocker quiet(this);
    clear();
    QTreeWidgetItem* root = invisibleRootItem();
    std::string group = vbe_.projects().FileName();
    if (!group.empty()) {
        std::string name = util::FileTitle(group);
        name = name.substr(0, name.rfind('.'));
        root = new QTreeWidgetItem(this, {titled(name, group)});
        root->setIcon(0, imageListIcon(projectview::images::kGroup));
    }
    const ide::VBProject* start = nullptr;
    // No start-up project: nothing is bold.
    attempt([&] { start = &vbe_.projects().StartProject(); });
    for (std::size_t i = 1; i <= vbe_.projects().size(); ++i) {
        ide::MemoryProject& p = vbe_.project(static_cast<long>(i));
        auto* project = new QTreeWidgetItem(root, {titled(p.data().Name, p.data().FileName)});
        const QString projectFile = QString::fromStdString(p.data().FileName);
        project->setData(0, kProjectFile, projectFile);
        project->setIcon(0, imageListIcon(projectview::images::kProjectBase + p.data().Type));
        QFont font = project->font(0);
        font.setBold(static_cast<const ide::VBProject*>(&p) == start);
        project->setFont(0, font);
        for (std::string_view folderName : kFolders) {
            QTreeWidgetItem* folder = nullptr;
            for (std::size_t j = 1; j <= p.components().size(); ++j) {
                const ide::ComponentData& c = p.component(static_cast<long>(j)).data();
                const projectview::ComponentKind* kind = projectview::findComponentKind(c.Type);
                if (!kind || kind->folder != folderName) continue;
                if (!folder) {
                    folder = new QTreeWidgetItem(
                        project, {QString::fromUtf8(folderName.data(), folderName.size())});
                    folder->setIcon(0, imageListIcon(projectview::images::kFolder,
                                                     projectview::images::kFolderSelected));
                    folder->setData(0, kProjectFile, projectFile);
                }
                auto* item = new QTreeWidgetItem(folder, {titled(c.Name, c.FileName)});
                item->setIcon(0, imageListIcon(c.Type));
                item->setData(0, kComponentFile, QString::fromStdString(c.FileName));
                item->setData(0, kProjectFile, projectFile);
            }
        }
    }
    expandAll();
}

void ProjectExplorer::contextMenu(const QPoint& at) {
    QTreeWidgetItem* item = itemAt(at);
    QString file = item ? item->data(0, kComponentFile).toString() : QString();
    if (file.isEmpty() || !viewComponent) return;
    QMenu menu(this);
    QAction* code = menu.addAction(tr("View &Code"));
    QAction* object = menu.addAction(tr("View &Object"));
    QAction* chosen = menu.exec(viewport()->mapToGlobal(at));
    if (chosen == code || chosen == object) viewComponent(file.toStdString(), chosen == object);
}

}  // namespace arkstash::gui
