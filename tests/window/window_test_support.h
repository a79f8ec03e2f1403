// A window over an environment of saved projects whose files are in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include "platform/ide/memory_ide.h"
#include "platform/registry/reg_helpers.h"
#include "support/temp_dir.h"
#include "support/window_fixture.h"

namespace arkstash::test {

class WindowTest : public ::testing::Test {
  protected:
    TempDir dir;
    ide::MemoryVBE vbe;
    WindowFixture fixture;
    window::MainWindow& window = fixture.window;

    // A saved project with a form (and its binary) and a module.
    ide::MemoryProject& addProject(const std::string& name) {
        std::string folder = name + "/";
        auto& project = vbe.addProject(
            {name, dir.write(folder + name + ".vbp", "Type=Exe\r\n"), "", "", 0, true});
        dir.write(folder + "frmMain.frx", "binary");
        project.addComponent({"frmMain", ide::vbext_ct_VBForm,
                              dir.write(folder + "frmMain.frm", "form"), false, true, 10});
        project.addComponent({"modMain", ide::vbext_ct_StdModule,
                              dir.write(folder + "modMain.bas", "module"), false, true, 5});
        return project;
    }
    // Opens the window as the add-in's button does: loaded, handed the environment, scanned.
    void open() {
        window.Load();
        window.setEnvironment(&vbe);
        window.FillTree();
    }
    std::vector<std::string> rowPaths() const {
        std::vector<std::string> out;
        for (const auto& row : window.fileList.rows())
            out.push_back(row.path.substr(dir.str().size() + 1));
        return out;
    }
    std::string stored(const std::string& name) {
        return registry::RegRead(fixture.registry, registry::Root::CurrentUser,
                                 registry::kSettingsKey, name, "(none)");
    }
};

}  // namespace arkstash::test
