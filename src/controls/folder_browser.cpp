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
    TextBox::setText(std::move(text));
}

// The text may have been replaced through the plain text box since the selection was set, so
// both ends are clamped when read.
int FolderTextBox::SelStart() const {
    return std::min(selStart_, characterCount(text()));
}

int FolderTextBox::SelLength() const {
    return std::min(selLength_, characterCount(text()) - SelStart());
}

void FolderTextBox::setSelStart(int start) {
    if (start < 0) throw runtimeError(kErrInvalidPropertyValue);
    selStart_ = std::min(start, characterCount(text()));
    selLength_ = 0;
}

void FolderTextBox::setSelLength(int length) {
    if (length < 0) throw runtimeError(kErrInvalidPropertyValue);
    selLength_ = std::min(length, characterCount(text()) - SelStart());
}

std::string FolderTextBox::SelText() const {
    std::size_t from = byteOffset(text(), SelStart());
    std::size_t to = byteOffset(text(), SelStart() + SelLength());
    return text().substr(from, to - from);
}

void FolderTextBox::setSelText(const std::string& inserted) {
    int start = SelStart();
    std::size_t from = byteOffset(text(), start);
    std::size_t to = byteOffset(text(), start + SelLength());
    std::string replaced = text().substr(0, from) + inserted + text().substr(to);
    TextBox::setText(std::move(replaced));
    selStart_ = start + characterCount(inserted);
    selLength_ = 0;
}

FolderBrowser::FolderBrowser() {
    width = 2535;
    height = 465;
    txtFolder.name = "txtFolder";
    txtFolder.left = 45;
    txtFolder.top = 60;
    txtFolder.width = 1680;
    txtFolder.height = 285;
    cmdBrowse.name = "cmdBrowse";
    cmdBrowse.width = 270;
    cmdBrowse.height = 270;
    txtFolder.changed = [this] { txtFolder_Change(); };
    cmdBrowse.clicked = [this] { Browse(); };
}

void FolderBrowser::attachSurface(Surface* surface) {
    surface_ = surface;
    if (surface_) surface_->setBackColor(kSysWindowBackground);
}

void FolderBrowser::txtFolder_Change() {
    viewChanged();
    if (Change) Change();
}

void FolderBrowser::setBackColor(Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.BackColor = colour;
    viewChanged();
    propertyChanged("BackColor");
}

void FolderBrowser::setForeColor(Colour colour) {
    if (!isValidColour(colour)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.ForeColor = colour;
    viewChanged();
    propertyChanged("ForeColor");
}

void FolderBrowser::setEnabled(bool enabled) {
    this->enabled = enabled;
    txtFolder.enabled = enabled;
    viewChanged();
    propertyChanged("Enabled");
}

void FolderBrowser::setFont(const StdFont& font) {
    txtFolder.Font = font;
    viewChanged();
    propertyChanged("Font");
}

void FolderBrowser::setLocked(bool locked) {
    txtFolder.locked = locked;
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
    txtFolder.focus();
    viewChanged();
    std::string folder = BrowseForFolder(kBrowseTitle);
    if (!folder.empty()) txtFolder.setText(std::move(folder));
}

std::string FolderBrowser::BrowseForFolder(const std::string& title) {
    if (!dialogs_) return {};
    std::string path;
    try {
        path = dialogs_->chooseFolder(title);
    } catch (const std::exception&) {
        // A failing chooser is the same as a cancelled one: nothing chosen.
        return {};
    }
    return path.substr(0, path.find('\0'));
}

void FolderBrowser::UserControl_ReadProperties(PropertyBag& bag) {
    Colour back = readAs<Colour>(bag, "BackColor", kSysWindowBackground);
    if (!isValidColour(back)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.BackColor = back;
    Colour fore = readAs<Colour>(bag, "ForeColor", kSysWindowText);
    if (!isValidColour(fore)) throw runtimeError(kErrInvalidPropertyValue);
    txtFolder.ForeColor = fore;
    txtFolder.enabled = enabled = readAs<bool>(bag, "Enabled", true);
    txtFolder.Font = readAs<StdFont>(bag, "Font", AmbientFont);
    txtFolder.locked = readAs<bool>(bag, "Locked", false);
    txtFolder.setSelLength(readAs<std::int32_t>(bag, "SelLength", 0));
    txtFolder.setSelStart(readAs<std::int32_t>(bag, "SelStart", 0));
    txtFolder.setSelText(readAs<std::string>(bag, "SelText", std::string()));
    txtFolder.setText(readAs<std::string>(bag, "Text", std::string()));
    viewChanged();
}

void FolderBrowser::UserControl_WriteProperties(PropertyBag& bag) {
    bag.WriteProperty("BackColor", txtFolder.BackColor, kSysWindowBackground);
    bag.WriteProperty("ForeColor", txtFolder.ForeColor, kSysWindowText);
    bag.WriteProperty("Enabled", txtFolder.enabled, true);
    bag.WriteProperty("Font", txtFolder.Font, AmbientFont);
    bag.WriteProperty("Locked", txtFolder.locked, false);
    bag.WriteProperty("SelLength", static_cast<std::int32_t>(txtFolder.SelLength()), 0);
    bag.WriteProperty("SelStart", static_cast<std::int32_t>(txtFolder.SelStart()), 0);
    bag.WriteProperty("SelText", txtFolder.SelText(), std::string());
    bag.WriteProperty("Text", txtFolder.text(), std::string());
}

void FolderBrowser::UserControl_Resize(double scaleWidth, double scaleHeight, double px,
                                       double py) {
    px_ = px;
    auto whole = [](double v) { return static_cast<long>(roundHalfEven(v)); };
    cmdBrowse.left = whole(scaleWidth - cmdBrowse.width);
    cmdBrowse.top = 0;
    cmdBrowse.height = whole(scaleHeight);
    txtFolder.left = whole(px);
    txtFolder.top = whole(py);
    // Narrower than the button and the margins: the box shrinks to nothing instead of failing.
    txtFolder.width = std::max(0L, whole(scaleWidth - (3 * px + cmdBrowse.width)));
    txtFolder.height = whole(scaleHeight);
    viewChanged();
}

void FolderBrowser::UserControl_Paint() {
    if (!surface_) return;
    surface_->Cls();
    // A light one-pixel line just left of the button, over the full height.
    double x = cmdBrowse.left - px_;
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
