#include "platform/ide/loader.h"

#include <exception>
#include <filesystem>

#include "platform/ide/loader_text.h"
#include "platform/ide/path_resolver.h"
#include "platform/ide/project_file.h"
#include "platform/ide/source_file.h"
#include "platform/os/text_codec.h"

namespace arkstash::ide {

namespace {

// File types of the file-control events, as the environment numbers them.
enum FileType : int {
    vbext_ft_Form = 0,
    vbext_ft_Module = 1,
    vbext_ft_Class = 2,
    vbext_ft_Res = 6,
    vbext_ft_UserControl = 7,
    vbext_ft_PropertyPage = 8,
    vbext_ft_DocObject = 9,
    vbext_ft_Binary = 10,
    vbext_ft_Designers = 12,
};

int fileTypeOf(int kind) {
    switch (kind) {
        case vbext_ct_StdModule:
            return vbext_ft_Module;
        case vbext_ct_ClassModule:
            return vbext_ft_Class;
        case vbext_ct_ResFile:
            return vbext_ft_Res;
        case vbext_ct_UserControl:
            return vbext_ft_UserControl;
        case vbext_ct_PropPage:
            return vbext_ft_PropertyPage;
        case vbext_ct_DocObject:
            return vbext_ft_DocObject;
        case vbext_ct_ActiveXDesigner:
            return vbext_ft_Designers;
        case vbext_ct_RelatedDocument:
            return vbext_ft_Binary;
        default:
            return vbext_ft_Form;
    }
}

bool hasCodeModule(int kind) {
    return kind != vbext_ct_ResFile && kind != vbext_ct_RelatedDocument;
}

struct ProjectSnapshot {
    ProjectData data;
    std::vector<ComponentData> components;
    std::vector<ReferenceData> references;
};

// Everything the named files say, read before the environment is touched, so that a file
// that cannot be loaded leaves the environment as it was.
struct Snapshot {
    std::string groupFile;
    std::vector<ProjectSnapshot> projects;
    std::size_t active = 0;
    std::optional<std::size_t> start;  // set by the first group; else the first project
};

std::string absolutePath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p(path);
    if (p.is_relative()) {
        fs::path cwd = fs::current_path(ec);
        if (!ec) p = cwd / p;
    }
    std::string out = p.lexically_normal().string();
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
}

std::string folderOf(const std::string& path) {
    auto pos = path.find_last_of('/');
    if (pos == std::string::npos) return ".";
    return pos == 0 ? "/" : path.substr(0, pos);
}

// The text before the first NUL: project files are text, and what follows a NUL is either a
// binary file or the zeros a crash leaves in a file that was being written.
std::string_view textPart(const std::string& raw, std::optional<std::size_t>& nulAt) {
    auto pos = raw.find('\0');
    if (pos == std::string::npos) return raw;
    nulAt = pos;
    return std::string_view(raw).substr(0, pos);
}

std::string componentKey(const ComponentData& c) {
    return c.FileName.empty() ? std::string(1, '\x01') + c.Name : c.FileName;
}

std::string lineText(std::size_t line) {
    return "line " + std::to_string(line);
}

}  // namespace

struct ProjectLoader::Impl {
    explicit Impl(ProjectLoader& o)
        : owner(o), resolver(o.fs_, o.options_.driveMappings, o.options_.codePage) {}

    ProjectLoader& owner;
    PathResolver resolver;
    LoadReport report;
    std::map<std::string, std::size_t> loaded;  // project file -> index in the snapshot

    void issue(std::string file, std::string message) {
        report.issues.push_back({std::move(file), std::move(message)});
    }

    std::string decode(std::string_view raw) {
        return os::decodeText(raw, owner.options_.codePage);
    }

    Snapshot read(const std::vector<std::string>& paths) {
        if (paths.empty()) throw LoadError("No project or group file was named.");
        try {
            (void)os::decodeText("\x80", owner.options_.codePage);
        } catch (const std::exception&) {
            throw LoadError("Unknown code page \"" + owner.options_.codePage + "\".");
        }
        Snapshot s;
        for (std::size_t i = 0; i < paths.size(); ++i) readNamed(paths[i], s, i == 0);
        if (!s.start) s.start = 0;
        return s;
    }

