// A main window over a real temporary folder and an environment held in memory, with every
// routine the scan calls out to replaced by a recorder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/main_form.h"
#include "platform/ide/memory_ide.h"
#include "platform/os/clock.h"
#include "platform/os/file_system.h"
#include "platform/registry/memory_registry.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/runtime.h"
#include "support/temp_dir.h"

namespace arkstash::test {

class ScanFixture : public ::testing::Test {
  protected:
    TempDir dir;
    os::PosixFileSystem fs;
    os::FixedClock clock{os::DateTime{2026, 5, 12, 7, 9, 56, 2}};
    registry::MemoryRegistry registry;
    ui::ScriptedDialogs dialogs;
    ui::HeadlessEventLoop loop;
    form::Platform platform{fs, clock, registry, dialogs, loop};
    form::MainForm frm{platform};
    ide::MemoryVBE vbe;
    std::vector<std::string> calls;  // routines in the order the scan ran them

    ScanFixture() {
        frm.VBInstance = &vbe;
        auto record = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
        frm.routines.CheckZipDir = record("CheckZipDir");
        frm.routines.ProjectInfo = record("ProjectInfo");
        frm.routines.WriteSettings = record("WriteSettings");
        frm.routines.LoadReferences = record("LoadReferences");
    }

    // Writes a file in the temporary folder and answers its full path.
    std::string file(const std::string& rel, const std::string& content = "x") {
        return dir.write(rel, content);
    }

    std::vector<std::string> rowTexts() const {
        std::vector<std::string> out;
        for (const auto& r : frm.ListView1.items) out.push_back(r.text);
        return out;
    }
    // Every cell of every row, path relative to the folder, "|" between cells.
    std::vector<std::string> rowLines() const {
        std::vector<std::string> out;
        std::string base = dir.str() + "/";
        for (const auto& r : frm.ListView1.items) {
            std::string t = r.text.rfind(base, 0) == 0 ? r.text.substr(base.size()) : r.text;
            for (std::size_t c = 1; c <= 5; ++c) t += "|" + r.cell(c);
            t += "|" + std::to_string(r.smallIcon);
            out.push_back(t);
        }
        return out;
    }
    // Each node as "depth-indented caption [key] image".
    std::vector<std::string> treeLines() const {
        std::vector<std::string> out;
        const auto& nodes = frm.tvMain.nodes;
        for (const auto& n : nodes) {
            int depth = 0;
            for (auto p = n.parent; p; p = nodes[*p].parent) ++depth;
            std::string line(static_cast<std::size_t>(depth * 2), ' ');
            line += n.text + " [" + n.key + "] " + std::to_string(n.image);
            if (n.bold) line += " bold";
            if (n.expanded) line += " expanded";
            out.push_back(line);
        }
        return out;
    }
    const ui::ListItem* row(const std::string& path) const {
        for (const auto& r : frm.ListView1.items)
            if (r.text == path) return &r;
        return nullptr;
    }
    bool toolOn(const char* id) const { return frm.SSActiveToolBars1.isEnabled(id); }
};

}  // namespace arkstash::test
