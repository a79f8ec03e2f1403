// FolderBrowser: a one-line text box with a browse button that opens the folder chooser.
//
// Every text property passes through to `txtFolder`; every change of its text, however it
// came about, is raised as the control's own `Change`. The button, and Alt+Down anywhere in
// the control, open the folder chooser through the platform's dialogs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controls/colours.h"
#include "controls/property_bag.h"
#include "controls/surface.h"
#include "controls/user_control.h"
#include "controls/basic_controls.h"
#include "platform/ui/dialogs.h"

namespace arkstash::controls {

inline constexpr const char* kBrowseTitle = "Select a folder";

// The text box of the folder picker: a text box with colours, a font, a selection and a tool
// tip. Positions and lengths of the selection count characters (UTF-8 code points).
class FolderTextBox : public TextBox {
  public:
    Colour BackColor = kSysWindowBackground;
    Colour ForeColor = kSysWindowText;
    StdFont Font;
    std::string ToolTipText;

    // Replaces the text; the caret goes back to the start. Raises Change when it differs.
    void setText(std::string text);

    int SelStart() const;
    // Negative: "Invalid property value". Beyond the end: the end. Clears the selection length.
    void setSelStart(int start);
    int SelLength() const;
    // Negative: "Invalid property value". Clamped to the text after SelStart.
    void setSelLength(int length);
    std::string SelText() const;
    // Replaces the selection (or inserts at the caret) and puts the caret after the new text.
    void setSelText(const std::string& text);

  private:
    int selStart_ = 0;
    int selLength_ = 0;
};

class FolderBrowser : public UserControl {
  public:
    FolderBrowser();

    // The text box every text property passes through to. Its Change is the control's own
    // (it raises `Change`); handle `Change` instead.
    FolderTextBox txtFolder;
    Button cmdBrowse;
    // The tool tip the container gave the control (copied to txtFolder when shown).
    std::string ToolTipText;

    // Raised whenever the text of txtFolder changes: typing, Text, SelText or a chosen folder.
    std::function<void()> Change;

    // The folder chooser (none: browsing finds nothing) and the control's own surface.
    void setDialogs(ui::Dialogs* dialogs) { dialogs_ = dialogs; }
    void attachSurface(Surface* surface);

    // Stored properties, passed through to txtFolder; each setter notifies the host.
    Colour BackColor() const { return txtFolder.BackColor; }
    void setBackColor(Colour colour);  // an invalid colour: "Invalid property value"
    Colour ForeColor() const { return txtFolder.ForeColor; }
    void setForeColor(Colour colour);
    // Enabled is read from the ControlState field; the setter keeps txtFolder in step.
    void setEnabled(bool enabled);
    const StdFont& Font() const { return txtFolder.Font; }
    void setFont(const StdFont& font);
    bool Locked() const { return txtFolder.locked; }
    void setLocked(bool locked);
    int SelLength() const { return txtFolder.SelLength(); }
    void setSelLength(int length);
    int SelStart() const { return txtFolder.SelStart(); }
    void setSelStart(int start);
    std::string SelText() const { return txtFolder.SelText(); }
    void setSelText(const std::string& text);
    const std::string& text() const { return txtFolder.text(); }
    void setText(std::string text);

    // Repaints the text box.
    void Refresh() { viewChanged(); }

    // Focus to the text box, then the folder chooser; a chosen folder becomes the text.
    void Browse();

    // Host entry points.
    void UserControl_ReadProperties(PropertyBag& bag);
    void UserControl_WriteProperties(PropertyBag& bag);
    // Lays out the parts for an inner size W x H; px and py are the size of a pixel.
    void UserControl_Resize(double scaleWidth, double scaleHeight, double px, double py);
    void UserControl_Paint();
    void UserControl_Show();
    // Every key-down inside the control, before its parts see it (they still do).
    void UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift);

  private:
    // The chosen folder's path up to its first NUL, or empty (cancelled, or any failure).
    std::string BrowseForFolder(const std::string& title);
    void txtFolder_Change();

    ui::Dialogs* dialogs_ = nullptr;
    Surface* surface_ = nullptr;
    double px_ = 15;
};

}  // namespace arkstash::controls
