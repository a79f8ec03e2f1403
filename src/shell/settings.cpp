#include "shell/settings.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "form/helpers.h"
#include "platform/error.h"
#include "platform/registry/reg_helpers.h"

namespace arkstash::shell {

namespace {

using registry::Root;

std::string readSetting(form::MainForm& frm, const std::string& name, const std::string& def) {
    return registry::RegRead(frm.platform.registry, Root::CurrentUser, registry::kSettingsKey, name,
                             def);
}

void writeNumber(form::MainForm& frm, const std::string& name, long long value) {
    registry::RegWrite(frm.platform.registry, Root::CurrentUser, registry::kSettingsKey, name,
                       registry::REG_DWORD, value);
}

void writeText(form::MainForm& frm, const std::string& name, const std::string& value) {
    registry::RegWrite(frm.platform.registry, Root::CurrentUser, registry::kSettingsKey, name,
                       registry::REG_SZ, value);
}

// Locale-blind: the desktop app runs under the user's locale, whose decimal mark may differ.
double parseDecimal(const std::string& t) {
    double n = 0;
    const char* b = t.c_str() + (t[0] == '+' ? 1 : 0);
    std::from_chars(b, t.c_str() + t.size(), n);
    return n;
}

// The whole number of a setting's text ("001" is 1); fails on anything that is not a number,
// so a value someone stored as text in place of a number leaves its control as it was.
int wholeNumber(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) throw PlatformError("Type mismatch");
    std::size_t e = text.find_last_not_of(" \t");
    std::string t = text.substr(b, e - b + 1);
    std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    std::size_t digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) ++digits;
    if (digits == 0 || i != t.size()) throw PlatformError("Type mismatch");
    double n = std::nearbyint(parseDecimal(t));
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        throw PlatformError("Overflow");
    return static_cast<int>(n);
}

// The active project's file path, read as the environment gives it; fails without one.
std::string activeProjectPath(form::MainForm& frm) {
    if (!frm.VBInstance) throw PlatformError("Object variable or With block variable not set");
    return frm.VBInstance->ActiveVBProject().VBComponents().Parent().FileName();
}

// The folder stored for the project, and which project it now belongs to.
void readStoredFolder(form::MainForm& frm, const std::string& projectPath) {
    frm.txtBackupDir.setText(readSetting(frm, projectPath, ""));
    frm.settingsProjectPath = projectPath;
    frm.settingsProjectRead = true;
}

// No stored folder: the project's own folder. A project never saved has no path and so no
// folder; the backup then asks for one.
void defaultFolder(form::MainForm& frm, const std::string& projectPath) {
    if (frm.txtBackupDir.Text().empty()) frm.txtBackupDir.setText(form::DirOf(projectPath));
}

// Only the last level is made; a missing parent makes it fail, and the backup reports that.
void createFolder(form::MainForm& frm) {
    const std::string& dir = frm.txtBackupDir.Text();
    if (dir.empty()) return;
    if (!frm.platform.fs.folderExists(dir)) frm.platform.fs.createFolder(dir);
}

}  // namespace

void ReadSettings(form::MainForm& frm) {
    attempt([&] { frm.chkRefresh.setValue(wholeNumber(readSetting(frm, "AutoRefresh", "1"))); });
    attempt([&] { frm.chkDateComp.setValue(wholeNumber(readSetting(frm, "AddDate", "0"))); });
    attempt([&] { frm.cmbCompLevel.setText(readSetting(frm, "CompFactor", "Normal")); });
    attempt([&] { readStoredFolder(frm, activeProjectPath(frm)); });
    attempt([&] {
        bool include = wholeNumber(readSetting(frm, "AddRef", "1")) == 1;
        frm.chkAddComponents.setValue(include ? 1 : 0);
        frm.ListView2.Enabled = include;
        frm.framRef.Enabled = include;
    });
    attempt([&] { defaultFolder(frm, activeProjectPath(frm)); });
    attempt([&] { createFolder(frm); });
}

void WriteSettings(form::MainForm& frm) {
    attempt([&] { writeNumber(frm, "AutoRefresh", frm.chkRefresh.Value()); });
    attempt([&] { writeNumber(frm, "AddDate", frm.chkDateComp.Value()); });
    attempt([&] { writeText(frm, "CompFactor", frm.cmbCompLevel.Text()); });
    attempt([&] {
        SettingsFollowProject(frm);
        std::string path = activeProjectPath(frm);
        // Stored only when the folder shown is this project's own.
        if (frm.settingsProjectRead && frm.settingsProjectPath == path)
            writeText(frm, path, frm.txtBackupDir.Text());
    });
    attempt([&] { writeNumber(frm, "AddRef", frm.chkAddComponents.Value()); });
}

bool SettingsFollowProject(form::MainForm& frm) {
    std::string path;
    if (!frm.VBInstance || !attempt([&] { path = activeProjectPath(frm); })) return false;
    if (frm.settingsProjectRead && frm.settingsProjectPath == path) return false;
    // The folder shown belongs to the project it was read for; it goes back under that name.
    if (frm.settingsProjectRead)
        attempt([&] { writeText(frm, frm.settingsProjectPath, frm.txtBackupDir.Text()); });
    attempt([&] { readStoredFolder(frm, path); });
    attempt([&] { defaultFolder(frm, path); });
    attempt([&] { createFolder(frm); });
    attempt([&] { form::MainForm::run(frm.routines.CheckDir); });
    return true;
}

ide::LoaderOptions LoaderOptionsFromSettings(registry::Registry& reg) {
    ide::LoaderOptions options;
    auto read = [&](const std::string& name) {
        return registry::RegRead(reg, Root::CurrentUser, kLoaderKey, name, "");
    };
    if (std::string codePage = read("CodePage"); !codePage.empty()) options.codePage = codePage;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (std::string folder = read(std::string("Drive ") + letter); !folder.empty())
            options.driveMappings[letter] = folder;
    return options;
}

}  // namespace arkstash::shell
