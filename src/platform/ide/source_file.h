// What the loader needs of a component's source file (.bas, .cls, .frm, .ctl, .pag, .dob,
// .dsr): its name, how many lines its code window shows, and whether a form is an MDI form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkstash::ide {

struct SourceInfo {
    std::optional<std::string> vbName;  // from `Attribute VB_Name = "..."`
    // Lines of the code proper: everything after the VERSION line, the control lines
    // ("Object = ..."), the design block (Begin ... End, nested, with BeginProperty ...
    // EndProperty) and without the Attribute lines, which the code window hides wherever they
    // stand (member attributes sit inside procedures).
    long codeLines = 0;
    bool mdiForm = false;  // the design block is a "Begin VB.MDIForm"
    // The file ends inside its design block: it was cut short, and it shows no code.
    bool unclosedDesignBlock = false;
    // The binary files the design block refers to for its properties (`Icon = "frmMain.frx":0000`):
    // names ending in ".frx", ".ctx", ".pgx" or ".dox", as written, each once.
    std::vector<std::string> binaryFiles;
};

SourceInfo readSourceText(std::string_view text);

}  // namespace arkstash::ide
