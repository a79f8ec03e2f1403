#include "projectview/scan.h"

#include <algorithm>
#include <filesystem>

#include "platform/error.h"
#include "platform/ide/companions.h"
#include "projectview/component_kinds.h"
#include "util/paths.h"
#include "util/strings.h"

namespace arkstash::projectview {

namespace {

// A folder in its plain form, ending with "/"; empty for a relative or empty one.
std::string normalFolder(const std::string& folder) {
    std::filesystem::path p(folder);
    if (!p.is_absolute()) return {};
    std::string normal = p.lexically_normal().string();
    if (normal.empty() || normal.back() != '/') normal += '/';
    return normal;
}

// Every read of the environment may fail (it is another program's object model); each is
// guarded on its own, so a failing member costs only what is made from it.
class Scanner {
  public:
    Scanner(ide::VBE& environment, os::FileSystem& fs)
        : env_(environment), fs_(fs), companions_(fs) {}

    ProjectScan run() {
        // An environment without projects has no active one.
        attempt([&] {
            ide::VBProject& active = env_.ActiveVBProject();
            scan_.activeProjectName = active.Name();
            scan_.activeProjectImage = projectImage(active.Type());
        });
        attempt([&] { startProjectName_ = env_.ActiveVBProject().Collection().StartProject().Name(); });
        // The group file is only listed when it is there; no group loaded is no problem.
        attempt([&] {
            std::string group = util::untilNul(env_.VBProjects().FileName());
            if (group.empty()) return;
            addFolderOf(group);
            addRow(fileRow(group, FileKind::Group, "Visual Basic Group", images::kGroup));
        });
        long count = 0;
        attempt([&] { count = env_.VBProjects().Count(); });
        for (long i = 1; i <= count; ++i) {
            ide::VBProject* project = nullptr;
            if (attempt([&] { project = &env_.VBProjects().Item(i); })) scanProject(*project);
        }
        if (!scan_.tree.empty()) scan_.tree.node(0).expanded = true;
        for (auto& row : scan_.rows) row.outside = isOutsideFolders(row.path, scan_.projectFolders);
        return std::move(scan_);
    }

  private:
    static FileRow fileRow(std::string path, FileKind kind, std::string_view typeText, int image) {
        FileRow row;
        row.path = std::move(path);
        row.kind = kind;
        row.typeText = std::string(typeText);
        row.image = image;
        return row;
    }

    void addFolderOf(const std::string& file) {
        std::string folder = normalFolder(util::DirOf(file));
        if (folder.empty()) return;
        auto& folders = scan_.projectFolders;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }

    // Adds the row of a file that is there; a path that names nothing readable is a problem.
    void addRow(FileRow candidate) {
        std::string path = candidate.path, whyNot;
        if (auto row = makeFileRow(fs_, std::move(candidate), &whyNot))
            scan_.rows.push_back(std::move(*row));
        else if (!path.empty())
            scan_.problems.push_back({path, whyNot});
    }

    void scanProject(ide::VBProject& project) {
        // Each project shows its own type; one whose type cannot be read shows the active one's.
        int picture = scan_.activeProjectImage;
        attempt([&] {
            if (int own = projectImage(project.Type())) picture = own;
        });
        std::string path;
        attempt([&] { path = util::untilNul(project.VBComponents().Parent().FileName()); });
        if (!path.empty()) addFolderOf(path);

        std::optional<std::size_t> node;
        std::string name;
        if (attempt([&] { name = project.Name(); })) {
            // A second project of the same name has no node of its own: its components go into
            // the folders of the first one.
            node = scan_.tree.find(name);
            if (!node)
                node = scan_.tree.add(std::nullopt, name, name + " (" + util::FileTitle(path) + ")",
                                      picture);
            if (startProjectName_ && *startProjectName_ == name) scan_.tree.node(*node).bold = true;
        }

        FileRow projectRow = fileRow(path, FileKind::Project, "Visual Basic Project", picture);
        projectRow.project = name;
        attempt([&] { projectRow.saved = project.Saved(); });
        addRow(std::move(projectRow));

        // Without its name the project's folders and components cannot be placed.
        if (!node) return;
        long count = 0;
        attempt([&] { count = project.VBComponents().Count(); });
        for (long j = 1; j <= count; ++j) {
            ide::VBComponent* component = nullptr;
            if (attempt([&] { component = &project.VBComponents().Item(j); }))
                scanComponent(*component, *node, name, picture);
        }
    }

    void scanComponent(ide::VBComponent& component, std::size_t projectNode,
                       const std::string& projectName, int projectPicture) {
        const ComponentKind* kind = nullptr;
        attempt([&] { kind = findComponentKind(component.Type()); });
        if (!kind) return;  // a kind this program does not know: no folder, node or row

        std::string folderKey = projectName + std::string(kind->folder);
        std::optional<std::size_t> folder = scan_.tree.find(folderKey);
        if (!folder)
            folder = scan_.tree.add(projectNode, folderKey, std::string(kind->folder),
                                    images::kFolder, images::kFolderSelected);

        std::string path;
        bool pathKnown = attempt([&] { path = util::untilNul(component.FileNames(1)); });
        if (pathKnown && !path.empty()) {
            for (const Companion& companion : kind->companions) {
                // A binary is only there when the component has data to keep in it; a project
                // moved from Windows may spell it in another letter case than its component.
                auto found = companions_.find(path, companion.extension);
                if (!found) continue;
                FileRow row = fileRow(*found, FileKind::Binary, companion.typeText, projectPicture);
                row.project = projectName;
                if (auto made = makeFileRow(fs_, std::move(row))) scan_.rows.push_back(*made);
            }
        }

        attempt([&] {
            scan_.tree.add(*folder, "",
                           component.Name() + " (" + util::FileTitle(component.FileNames(1)) + ")",
                           kind->type);
        });

        if (!pathKnown) return;
        FileRow row = fileRow(path, FileKind::Component, kind->typeText, kind->type);
        row.project = projectName;
        if (kind->countsLines)
            attempt([&] { row.lines = component.CodeModule().CountOfLines(); });
        attempt([&] { row.saved = !component.IsDirty(); });
        addRow(std::move(row));
    }

    ide::VBE& env_;
    os::FileSystem& fs_;
    ide::CompanionFinder companions_;
    ProjectScan scan_;
    std::optional<std::string> startProjectName_;
};

}  // namespace

bool isOutsideFolders(const std::string& path, const std::vector<std::string>& folders) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    for (const auto& folder : folders)
        if (normal.compare(0, folder.size(), folder) == 0) return false;
    return true;
}

int projectImage(int projectType) {
    return projectType >= ide::vbext_pt_StandardExe && projectType <= ide::vbext_pt_ActiveXControl
               ? images::kProjectBase + projectType
               : 0;
}

ProjectScan scanProjects(ide::VBE& environment, os::FileSystem& fs) {
    return Scanner(environment, fs).run();
}

}  // namespace arkstash::projectview
