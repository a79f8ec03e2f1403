// The project scan: rebuilds the project tree and the file list from the environment.
#pragma once

#include "form/main_form.h"

namespace arkstash::projectview {

// Holds the environment's event sources the scan points at the active project. The add-in
// connection owns them; a window without one (the command line) passes none.
struct EventHolder {
    virtual ~EventHolder() = default;
    virtual void subscribe(ide::VBE& vbe, ide::VBProject& active) = 0;
};

void FillTree(form::MainForm& frm, EventHolder* events = nullptr);

}  // namespace arkstash::projectview
