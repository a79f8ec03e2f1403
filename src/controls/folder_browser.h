// FolderBrowser: a one-line text box with a browse button that opens the folder chooser.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/basic_controls.h"

namespace arkstash::controls {

class FolderBrowser : public ui::ControlState {
  public:
    // The text box every text property passes through to.
    ui::TextBox txtFolder;
    ui::Button cmdBrowse;

    const std::string& Text() const { return txtFolder.Text(); }
    void setText(std::string text) { txtFolder.setText(std::move(text)); }
};

}  // namespace arkstash::controls