    // The bytes of a project or group file, or LoadError saying why there are none.
    std::string readWhole(const std::string& path) {
        if (lastPart(path).find_first_of("*?") != std::string_view::npos)
            throw LoadError("'" + path + "' is not a valid file name.");
        if (owner.fs_.folderExists(path))
            throw LoadError("'" + path + "' is a folder, not a project or group file.");
        std::optional<os::FileInfo> info;
        try {
            info = owner.fs_.findFirst(path, true);
        } catch (const std::exception& e) {
            throw LoadError("'" + path + "' cannot be looked up: " + e.what());
        }
        if (!info) throw LoadError("'" + path + "' does not exist.");
        if (info->size > kMaxFileSize)
            throw LoadError("'" + path + "' is " + std::to_string(info->size) +
                            " bytes long; project and group files are read up to 64 MiB, so "
                            "this is no project file.");
        try {
            return owner.fs_.readFile(path, kMaxFileSize);
        } catch (const std::exception& e) {
            throw LoadError("'" + path + "' cannot be read: " + e.what());
        }
    }

    void readNamed(const std::string& named, Snapshot& s, bool first) {
        std::string path = absolutePath(named);
        std::string raw = readWhole(path);
        std::optional<std::size_t> nulAt;
        std::string text = decode(textPart(raw, nulAt));
        std::string title = foldName(lastPart(path));
        bool groupName = title.size() > 4 && title.compare(title.size() - 4, 4, ".vbg") == 0;
        if (looksLikeGroup(text) || groupName) return readGroup(path, text, nulAt, s, first);

        if (auto it = loaded.find(path); it != loaded.end()) {
            issue(path, "named more than once; loaded once");
            if (first) s.active = it->second;
            return;
        }
        s.projects.push_back(readProject(path, raw));
        loaded[path] = s.projects.size() - 1;
        if (first) s.active = s.projects.size() - 1;
    }

    void readGroup(const std::string& path, const std::string& text,
                   std::optional<std::size_t> nulAt, Snapshot& s, bool first) {
        GroupFile g = parseGroupFile(text);
        if (g.projects.empty()) {
            throw LoadError("The group file '" + path + "' names no projects" +
                            (nulAt ? " (it holds binary data)." : "."));
        }
        if (nulAt)
            issue(path, "binary data from byte " + std::to_string(*nulAt) +
                            " on was ignored; the file may have been cut short");
        if (!g.header) issue(path, "the file does not start with \"VBGROUP\"");
        for (const ParseNote& n : g.notes) issue(path, lineText(n.line) + ": " + n.message);

        std::string dir = folderOf(path);
        std::optional<std::size_t> firstIndex, startIndex;
        std::string firstProblem;
        for (const GroupMember& m : g.projects) {
            std::string where = " (named on " + lineText(m.line) + " of '" + path + "')";
            ResolvedPath rp = resolver.resolveFile(dir, m.path);
            std::optional<std::size_t> index;
            if (auto it = loaded.find(rp.path); rp.found && it != loaded.end()) {
                index = it->second;
            } else if (!rp.found) {
                std::string message = "project file not found" + where;
                if (firstProblem.empty()) firstProblem = rp.path + ": " + message;
                issue(rp.path, message);
            } else {
                try {
                    s.projects.push_back(readProject(rp.path, readWhole(rp.path)));
                    index = s.projects.size() - 1;
                    loaded[rp.path] = *index;
                } catch (const LoadError& e) {
                    if (firstProblem.empty()) firstProblem = e.what();
                    issue(rp.path, e.what() + where);
                }
            }
            if (!index) continue;
            if (!firstIndex) firstIndex = index;
            if (m.startup) startIndex = index;
        }
        if (!firstIndex)
            throw LoadError("None of the projects of the group file '" + path +
                            "' could be loaded. " + firstProblem);
        bool startupNamed = false;
        for (const GroupMember& m : g.projects) startupNamed = startupNamed || m.startup;
        if (startupNamed && !startIndex)
            issue(path, "the start-up project could not be loaded; the first project is used");
        std::size_t chosen = startIndex.value_or(*firstIndex);
        if (s.groupFile.empty()) s.groupFile = path;
        if (!s.start) s.start = chosen;
        if (first) s.active = chosen;
    }

