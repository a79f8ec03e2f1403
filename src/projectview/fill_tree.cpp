#include "projectview/fill_tree.h"

#include <array>
#include <optional>

#include "form/helpers.h"
#include "platform/error.h"
#include "projectview/file_list.h"

namespace arkstash::projectview {

namespace {

const std::string kNotApplicable = "---";
const std::string kCompanionSaved = " --- ";
const std::string kNoFiles = "No saved files found in project";

// Forms and user controls keep their binary data beside the source; so do property pages,
// user documents and designers, and a backup without those files cannot be loaded again.
const std::array<ComponentKind, 11> kKinds = {{
    {ide::vbext_ct_StdModule, "Modules", "Module", true, {}},
    {ide::vbext_ct_ClassModule, "Class Modules", "Class", true, {}},
    {ide::vbext_ct_MSForm, "Forms", "Form", true, {}},
    {ide::vbext_ct_ResFile, "Related Documents", "Resource file", false, {}},
    {ide::vbext_ct_VBForm, "Forms", "Form", true, {{".frx", "Form Binary"}}},
    {ide::vbext_ct_VBMDIForm, "Forms", "MDI Form", true, {}},
    {ide::vbext_ct_PropPage,
     "Property Pages",
     "Property page",
     true,
     {{".pgx", "Property Page Binary"}}},
    {ide::vbext_ct_UserControl,
     "User Controls",
     "User control",
     true,
     {{".ctx", "User Control Binary"}}},
    {ide::vbext_ct_DocObject,
     "User Documents",
     "User document",
     true,
     {{".dox", "User Document Binary"}}},
    {ide::vbext_ct_RelatedDocument, "Related Documents", "Related document", false, {}},
    {ide::vbext_ct_ActiveXDesigner,
     "Designers",
     "Designer",
     true,
     {{".dsx", "Designer Binary"}, {".dca", "Designer Binary"}}},
}};

ide::VBE& environment(form::MainForm& frm) {
    if (!frm.VBInstance) throw PlatformError("Object variable not set: no environment");
    return *frm.VBInstance;
}

// A line count as the runtime's Str() writes a number: a blank where a minus would go.
std::string countText(long n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

// The picture of a project type; 0 for a type without one.
int projectImage(int type) {
    return type >= ide::vbext_pt_StandardExe && type <= ide::vbext_pt_ActiveXControl
               ? form::images::kProjectBase + type
               : 0;
}

// The path less its last four characters (code points, so a name in any script stays whole);
// none when it is shorter than that.
std::optional<std::string> withoutLastFour(const std::string& path) {
    std::size_t end = path.size();
    for (int left = 4; left > 0; --left) {
        if (end == 0) return std::nullopt;
        --end;
        while (end > 0 && (static_cast<unsigned char>(path[end]) & 0xC0) == 0x80) --end;
    }
    return path.substr(0, end);
}

// Adds the row of a file with its Size and Date cells looked up now. A file that is not
// there gets no row (AddToListView would refuse it anyway).
void addFileRow(form::MainForm& frm, const std::string& path, const std::string& lines,
                const std::string& type, const std::string& saved, int icon) {
    if (path.empty()) return;
    auto info = frm.platform.fs.findFirst(path, true);
    if (!info) return;
    AddToListView(frm, path, lines, type, form::FormatFileSize(info->size),
                  form::FormatFileDate(info->creationTime), saved, icon, "Black");
}

void setToolEnabled(form::MainForm& frm, const char* id, bool on) {
    attempt([&] { frm.SSActiveToolBars1.setEnabled(id, on); });
}

std::string savedText(bool saved) {
    return saved ? "True" : "False";
}

void scanComponent(form::MainForm& frm, ide::VBComponent& component, const std::string& projName,
                   int projectPicture) {
    const ComponentKind* kind = nullptr;
    attempt([&] { kind = FindComponentKind(component.Type()); });
    if (!kind) return;  // a kind this window does not know: no folder, node or row
    const std::string folderKey = projName + kind->folder;

    // The first component of a kind makes its folder; for the others the key is taken and the
    // addition fails, which is what keeps one folder per kind.
    attempt([&] {
        auto parent = frm.tvMain.find(projName);
        if (!parent) throw PlatformError("Element not found");
        frm.tvMain.addChild(*parent, folderKey, kind->folder, form::images::kFolder,
                            form::images::kFolderSelected);
    });

    for (const Companion& companion : kind->companions) {
        attempt([&] {
            auto stem = withoutLastFour(form::NulTrim(component.FileNames(1)));
            if (!stem) return;  // never saved: no companion path
            addFileRow(frm, *stem + companion.extension, kNotApplicable, companion.typeText,
                       kCompanionSaved, projectPicture);
        });
    }

    attempt([&] {
        auto folder = frm.tvMain.find(folderKey);
        if (!folder) throw PlatformError("Element not found");
        std::string caption =
            component.Name() + " (" + form::FileTitle(component.FileNames(1)) + ")";
        frm.tvMain.addChild(*folder, "", std::move(caption), kind->type);
    });

    attempt([&] {
        std::string path = form::NulTrim(component.FileNames(1));
        std::string lines =
            kind->countsLines ? countText(component.CodeModule().CountOfLines()) : kNotApplicable;
        std::string saved = savedText(!component.IsDirty());
        addFileRow(frm, path, lines, kind->typeText, saved, kind->type);
    });
}

void scanProject(form::MainForm& frm, ide::VBProjects& projects, long index,
                 int activeProjectPicture) {
    ide::VBProject* project = nullptr;
    attempt([&] { project = &projects.Item(index); });
    if (!project) return;

    // Each project shows its own type; one whose type cannot be read shows the active one's.
    int picture = activeProjectPicture;
    attempt([&] {
        if (int own = projectImage(project->Type())) picture = own;
    });

    std::optional<std::string> name;
    attempt([&] { name = project->Name(); });

    attempt([&] {
        if (!name) throw PlatformError("No project name");
        std::string caption =
            *name + " (" + form::FileTitle(project->VBComponents().Parent().FileName()) + ")";
        frm.tvMain.add("", *name, std::move(caption), picture);
    });

    // A second project of the same name has no node of its own; the node of that name, whose
    // folders take its components, shows that it holds the start-up project.
    attempt([&] {
        if (!name) throw PlatformError("No project name");
        ide::VBProject& active = environment(frm).ActiveVBProject();
        if (active.Collection().StartProject().Name() != *name) return;
        auto node = frm.tvMain.find(*name);
        if (!node) throw PlatformError("Element not found");
        frm.tvMain.nodes[*node].bold = true;
    });

    attempt([&] {
        std::string path = form::NulTrim(project->VBComponents().Parent().FileName());
        addFileRow(frm, path, kNotApplicable, "Visual Basic Project", savedText(project->Saved()),
                   picture);
    });

    if (!name) return;  // without its name no folder or component node can be placed
    long count = 0;
    attempt([&] { count = project->VBComponents().Count(); });
    for (long j = 1; j <= count; ++j) {
        ide::VBComponent* component = nullptr;
        attempt([&] { component = &project->VBComponents().Item(j); });
        if (component) scanComponent(frm, *component, *name, picture);
    }
}

void emptyState(form::MainForm& frm) {
    ui::ListView& list = frm.ListView1;
    setToolEnabled(frm, "ID_ViewCode", false);
    setToolEnabled(frm, "ID_ViewObject", false);
    attempt([&] { list.clearColumns(); });
    attempt([&] { list.addColumn("    File", 8000); });
    attempt([&] { list.FullRowSelect = false; });
    attempt([&] { list.addItem(kNoFiles, 0).bold = true; });
    attempt([&] { frm.txtZipFile.setText(""); });
    for (int tab : {form::tabs::kInfo, form::tabs::kProperties, form::tabs::kMemo})
        attempt([&] { frm.SSActiveTabs1.tab(tab).enabled = false; });
    attempt([&] { frm.SSActiveTabs1.select(form::tabs::kFiles); });
    setToolEnabled(frm, "ID_Backup", false);
    setToolEnabled(frm, "ID_Addfiles", false);
    setToolEnabled(frm, "ID_Fileproperties", false);
    attempt([&] { form::FitLastColumn(list); });
    attempt([&] { list.refresh(); });
}

void filesFound(form::MainForm& frm) {
    setToolEnabled(frm, "ID_ViewCode", true);
    setToolEnabled(frm, "ID_ViewObject", true);
    for (int tab : {form::tabs::kInfo, form::tabs::kProperties, form::tabs::kMemo})
        attempt([&] { frm.SSActiveTabs1.tab(tab).enabled = true; });
    setToolEnabled(frm, "ID_Backup", true);
    setToolEnabled(frm, "ID_Addfiles", true);
    setToolEnabled(frm, "ID_Fileproperties", true);
    attempt([&] { form::MainForm::run(frm.routines.ProjectInfo); });
    attempt([&] { form::AutoSizeColumns(frm.ListView1); });
    attempt([&] { form::MainForm::run(frm.routines.WriteSettings); });
    attempt([&] { frm.ListView1.refresh(); });
}

}  // namespace

const ComponentKind* FindComponentKind(int type) {
    for (const ComponentKind& k : kKinds)
        if (k.type == type) return &k;
    return nullptr;
}

void FillTree(form::MainForm& frm, EventHolder* events) {
    ui::ListView& list = frm.ListView1;
    attempt([&] { frm.MousePointer.set(ui::MousePointer::Hourglass); });

    if (events) {
        attempt([&] {
            ide::VBE& vbe = environment(frm);
            events->subscribe(vbe, vbe.ActiveVBProject());
        });
    }

    attempt([&] { list.clearItems(); });
    attempt([&] { frm.ListView2.clearItems(); });
    attempt([&] { frm.platform.loop.DoEvents(); });
    ++list.redrawHeld;

    int activePicture = 0;
    attempt([&] {
        int picture = projectImage(environment(frm).ActiveVBProject().Type());
        if (!picture) return;
        activePicture = picture;
        frm.imgProject.image = picture;
    });

    attempt([&] { list.clearColumns(); });
    attempt([&] { list.addColumn("    File", 3000); });
    attempt([&] { list.addColumn("Lines", 800, ui::Alignment::Right); });
    attempt([&] { list.addColumn("Type", 1000); });
    attempt([&] { list.addColumn("Size", 1000, ui::Alignment::Right); });
    attempt([&] { list.addColumn("Date", 1000); });
    attempt([&] { list.addColumn("Saved", 700); });

    attempt([&] { list.View = ui::ListViewMode::Report; });
    attempt([&] { list.SortKey = 0; });
    attempt([&] { list.FullRowSelect = true; });

    attempt([&] { frm.tvMain.clear(); });
    attempt([&] { frm.ScannedProjectName = environment(frm).ActiveVBProject().Name(); });

    // A list sorted by an earlier column click would place each of thousands of rows on its
    // own; appending them and sorting once gives the same order (equal keys keep the order
    // they came in) without the quadratic cost.
    const bool wasSorted = list.Sorted;
    list.Sorted = false;

    attempt([&] {
        std::string group = form::NulTrim(environment(frm).VBProjects().FileName());
        if (form::FileExists(frm.platform.fs, group) != "True") return;
        addFileRow(frm, group, kNotApplicable, "Visual Basic Group", kNotApplicable,
                   form::images::kGroup);
    });

    ide::VBProjects* projects = nullptr;
    long count = 0;
    attempt([&] {
        projects = &environment(frm).VBProjects();
        count = projects->Count();
    });
    for (long i = 1; i <= count; ++i) scanProject(frm, *projects, i, activePicture);

    list.Sorted = wasSorted;
    attempt([&] { list.sort(); });

    attempt([&] {
        if (frm.tvMain.nodes.empty()) throw PlatformError("Element not found");
        frm.tvMain.nodes.front().expanded = true;
    });

    attempt([&] { form::MainForm::run(frm.routines.CheckZipDir); });

    if (list.items.empty())
        emptyState(frm);
    else
        filesFound(frm);

    --list.redrawHeld;

    attempt([&] { form::MainForm::run(frm.routines.LoadReferences); });
    attempt([&] { form::AutoSizeColumns(frm.ListView2); });

    attempt([&] {
        if (const ui::ListItem* row = list.selectedItem())
            SetViewToolsFromExtension(frm, row->text, false);
    });

    attempt([&] { frm.MousePointer.set(ui::MousePointer::Default); });
}

}  // namespace arkstash::projectview
