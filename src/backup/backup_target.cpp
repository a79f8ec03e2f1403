#include "backup/backup_target.h"

#include <cstdio>

#include "form/helpers.h"
#include "platform/error.h"
#include "platform/registry/reg_helpers.h"

namespace arkstash::backup {

namespace {

// Stand-in path of a project that was never saved, so its archive is still named.
constexpr const char* kUnsavedProject = "c:\\project1.vbp";

// Cuts `count` characters (not bytes: a path may hold any letter) off the end of UTF-8 text.
// Fails when the text is shorter, and the name is then built from the whole path.
std::string cutLastCharacters(const std::string& s, std::size_t count) {
    std::size_t end = s.size();
    for (std::size_t n = 0; n < count; ++n) {
        if (end == 0) throw PlatformError("Invalid procedure call or argument");
        --end;
        while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    }
    return s.substr(0, end);
}

// "_MM-DD-YYYY_HHMMSS" of the moment the name is derived.
std::string dateSuffix(const os::DateTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "_%02d-%02d-%04d_%02d%02d%02d", t.month, t.day, t.year, t.hour,
                  t.minute, t.second);
    return buf;
}

bool isForbiddenInName(int key) {
    switch (key) {
        case '\\':
        case '/':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}

}  // namespace

void CheckZipDir(form::MainForm& frm) {
    std::string file;
    attempt([&] {
        if (!frm.VBInstance) throw PlatformError("Object variable or With block variable not set");
        file = frm.VBInstance->ActiveVBProject().VBComponents().Parent().FileName();
    });
    if (file.empty()) file = kUnsavedProject;
    attempt([&] { file = cutLastCharacters(file, 4); });
    if (frm.chkDateComp.Value() == 1)
        attempt([&] { file += dateSuffix(frm.platform.clock.now()); });
    file += ".zip";
    attempt([&] { frm.txtZipFile.setText(form::LastPathPart(file)); });
    CheckDir(frm);
}

void CheckDir(form::MainForm& frm) {
    std::string archive = form::JoinPath(frm.txtBackupDir.Text(), frm.txtZipFile.Text());
    // A failed look-up ("") counts as no archive.
    if (form::FileExists(frm.platform.fs, archive) == "True") {
        frm.txtZipFile.Width = frm.SSActiveTabPanel2.Width - 3050;
        frm.cmdView.Left = frm.txtZipFile.Left + frm.txtZipFile.Width + 170;
        frm.cmdView.Visible = true;
    } else {
        frm.cmdView.Visible = false;
        frm.txtZipFile.Width = frm.SSActiveTabPanel2.Width - 2000;
    }
}

void FillCompressionList(form::MainForm& frm) {
    frm.cmbCompLevel.clear();
    frm.cmbCompLevel.addItem("No Compression", 0);
    frm.cmbCompLevel.addItem("Low", 1);
    frm.cmbCompLevel.addItem("Normal", 6);
    frm.cmbCompLevel.addItem("Maximum", 9);
    frm.cmbCompLevel.setText(registry::RegRead(frm.platform.registry, registry::Root::CurrentUser,
                                               registry::kSettingsKey, "CompFactor", "Normal"));
}

void cmbCompLevel_Click(form::MainForm& frm) {
    registry::RegWrite(frm.platform.registry, registry::Root::CurrentUser, registry::kSettingsKey,
                       "CompFactor", registry::REG_SZ, frm.cmbCompLevel.Text());
}

void chkPassword_Click(form::MainForm& frm) {
    bool on = frm.chkPassword.Value() == 1;
    frm.lblPass.Enabled = on;
    frm.txtPassword.Enabled = on;
    frm.lblPasswordExplanation.Enabled = on;
}

void txtZipFile_KeyPress(form::MainForm& frm, int& keyAscii) {
    // The character is let through: the backup refuses the name when it runs.
    if (isForbiddenInName(keyAscii))
        attempt([&] {
            frm.platform.dialogs.MsgBox(
                std::string("Characters \\/:*?") + '"' + "<>| are not allowed in filename",
                ui::vbOKOnly);
        });
}

}  // namespace arkstash::backup