    ProjectSnapshot readProject(const std::string& path, const std::string& raw) {
        std::optional<std::size_t> nulAt;
        std::string text = decode(textPart(raw, nulAt));
        ProjectFile pf = parseProjectFile(text);
        if (pf.settings == 0) {
            throw LoadError("'" + path + "' is not a Visual Basic project file: " +
                            (nulAt ? "it holds binary data." : "it holds no project settings."));
        }
        if (nulAt)
            issue(path, "binary data from byte " + std::to_string(*nulAt) +
                            " on was ignored; the file may have been cut short");
        for (const ParseNote& n : pf.notes) issue(path, lineText(n.line) + ": " + n.message);

        ProjectSnapshot ps;
        ps.data.FileName = path;
        if (pf.name && !pf.name->empty()) {
            ps.data.Name = *pf.name;
        } else {
            ps.data.Name = stemOf(path);
            issue(path, "no Name= line; the project is named after its file");
        }
        if (pf.type) {
            ps.data.Type = *pf.type;
        } else {
            ps.data.Type = vbext_pt_StandardExe;
            issue(path, "no valid Type= line; taken as a standard executable");
        }
        ps.data.Description = pf.description.value_or("");
        ps.data.BuildFileName = pf.exeName32.value_or("");
        ps.data.Saved = true;

        std::string dir = folderOf(path);
        std::map<std::string, bool> seen;
        for (const ComponentLine& line : pf.components) {
            ComponentData c = readComponent(path, dir, line);
            if (!seen.emplace(componentKey(c), true).second) {
                issue(path, lineText(line.line) + ": '" + line.path +
                                "' is named a second time; it is loaded once");
                continue;
            }
            ps.components.push_back(std::move(c));
        }
        for (const ReferenceLine& line : pf.references)
            ps.references.push_back(readReference(dir, line));
        return ps;
    }

    ComponentData readComponent(const std::string& project, const std::string& dir,
                                const ComponentLine& line) {
        ComponentData c{.Type = line.kind, .HasCodeModule = hasCodeModule(line.kind)};
        ResolvedPath rp = resolver.resolveFile(dir, line.path);
        c.FileName = rp.path;
        std::string where = " (named on " + lineText(line.line) + " of '" + project + "')";
        std::string fallbackName = line.name.empty() ? stemOf(rp.path) : line.name;
        if (!rp.found) {
            c.Name = fallbackName;
            c.HasCodeModule = false;
            issue(rp.path, (owner.fs_.folderExists(rp.path) ? "is a folder, not a component file"
                                                            : "component file not found") +
                               where);
            return c;
        }
        if (!c.HasCodeModule) {
            c.Name = stemOf(rp.path);
            return c;
        }
        std::string raw;
        try {
            auto info = owner.fs_.findFirst(rp.path, true);
            if (info && info->size > kMaxFileSize) {
                c.Name = fallbackName;
                c.HasCodeModule = false;
                issue(rp.path, "is " + std::to_string(info->size) +
                                   " bytes long; component files are read up to 64 MiB, so "
                                   "its code is not counted" +
                                   where);
                return c;
            }
            raw = owner.fs_.readFile(rp.path, kMaxFileSize);
        } catch (const std::exception& e) {
            c.Name = fallbackName;
            c.HasCodeModule = false;
            issue(rp.path, std::string("cannot be read: ") + e.what() + where);
            return c;
        }
        if (auto nul = raw.find('\0'); nul != std::string::npos)
            issue(rp.path, "holds binary data (from byte " + std::to_string(nul) +
                               "); its line count may be wrong" + where);
        SourceInfo si = readSourceText(decode(raw));
        c.Name = si.vbName.value_or(stemOf(rp.path));
        c.CountOfLines = si.codeLines;
        if (c.Type == vbext_ct_VBForm && si.mdiForm) c.Type = vbext_ct_VBMDIForm;
        if (si.unclosedDesignBlock)
            issue(rp.path,
                  "its design block does not end; the file may have been cut short" + where);
        return c;
    }

    ReferenceData readReference(const std::string& dir, const ReferenceLine& line) {
        ReferenceData r{.Guid = line.guid,
                        .Major = line.major,
                        .Minor = line.minor,
                        .Description = line.description};
        ResolvedPath rp;
        if (!line.path.empty()) rp = resolver.resolveFile(dir, line.path);
        if (rp.found) {
            r.FullPath = rp.path;
        } else if (auto reg = line.project ? std::nullopt
                                           : owner.resolveRegistered(line.guid, line.major,
                                                                     line.minor, line.lcid)) {
            ResolvedPath there = resolver.resolveFile(dir, reg->path);
            r.FullPath = there.path;
            r.IsBroken = !there.found;
            if (!reg->description.empty() && (line.control || r.Description.empty()))
                r.Description = reg->description;
        } else {
            // A bare file name says nothing about where the file lives; keep it as written.
            bool bare = line.path.find_first_of("\\/") == std::string::npos;
            r.FullPath = bare ? line.path : rp.path;
            r.IsBroken = true;
        }
        if (r.Description.empty())
            r.Description = line.project ? stemOf(line.path) : std::string(lastPart(line.path));
        return r;
    }
};

