#include "controls/folder_browser.h"

#include <algorithm>
#include <exception>

#include "controls/runtime_numbers.h"

namespace arkstash::controls {

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

int characterCount(const std::string& s) {
    return static_cast<int>(
        std::count_if(s.begin(), s.end(), [](char c) { return !isContinuationByte(c); }));
}

// Byte offset of the character at `index` (the end when the text is shorter).
std::size_t byteOffset(const std::string& s, int index) {
    std::size_t i = 0;
    for (int n = 0; i < s.size(); ++i) {
        if (isContinuationByte(s[i])) continue;
        if (n++ == index) return i;
    }
    return s.size();
}

constexpr std::int16_t kKeyDown = 40;
constexpr std::int16_t kAltMask = 4;

}  // namespace

void FolderTextBox::setText(std::string text) {
    selStart_ = 0;
    selLength_ = 0;
    ui::TextBox::setText(std::move(text));
}

// The text may have been replaced through the plain text box since the selection was set, so
// both ends are clamped when read.
int FolderTextBox::SelStart() const {
    return std::min(selStart_, characterCount(Text()));
}

int FolderTextBox::SelLength() const {
    return std::min(selLength_, characterCount(Text()) - SelStart());
}

void FolderTextBox::setSelStart(int start) {
    if (start < 0) throw runtimeError(kErrInvalidPropertyValue);
    selStart_ = std::min(start, characterCount(Text()));
    selLength_ = 0;
}

void FolderTextBox::setSelLength(int length) {
    if (length < 0) throw runtimeError(kErrInvalidPropertyValue);
    selLength_ = std::min(length, characterCount(Text()) - SelStart());
}

std::string FolderTextBox::SelText() const {
    std::size_t from = byteOffset(Text(), SelStart());
    std::size_t to = byteOffset(Text(), SelStart() + SelLength());
    return Text().substr(from, to - from);
}

void FolderTextBox::setSelText(const std::string& text) {
    int start = SelStart();
    std::size_t from = byteOffset(Text(), start);
    std::size_t to = byteOffset(Text(), start + SelLength());
    std::string replaced = Text().substr(0, from) + text + Text().substr(to);
    ui::TextBox::setText(std::move(replaced));
    selStart_ = start + characterCount(text);
    selLength_ = 0;
}

FolderBrowser::FolderBrowser() {
    Width = 2535;
    Height = 465;
    txtFolder.name = "txtFolder";
    txtFolder.Left = 45;
    txtFolder.Top = 60;
    txtFolder.Width = 1680;
    txtFolder.Height = 285;
    cmdBrowse.name = "cmdBrowse";
    cmdBrowse.Width = 270;
    cmdBrowse.Height = 270;
    txtFolder.Change = [this] { txtFolder_Change(); };
    cmdBrowse.Click = [this] { Browse(); };
}

void FolderBrowser::attachSurface(Surface* surface) {
    surface_ = surface;
    if (surface_) surface_->setBackColor(kSysWindowBackground);
}

void FolderBrowser::txtFolder_Change() {
    viewChanged();
    if (Change) Change();
}

void FolderBrowser::setBackColor(ui::Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.BackColor = colour;
    viewChanged();
    propertyChanged("BackColor");
}

void FolderBrowser::setForeColor(ui::Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.ForeColor = colour;
    viewChanged();
    propertyChanged("ForeColor");
}

void FolderBrowser::setEnabled(bool enabled) {
    Enabled = enabled;
    txtFolder.Enabled = enabled;
    viewChanged();
    propertyChanged("Enabled");
}

void FolderBrowser::setFont(const StdFont& font) {
    txtFolder.Font = font;
    viewChanged();
    propertyChanged("Font");
}

void FolderBrowser::setLocked(bool locked) {
    txtFolder.Locked = locked;
    viewChanged();
    propertyChanged("Locked");
}

void FolderBrowser::setSelLength(int length) {
    txtFolder.setSelLength(length);
    viewChanged();
    propertyChanged("SelLength");
}

void FolderBrowser::setSelStart(int start) {
    txtFolder.setSelStart(start);
    viewChanged();
    propertyChanged("SelStart");
}

