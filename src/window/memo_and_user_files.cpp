// The memo and the files the user added by hand, kept in the project's side file.
#include "backup/side_file.h"
#include "platform/error.h"
#include "window/main_window.h"

namespace arkstash::window {

namespace {
constexpr int kNoKey = 0;
}  // namespace

std::optional<std::string> MainWindow::shownSideFile() const {
    if (memoSideFile_) return memoSideFile_;
    // No project information shown yet: the active project's side file.
    auto projectFile = activeProjectFile();
    if (!projectFile) return std::nullopt;
    return backup::sideFilePath(*projectFile, projectLabel.caption());
}

projectview::FileRow MainWindow::userRow(const std::string& path) const {
    projectview::FileRow row = projectview::userAddedRow(path);
    row.outside = projectview::isOutsideFolders(path, projectFolders);
    return row;
}

void MainWindow::ReadAKS(const std::string& path) {
    auto content = backup::readSideFile(services_.files, path);
    if (!content) return;
    if (!content->memo.empty()) memoBox.setText(memoBox.text() + content->memo);
    for (auto& file : content->files)
        projectview::AddToListView(fileList, services_.files, userRow(file));
    if (!content->files.empty()) fileList.fitColumnsToContents();
    fileList.touch();
}

void MainWindow::WriteAKS(const std::string& path) {
    backup::SideFile content{memoBox.text(), {}};
    for (const auto& row : fileList.rows())
        if (row.userAdded()) content.files.push_back(row.path);
    // A side file that cannot be written keeps its previous content whole.
    attempt([&] { backup::writeSideFile(services_.files, path, content); });
}

void MainWindow::saveMemo(const std::string& sideFile) {
    // The list may show another project's rows by now; the file's own entries are kept.
    backup::SideFile content{memoBox.text(), {}};
    if (auto current = backup::readSideFile(services_.files, sideFile))
        content.files = std::move(current->files);
    attempt([&] { backup::writeSideFile(services_.files, sideFile, content); });
}

void MainWindow::AddFile() {
    std::vector<std::string> chosen = services_.dialogs.openFiles(
        {"Add file to project", "All Files|*.*", "*.*", /*several=*/true});
    bool anyThere = false, added = false;
    for (const auto& path : chosen) {
        // A hidden file is there but gets no row; the side file is still rewritten.
        bool there = false;
        attempt([&] { there = services_.files.findFirst(path, true).has_value(); });
        if (!there) continue;
        anyThere = true;
        added |= projectview::AddToListView(fileList, services_.files, userRow(path));
    }
    if (!anyThere) return;
    if (added) fileList.fitColumnsToContents();
    fileList.touch();
    if (auto sideFile = shownSideFile()) WriteAKS(*sideFile);
    notifyView();
}

void MainWindow::removeUserFile() {
    const projectview::FileRow* row = fileList.selectedRow();
    // The tool's state can be stale (a rescan, a sort): only a user-added row goes.
    if (!row || !row->userAdded()) return;
    fileList.remove(*fileList.selected);
    fileList.touch();
    if (auto sideFile = shownSideFile()) WriteAKS(*sideFile);
    notifyView();
}

void MainWindow::memoTyped(int key) {
    if (key == kNoKey) return;
    if (auto sideFile = shownSideFile()) WriteAKS(*sideFile);
}

void MainWindow::addDateStamp() {
    os::DateTime now = services_.clock.now();
    if (auto stamp = backup::memoDateStamp(now.year, now.month, now.day, now.hour, now.minute,
                                           now.second))
        memoBox.setText(memoBox.text() + *stamp);
    notifyView();
}

}  // namespace arkstash::window
