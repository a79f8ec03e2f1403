// The window's tools (menu bar, tool bar, pop-up menus) and what each command does.
#include "platform/error.h"
#include "window/main_window.h"

namespace arkstash::window {

#ifndef ARKSTASH_WEB_ADDRESS
#define ARKSTASH_WEB_ADDRESS "https://arkstash.example.org/"
#endif
const char* const kWebAddress = ARKSTASH_WEB_ADDRESS;

void MainWindow::defineTools() {
    tools.name = "SSActiveToolBars1";
    tools.add({"ID_ViewCode", "View &code", "View code"});
    tools.add({"ID_ViewObject", "View o&bject", "View object"});
    tools.add({"ID_Refresh", "&Refresh", "Reload project"});
    tools.add({"ID_Addfiles", "&Add file", "Add files to backup session"});
    tools.add({"ID_Remove", "&Remove user added file", "Remove file from backup session"});
    tools.add({"ID_Fileproperties", "&File properties", "Show file properties "});
    tools.add({"ID_Help", "&Contents", "View Arkstash Help"});
    tools.add({"ID_Backup", "&Backup project", ""});
    tools.add({"ID_Exit", "E&xit", ""});
    tools.add({"ID_Web", "Arkstash on the &Web", ""});
    tools.add({"ID_Support", "&Technical support", ""});
    tools.add({"ID_AboutArkstash", "&About Arkstash...", ""});

    const std::string sep = kSeparator;
    auto menu = [&](const char* id, const char* caption, std::vector<std::string> items) {
        tools.add({id, caption, "", true, 0, std::move(items)});
    };
    menu("ID_File", "&File", {"ID_Addfiles", "ID_Remove", "ID_Fileproperties", sep, "ID_Exit"});
    menu("ID_View", "&View", {"ID_ViewCode", "ID_ViewObject"});
    menu("ID_Project", "&Project", {"ID_Refresh", sep, "ID_Backup"});
    menu("ID_MainHelp", "&Help", {"ID_Help", sep, "ID_Web", "ID_Support", sep, "ID_AboutArkstash"});
    menu("ID_ListView1", "ListView1",
         {"ID_ViewCode", "ID_ViewObject", sep, "ID_Addfiles", "ID_Remove", "ID_Fileproperties"});
    menu("ID_ListView2", "ListView2", {"ID_Fileproperties"});

    tools.bars.push_back({"ListMenu1", {"ID_File", "ID_View", "ID_Project", "ID_MainHelp"}});
    tools.bars.push_back({"ToolBar1",
                          {"ID_ViewCode", "ID_ViewObject", sep, "ID_Addfiles", "ID_Remove",
                           "ID_Fileproperties", sep, "ID_Refresh", "ID_Help", sep, "ID_Backup"}});
}

void MainWindow::runCommand(const std::string& toolId) {
    if (toolId == "ID_Help") {
        services_.shell.showHelpTopic(ui::kIntroductionTopic);
    } else if (toolId == "ID_Support") {
        services_.shell.showHelpTopic(ui::kSupportTopic);
    } else if (toolId == "ID_Web") {
        services_.shell.openUrl(kWebAddress);
    } else if (toolId == "ID_Exit") {
        close();
        if (closed) closed();
    } else if (toolId == "ID_AboutArkstash") {
        if (showAbout) showAbout();
    } else if (toolId == "ID_Remove") {
        removeUserFile();
    } else if (toolId == "ID_Addfiles") {
        AddFile();
    } else if (toolId == "ID_Backup") {
        if (backupRunning_) return;
        ReadSettings();
        ZipFiles();
    } else if (toolId == "ID_ViewCode") {
        viewComponents(false);
    } else if (toolId == "ID_ViewObject") {
        viewComponents(true);
    } else if (toolId == "ID_Refresh") {
        FillTree();
    } else if (toolId == "ID_Fileproperties") {
        showSelectedFileProperties();
    }
}

void MainWindow::viewComponents(bool designer) {
    const projectview::FileRow* row = fileList.selectedRow();
    if (!environment_ || !row) return;
    const std::string path = row->path;
    // A project or component the environment cannot give is skipped; the others still open.
    long projectCount = 0;
    attempt([&] { projectCount = environment_->VBProjects().Count(); });
    for (long p = 1; p <= projectCount; ++p) {
        ide::VBProject* project = nullptr;
        if (!attempt([&] { project = &environment_->VBProjects().Item(p); })) continue;
        long count = 0;
        attempt([&] { count = project->VBComponents().Count(); });
        // Every component of that file opens, in every project: a shared module opens twice.
        for (long c = 1; c <= count; ++c)
            attempt([&] {
                ide::VBComponent& component = project->VBComponents().Item(c);
                if (component.FileNames(1) != path) return;
                if (designer)
                    component.Activate();
                else
                    component.CodeModule().CodePane().Show();
            });
    }
}

void MainWindow::showSelectedFileProperties() {
    std::optional<std::string> path;
    std::string typeText;
    if (tabs.current() == Tab::Files) {
        if (const projectview::FileRow* row = fileList.selectedRow()) {
            path = row->path;
            typeText = row->typeText;
        }
    } else if (tabs.current() == Tab::Info) {
        if (const backup::ReferenceRow* row = referenceList.selectedRow())
            path = backup::cellText(*row, backup::kReferenceFileColumn);
    }
    if (!path || !ShowFileProperties(*path, typeText))
        services_.dialogs.inform("Error reading file properties");
}

bool MainWindow::ShowFileProperties(const std::string& path, const std::string& typeText) {
    return services_.shell.showFileProperties(path, typeText);
}

}  // namespace arkstash::window