void FolderBrowser::setSelText(const std::string& text) {
    txtFolder.setSelText(text);
    viewChanged();
    propertyChanged("SelText");
}

void FolderBrowser::setText(std::string text) {
    txtFolder.setText(std::move(text));
    propertyChanged("Text");
}

void FolderBrowser::Browse() {
    txtFolder.SetFocus();
    viewChanged();
    std::string folder = BrowseForFolder(kBrowseTitle);
    if (!folder.empty()) txtFolder.setText(std::move(folder));
}

std::string FolderBrowser::BrowseForFolder(const std::string& title) {
    if (!dialogs_) return {};
    std::string path;
    try {
        path = dialogs_->BrowseForFolder(title);
    } catch (const std::exception&) {
        // A failing chooser is the same as a cancelled one: nothing chosen.
        return {};
    }
    return path.substr(0, path.find('\0'));
}

void FolderBrowser::UserControl_ReadProperties(PropertyBag& bag) {
    ui::Colour back = readAs<ui::Colour>(bag, "BackColor", kSysWindowBackground);
    if (!isValidColour(back)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.BackColor = back;
    ui::Colour fore = readAs<ui::Colour>(bag, "ForeColor", kSysWindowText);
    if (!isValidColour(fore)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.ForeColor = fore;
    txtFolder.Enabled = Enabled = readAs<bool>(bag, "Enabled", true);
    txtFolder.Font = readAs<StdFont>(bag, "Font", AmbientFont);
    txtFolder.Locked = readAs<bool>(bag, "Locked", false);
    txtFolder.setSelLength(readAs<std::int32_t>(bag, "SelLength", 0));
    txtFolder.setSelStart(readAs<std::int32_t>(bag, "SelStart", 0));
    txtFolder.setSelText(readAs<std::string>(bag, "SelText", std::string()));
    txtFolder.setText(readAs<std::string>(bag, "Text", std::string()));
    viewChanged();
}

void FolderBrowser::UserControl_WriteProperties(PropertyBag& bag) {
    bag.WriteProperty("BackColor", txtFolder.BackColor, kSysWindowBackground);
    bag.WriteProperty("ForeColor", txtFolder.ForeColor, kSysWindowText);
    bag.WriteProperty("Enabled", txtFolder.Enabled, true);
    bag.WriteProperty("Font", txtFolder.Font, AmbientFont);
    bag.WriteProperty("Locked", txtFolder.Locked, false);
    bag.WriteProperty("SelLength", static_cast<std::int32_t>(txtFolder.SelLength()), 0);
    bag.WriteProperty("SelStart", static_cast<std::int32_t>(txtFolder.SelStart()), 0);
    bag.WriteProperty("SelText", txtFolder.SelText(), std::string());
    bag.WriteProperty("Text", txtFolder.Text(), std::string());
}

void FolderBrowser::UserControl_Resize(double scaleWidth, double scaleHeight, double px,
                                       double py) {
    px_ = px;
    auto whole = [](double v) { return static_cast<long>(roundHalfEven(v)); };
    cmdBrowse.Left = whole(scaleWidth - cmdBrowse.Width);
    cmdBrowse.Top = 0;
    cmdBrowse.Height = whole(scaleHeight);
    txtFolder.Left = whole(px);
    txtFolder.Top = whole(py);
    // Narrower than the button and the margins: the box shrinks to nothing instead of failing.
    txtFolder.Width = std::max(0L, whole(scaleWidth - (3 * px + cmdBrowse.Width)));
    txtFolder.Height = whole(scaleHeight);
    viewChanged();
}

void FolderBrowser::UserControl_Paint() {
    if (!surface_) return;
    surface_->Cls();
    // A light one-pixel line just left of the button, over the full height.
    double x = cmdBrowse.Left - px_;
    surface_->FillBox(x, 0, x, surface_->ScaleHeight(), kSys3DLight);
}

void FolderBrowser::UserControl_Show() {
    txtFolder.ToolTipText = ToolTipText;
    viewChanged();
}

void FolderBrowser::UserControl_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (KeyCode == kKeyDown && Shift == kAltMask) Browse();
}

}  // namespace arkstash::controls
