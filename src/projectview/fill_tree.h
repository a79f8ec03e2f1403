// The project scan: rebuilds the project tree and the file list from the environment.
#pragma once

#include <string>
#include <vector>

#include "form/main_form.h"

namespace arkstash::projectview {

// Holds the environment's event sources the scan points at the active project. The add-in
// connection owns them; a window without one (the command line) passes none.
struct EventHolder {
    virtual ~EventHolder() = default;
    virtual void subscribe(ide::VBE& vbe, ide::VBProject& active) = 0;
};

// A binary file the environment keeps beside a component's source.
struct Companion {
    const char* extension;  // replaces the last four characters of the source path
    const char* typeText;
};

// What a component kind (`VBComponent.Type`) becomes in the tree and the file list.
struct ComponentKind {
    int type;
    const char* folder;    // caption of its tree folder
    const char* typeText;  // the Type cell of its row
    bool countsLines;      // false: the Lines cell shows "---"
    std::vector<Companion> companions;
};

// The kind of a `Type` number; none for a number outside 1 to 11.
const ComponentKind* FindComponentKind(int type);

// Rebuilds the tree, the file list and the tools and tabs that depend on whether any saved
// file was found, then brings the archive name, project information, settings and references
// up to date through the window's routines. Each action is guarded on its own: a failing one
// is dropped and the scan goes on.
void FillTree(form::MainForm& frm, EventHolder* events = nullptr);

}  // namespace arkstash::projectview
