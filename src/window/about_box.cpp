#include "window/about_box.h"

#include "platform/ui/dialogs.h"
#include "window/main_window.h"

namespace arkstash::window {

namespace {

void place(controls::ControlState& control, const char* name, long left, long top, long width,
           long height) {
    control.name = name;
    control.left = left;
    control.top = top;
    control.width = width;
    control.height = height;
}

void place(controls::Label& label, const char* name, std::string caption, long left, long top,
           long width, long height) {
    place(label, name, left, top, width, height);
    label.setCaption(std::move(caption));
}

// Positions in twips. The form and its buttons keep the sizes users of the add-in know; the
// texts sit in a column right of the logo, the disclaimer below it, left of the buttons.
constexpr long kMargin = 240;
constexpr long kTextLeft = 1980;
constexpr long kTextWidth = 6315 - kTextLeft - kMargin;
constexpr long kLine = 255;

}  // namespace

ProgramVersion builtVersion() {
    return {ARKSTASH_VERSION_MAJOR, ARKSTASH_VERSION_MINOR, ARKSTASH_VERSION_PATCH};
}

std::string versionText(const ProgramVersion& version) {
    return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

AboutBox::AboutBox(ui::Shell& shell, ProgramVersion programVersion) : shell_(shell) {
    const std::string appTitle = ui::kAppTitle;
    caption = "About " + appTitle;
    place(frame, "frmAbout", 0, 0, 6315, 4440);
    place(logo, "picIcon", kMargin, kMargin, 1500, 3000);
    place(title, "lblTitle", appTitle, kTextLeft, kMargin, kTextWidth, 480);
    title.bold = true;
    place(version, "lblVersion", versionText(programVersion), kTextLeft, 720, kTextWidth, kLine);
    place(tagline, "Label5", "Project backup tool for Visual Basic", kTextLeft, 975, kTextWidth,
          kLine);
    place(visitUs, "lblDescription", "Visit us at", kTextLeft, 1395, kTextWidth, kLine);
    place(webLink, "Label2", kWebAddress, kTextLeft, 1650, kTextWidth, kLine);
    place(updates, "Label3", "for the latest product updates", kTextLeft, 1905, kTextWidth, kLine);
    place(otherTools, "Label4",
          "and for other tools that will help you in the development process.", kTextLeft, 2160,
          kTextWidth, 2 * kLine);
    place(disclaimer, "lblDisclaimer",
          "Arkstash is provided as is, without warranty of any kind. Keep more than one copy "
          "of work that matters, and check an archive before you rely on it.",
          kMargin, 3360, 4920 - 2 * kMargin, 960);

    place(okButton, "cmdOK", 4920, 3360, 1260, 345);
    okButton.caption = "&OK";
    okButton.clicked = [this] {
        if (closed) closed();
    };
    place(supportButton, "cmdSysInfo", 4920, 3840, 1245, 345);
    supportButton.caption = "&Tech support";
    supportButton.clicked = [this] { shell_.showHelpTopic(ui::kSupportTopic); };
}

void AboutBox::webLinkClicked() {
    shell_.openUrl(kWebAddress);
}

}  // namespace arkstash::window
