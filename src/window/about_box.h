// The about box ("frmAbout") as state: what it says, where its parts stand, and what its two
// buttons and its web link do. The desktop view renders it modally.
#pragma once

#include <functional>
#include <string>

#include "controls/basic_controls.h"
#include "platform/ui/shell.h"

namespace arkstash::window {

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The version this program was built as: the project's version in the build, the same one
// `arkstash --version` prints and the help pages name.
ProgramVersion builtVersion();

// "Version 1.0.12".
std::string versionText(const ProgramVersion& version);

class AboutBox {
  public:
    explicit AboutBox(ui::Shell& shell, ProgramVersion version = builtVersion());
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    std::string caption;              // "About Arkstash"
    std::string fontName = "Tahoma";  // the box's font; the view substitutes a near one
    double fontPoints = 8.25;
    controls::ControlState frame;    // "frmAbout": its inner size
    controls::ControlState logo;     // "picIcon": 100 x 200 pixels at 96 dots per inch
    controls::Label title;           // "lblTitle"
    controls::Label version;         // "lblVersion"
    controls::Label tagline;         // "Label5"
    controls::Label visitUs;         // "lblDescription"
    controls::Label webLink;         // "Label2": the web address, opens it when clicked
    controls::Label updates;         // "Label3"
    controls::Label otherTools;      // "Label4"
    controls::Label disclaimer;      // "lblDisclaimer"
    controls::Button okButton;       // "cmdOK": closes the box
    controls::Button supportButton;  // "cmdSysInfo": the technical support help page

    // The web label was clicked: the product's web page opens in the browser.
    void webLinkClicked();
    // OK was pressed; the view closes the box.
    std::function<void()> closed;

  private:
    ui::Shell& shell_;
};

}  // namespace arkstash::window
