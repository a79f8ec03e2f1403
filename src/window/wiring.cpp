// Which event of which control calls which handler of the window: the one place to look.
#include "window/main_window.h"

namespace arkstash::window {

void MainWindow::wireControls() {
    // Menus, tool bar and pop-ups: every tool runs its command.
    tools.clicked = [this](const std::string& id) { runCommand(id); };
    tabs.selected = [this](Tab tab) { tabSelected(tab); };

    // "Files" tab and the tree.
    fileList.columnClicked = [this](std::size_t column) { sortFileList(column); };
    fileList.rowClicked = [this](std::size_t row) { fileRowClicked(row); };
    fileList.checkChanged = [this](std::size_t row, bool on) { fileRowChecked(row, on); };
    fileList.mouseReleased = [this](MouseButton button) { fileListReleased(button); };
    projectTree.collapsed = [this](std::size_t node) { treeNodeCollapsed(node); };
    projectTree.expanded = [this](std::size_t node) { treeNodeExpanded(node); };

    // "Info" tab.
    includeReferences.clicked = [this] { includeReferencesClicked(); };
    referenceList.rowClicked = [this](std::size_t row) { referenceList.selected = row; };
    referenceList.checkChanged = [this](std::size_t row, bool on) { referenceRowChecked(row, on); };
    referenceList.mouseReleased = [this](MouseButton button) { referenceListReleased(button); };

    // "Properties" tab.
    addDateOption.clicked = [this] { CheckZipDir(); };
    usePassword.clicked = [this] { passwordOptionClicked(); };
    compressionList.picked = [this] { compressionPicked(); };
    archiveName.keyPressed = [this](int key) { return archiveNameKeyPressed(key); };
    viewArchiveButton.clicked = [this] { viewArchive(); };

    // "Memo" tab and the header: the memo is saved with each keystroke's effect.
    memoBox.keyTyped = [this](int key) { memoTyped(key); };
    addDateButton.clicked = [this] { addDateStamp(); };
}

}  // namespace arkstash::window
