#include <gmock/gmock.h>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <fstream>

#include "desktop_window.h"
#include "gui/command_bars.h"
#include "gui/progress_bar_widget.h"
#include "platform/archive/archive_check.h"
#include "window/settings_store.h"

using namespace arkstash;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::Not;

namespace {

class MainWindowView : public test::DesktopWindow {
  protected:
    QTreeView* fileList() { return find<QTreeView>("ListView1"); }
    QString cell(int row, int column) {
        return fileList()->model()->index(row, column).data().toString();
    }
    std::vector<QString> column(int c) {
        std::vector<QString> out;
        for (int r = 0; r < fileList()->model()->rowCount(); ++r) out.push_back(cell(r, c));
        return out;
    }
    void clickTab(int index) {
        QTabBar* bar = find<QTabWidget>("SSActiveTabs1")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void backUp() { view.commandBars().action("ID_Backup")->trigger(); }
    std::vector<std::string> entries(const std::string& archive, const std::string& password = {}) {
        archive::ArchiveCheck check = archive::CheckArchive(archive, password);
        EXPECT_TRUE(check.ok()) << ::testing::PrintToString(check.problems());
        std::vector<std::string> names;
        for (const auto& entry : check.entries) {
            EXPECT_EQ(entry.encryption != 0, !password.empty()) << entry.name;
            names.push_back(entry.name);
        }
        return names;
    }
};

TEST_F(MainWindowView, AScanOfTheExampleGroupShowsItsRowsAndTree) {
    open();
    ASSERT_EQ(fileList()->model()->rowCount(), static_cast<int>(window.fileList.size()));
    EXPECT_EQ(cell(0, 0).toStdString(), example("StockControl.vbg"));
    EXPECT_EQ(cell(0, 2), "Visual Basic Group");
    EXPECT_EQ(fileList()->model()->index(0, 0).data(Qt::CheckStateRole), Qt::Checked);
    EXPECT_FALSE(fileList()->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(fileList()->header()->count(), 6);

    auto* tree = find<QTreeWidget>("tvMain");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* exe = tree->topLevelItem(0);
    EXPECT_EQ(exe->text(0), "StockControl (StockControl.vbp)");
    EXPECT_TRUE(exe->isExpanded());
    EXPECT_TRUE(exe->font(0).bold());  // the start-up project
    EXPECT_EQ(exe->child(0)->text(0), "Forms");
    EXPECT_FALSE(tree->topLevelItem(1)->isExpanded());
    EXPECT_TRUE(find<QTabWidget>("SSActiveTabs1")->isTabEnabled(1));
    EXPECT_EQ(find<QLabel>("lblProjectName")->text(), "StockControl");

    // A rescan lets waiting repaints run while its lists are empty.
    fileList()->viewport()->update();
    find<QTreeView>("ListView2")->viewport()->update();
    view.commandBars().action("ID_Refresh")->trigger();
    EXPECT_EQ(fileList()->model()->rowCount(), static_cast<int>(window.fileList.size()));
}

TEST_F(MainWindowView, AHeaderClickSortsStablyAndASecondReverses) {
    open();
    QHeaderView* header = fileList()->header();
    for (bool descending : {true, false}) {
        // Rows of one type keep the order they had.
        std::vector<std::pair<QString, QString>> rows;
        for (int r = 0; r < fileList()->model()->rowCount(); ++r)
            rows.emplace_back(cell(r, 2), cell(r, 0));
        std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
            return descending ? b.first < a.first : a.first < b.first;
        });
        std::vector<QString> expected;
        for (const auto& row : rows) expected.push_back(row.second);

        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
        EXPECT_EQ(column(0), expected) << "descending " << descending;
        EXPECT_EQ(header->sortIndicatorSection(), 2);
        EXPECT_EQ(header->sortIndicatorOrder(),
                  descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

TEST_F(MainWindowView, ATabSetsTheHeaderAndOnlyTheMemoShowsAddDate) {
    open();
    struct Case {
        int tab;
        const char* header;
        bool addDate;
    } cases[] = {{3, "Arkstash: Project memo", true},
                 {1, "Arkstash: Project info", false},
                 {2, "Arkstash: Project properties", false},
                 {0, "Arkstash: Files to add", false}};
    for (const auto& c : cases) {
        clickTab(c.tab);
        EXPECT_EQ(find<QLabel>("lblHeaderInfo")->text(), c.header);
        EXPECT_EQ(find<QPushButton>("cmdAddDate")->isVisible(), c.addDate) << c.header;
    }
}

TEST_F(MainWindowView, ShrinkingBelowTheLayoutKeepsTheLastValidWidths) {
    open();
    QWidget* folder = find("txtBackupDir");
    QWidget* panel = find<QTabWidget>("SSActiveTabs1")->currentWidget();
    int wide = folder->width();
    EXPECT_EQ(wide, toPixels(window.tabPanel.width - 2000));
    // The tree takes nearly all: the panel is narrower than the folder box's margins.
    find<QSplitter>("SSSplitter1")->setSizes({900, 100});
    ASSERT_LT(window.tabPanel.width, 2000);
    EXPECT_EQ(folder->width(), wide);
    EXPECT_EQ(fileList()->width(), toPixels(window.tabPanel.width - 240));
    EXPECT_LT(fileList()->width(), panel->width());
}

TEST_F(MainWindowView, ClosingWritesSideFileAndSettingsOnlyWithAProjectShown) {
    window.Load();
    view.show();
    view.close();
    EXPECT_EQ(hive(), "");

    open();
    window::SettingsStore settings(registry);
    find<QCheckBox>("chkRefresh")->click();  // an option stored only on the way out
    EXPECT_EQ(settings.autoRefresh(), true);
    view.close();
    EXPECT_EQ(settings.autoRefresh(), false);
    EXPECT_TRUE(std::filesystem::exists(example("StockControl.aks")));
    EXPECT_EQ(find<QLabel>("lblProjectName")->text(), "");
}

TEST_F(MainWindowView, ABackupShowsStatusFillsTheBarsAndLeavesOutAnUntickedRow) {
    open();
    // Untick the class module with the keyboard, as a user would.
    int row = 0;
    while (!cell(row, 0).endsWith("CStockItem.cls")) ++row;
    QModelIndex index = fileList()->model()->index(row, 0);
    fileList()->setFocus();
    fileList()->setCurrentIndex(index);
    QTest::keyClick(fileList(), Qt::Key_Space);
    ASSERT_FALSE(window.fileList.row(static_cast<std::size_t>(row)).checked);

    // Whatever waits in the queue runs while the archive is written: the window stays alive.
    auto* tabs = find<QTabWidget>("SSActiveTabs1");
    bool ranDuringBackup = false, statusShown = false;
    QTimer::singleShot(0, &view, [&] {
        ranDuringBackup = window.backupRunning();
        statusShown = tabs->isTabVisible(4) && tabs->currentIndex() == 4 && !tabs->isTabEnabled(0);
    });
    backUp();
    EXPECT_TRUE(ranDuringBackup);
    EXPECT_TRUE(statusShown);
    EXPECT_THAT(dialogs.texts(), ElementsAre("Project backup completed"));
    auto names = entries(example("StockControl.zip"));
    EXPECT_THAT(names, Not(Contains(EndsWith("CStockItem.cls"))));
    EXPECT_THAT(names, Contains("StockGrid/CGridColumn.cls"));

    QImage bar = find<gui::ProgressBarWidget>("vbwProgressBar2")->render();
    EXPECT_EQ(bar.pixel(bar.width() - 3, bar.height() / 2), qRgb(0, 0, 0x80));  // full
    EXPECT_FALSE(tabs->isTabVisible(4));
    EXPECT_TRUE(tabs->isTabEnabled(0));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(find<QPushButton>("cmdView")->isVisibleTo(tabs->widget(2)));
}

TEST_F(MainWindowView, ClosingDuringABackupKeepsThePreviousArchiveAndNoTemporaryFile) {
    open();
    std::ofstream(example("StockControl.zip")) << "previous";
    dialogs.answers = {ui::Answer::Yes};  // replace it
    QTimer::singleShot(0, &view, [&] { view.close(); });
    backUp();
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(window.backupRunning());
    EXPECT_THAT(dialogs.texts(), ElementsAre("Backup file exists, overwrite?"));
    std::ifstream previous(example("StockControl.zip"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(previous), {}), "previous");
    for (const auto& entry : std::filesystem::directory_iterator(dir / "StockControl"))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(MainWindowView, APasswordIsNeverShownAndNeverReachesTheHive) {
    open();
    clickTab(2);
    find<QCheckBox>("chkPassword")->click();
    auto* password = find<QLineEdit>("txtPassword");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    QTest::keyClicks(password, "s3cret");
    backUp();
    EXPECT_FALSE(entries(example("StockControl.zip"), "s3cret").empty());
    view.close();
    EXPECT_NE(hive().find("CompFactor"), std::string::npos);
    EXPECT_EQ(hive().find("s3cret"), std::string::npos);
}

}  // namespace
