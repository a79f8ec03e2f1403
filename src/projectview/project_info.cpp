#include "projectview/project_info.h"

#include "form/helpers.h"
#include "form/side_file_path.h"
#include "platform/error.h"

namespace arkstash::projectview {

void ProjectInfo(form::MainForm& frm) {
    if (!frm.VBInstance) return;
    ide::VBE& vbe = *frm.VBInstance;

    // The scan has already replaced the list's rows, so a memo still in the box (a date stamp
    // not yet saved, say) goes to its own side file now, with that file's entries kept; else a
    // rescan of the same project would drop it when the box is refilled below.
    if (!frm.txtMemo.Text().empty() && !frm.memoSideFile.empty()) {
        const std::string belongsTo = frm.memoSideFile;
        if (frm.routines.SaveMemo) attempt([&] { frm.routines.SaveMemo(belongsTo); });
        attempt([&] { frm.txtMemo.setText(""); });
    }

    std::string name;
    bool named = attempt([&] { name = vbe.ActiveVBProject().Name(); });
    if (named) {
        attempt([&] { frm.lblProject.setCaption(name); });
        // Raises lblProjectName_Change at once, which saves and clears the memo shown before.
        attempt([&] { frm.lblProjectName.setCaption(name); });
    }
    attempt([&] {
        std::string d = vbe.ActiveVBProject().Description();
        frm.lblDesc.setCaption(d.empty() ? "---" : d);
    });
    attempt([&] {
        std::string b = vbe.ActiveVBProject().BuildFileName();
        frm.lblBuildName.setCaption(b.empty() ? "---" : b);
    });
    attempt([&] { frm.txtMemo.setText(""); });

    // From here on the memo and the user-added rows belong to this project's side file, even
    // if the environment's active project moves on before the next scan. When the name could
    // not be read, lblProject still shows the project before, so no side file is known.
    frm.memoSideFile = named ? form::SideFilePath(frm) : std::string();
    if (!frm.memoSideFile.empty() &&
        form::FileExists(frm.platform.fs, frm.memoSideFile) == "True") {
        const std::string path = frm.memoSideFile;
        if (frm.routines.ReadAKS) attempt([&] { frm.routines.ReadAKS(path); });
    }
}

void lblProjectName_Change(form::MainForm& frm) {
    if (!frm.txtMemo.Text().empty()) {
        // The memo goes to the side file it was read from, never to one formed now: by the time
        // the label changes, lblProject and the active project name the next project.
        const std::string belongsTo = frm.memoSideFile;
        if (!belongsTo.empty() && frm.routines.SaveMemo)
            attempt([&] { frm.routines.SaveMemo(belongsTo); });
        attempt([&] { frm.txtMemo.setText(""); });
    }
    if (frm.lblProjectName.Caption() != frm.ScannedProjectName) {
        if (frm.routines.FillTree) attempt([&] { frm.routines.FillTree(); });
    }
}

}  // namespace arkstash::projectview