ProjectLoader::ProjectLoader(os::FileSystem& fs, LoaderOptions options)
    : fs_(fs), options_(std::move(options)) {}

LoadReport ProjectLoader::load(MemoryVBE& vbe, const std::vector<std::string>& paths) {
    if (vbe.projects().size() != 0)
        throw LoadError("The environment holds projects already; load into an empty one.");
    Impl impl(*this);
    Snapshot s = impl.read(paths);
    for (ProjectSnapshot& ps : s.projects) {
        MemoryProject& p = vbe.addProject(ps.data);
        for (ComponentData& c : ps.components) p.addComponent(std::move(c));
        for (ReferenceData& r : ps.references) p.addReference(std::move(r));
    }
    vbe.setGroupFileName(s.groupFile);
    vbe.setActive(&vbe.project(static_cast<long>(s.active) + 1));
    vbe.setStartProject(&vbe.project(static_cast<long>(*s.start) + 1));
    paths_ = paths;
    return std::move(impl.report);
}

LoadReport ProjectLoader::reload(MemoryVBE& vbe) {
    if (paths_.empty()) return {};
    Impl impl(*this);
    Snapshot s = impl.read(paths_);

    auto findProject = [&](const std::string& file) -> MemoryProject* {
        for (std::size_t i = 1; i <= vbe.projects().size(); ++i)
            if (vbe.project(static_cast<long>(i)).data().FileName == file)
                return &vbe.project(static_cast<long>(i));
        return nullptr;
    };
    std::string activeFile = vbe.active() ? vbe.active()->data().FileName : std::string();

    // Projects the files no longer name go first, so that their events come before additions.
    for (std::size_t i = vbe.projects().size(); i >= 1; --i) {
        MemoryProject& p = vbe.project(static_cast<long>(i));
        bool kept = false;
        for (const ProjectSnapshot& ps : s.projects)
            kept = kept || ps.data.FileName == p.data().FileName;
        if (!kept) vbe.removeProject(p);
    }

    for (ProjectSnapshot& ps : s.projects) {
        MemoryProject* p = findProject(ps.data.FileName);
        if (!p) {
            MemoryProject& added = vbe.addProject(ps.data);
            for (ComponentData& c : ps.components) added.addComponent(std::move(c));
            for (ReferenceData& r : ps.references) added.addReference(std::move(r));
            continue;
        }
        ProjectData& d = p->data();
        d.Name = ps.data.Name;
        d.Description = ps.data.Description;
        d.BuildFileName = ps.data.BuildFileName;
        d.Type = ps.data.Type;
        d.Saved = true;

        std::map<std::string, ComponentData*> wanted;
        for (ComponentData& c : ps.components) wanted[componentKey(c)] = &c;
        for (std::size_t i = 1; i <= p->components().size();) {
            MemoryComponent& c = p->component(static_cast<long>(i));
            if (wanted.count(componentKey(c.data()))) {
                ++i;
                continue;
            }
            std::string file = c.data().FileName;
            int type = c.data().Type;
            p->removeComponent(static_cast<long>(i));
            vbe.raiseFileRemoved(*p, fileTypeOf(type), file);
        }
        std::map<std::string, MemoryComponent*> have;
        for (std::size_t i = 1; i <= p->components().size(); ++i) {
            MemoryComponent& c = p->component(static_cast<long>(i));
            have[componentKey(c.data())] = &c;
        }
        for (ComponentData& c : ps.components) {
            auto it = have.find(componentKey(c));
            if (it == have.end()) {
                p->addComponent(std::move(c));
                continue;
            }
            ComponentData& old = it->second->data();
            old.Name = c.Name;
            old.Type = c.Type;
            old.CountOfLines = c.CountOfLines;
            old.HasCodeModule = c.HasCodeModule;
            old.IsDirty = false;
        }
        p->clearReferences();
        for (ReferenceData& r : ps.references) p->addReference(std::move(r));
    }

    vbe.setGroupFileName(s.groupFile);
    vbe.setStartProject(findProject(s.projects[*s.start].data.FileName));
    if (activeFile.empty() || !findProject(activeFile))
        vbe.setActive(findProject(s.projects[s.active].data.FileName));
    return std::move(impl.report);
}

}  // namespace arkstash::ide
