#include "platform/ide/loader.h"

#include <exception>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "platform/ide/loader_text.h"
#include "platform/ide/path_resolver.h"
#include "platform/ide/project_file.h"
#include "platform/ide/source_file.h"
#include "platform/os/text_codec.h"

namespace arkstash::ide {

namespace {

bool hasCodeModule(int kind) {
    return kind != vbext_ct_ResFile && kind != vbext_ct_RelatedDocument;
}

// Kinds whose design may keep properties in a binary file beside them.
bool hasBinaryCompanion(int kind) {
    return kind == vbext_ct_VBForm || kind == vbext_ct_VBMDIForm || kind == vbext_ct_UserControl ||
           kind == vbext_ct_PropPage || kind == vbext_ct_DocObject;
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
        : owner(o),
          configured(o.options_.codePage),
          resolver(o.fs_, o.options_.driveMappings, o.options_.codePage) {}

    ProjectLoader& owner;
    const std::string& configured;
    PathResolver resolver;
    LoadReport report;
    std::map<std::string, std::size_t> loaded;  // project file -> index in the snapshot

    void issue(IssueKind kind, std::string file, std::string message) {
        report.issues.push_back({std::move(file), std::move(message), kind});
    }

    Snapshot read(const std::vector<std::string>& paths) {
        if (paths.empty()) throw LoadError("No project or group file was named.");
        if (!os::isKnownCodePage(configured))
            throw LoadError("Unknown code page \"" + configured + "\".");
        Snapshot s;
        for (std::size_t i = 0; i < paths.size(); ++i) readNamed(paths[i], s, i == 0);
        if (!s.start) s.start = 0;
        return s;
    }

    // The bytes of a project or group file, or LoadError saying why there are none.
    std::string readWhole(const std::string& path) {
        if (lastPart(path).find_first_of("*?") != std::string_view::npos)
            throw LoadError("'" + path + "' is not a valid file name.");
        os::EntryStatus st;
        try {
            st = owner.fs_.statusOf(path);
        } catch (const std::exception& e) {
            throw LoadError("'" + path + "' cannot be looked up: " + e.what());
        }
        if (st.type == os::EntryType::None) throw LoadError("'" + path + "' does not exist.");
        if (st.type == os::EntryType::Folder)
            throw LoadError("'" + path + "' is a folder, not a project or group file.");
        if (st.type == os::EntryType::Other)
            throw LoadError("'" + path +
                            "' is not a regular file (a named pipe, a device or a socket); only "
                            "regular files are read.");
        if (st.size > kMaxFileSize)
            throw LoadError("'" + path + "' is " + std::to_string(st.size) +
                            " bytes long; project and group files are read up to 64 MiB, so "
                            "this is no project file.");
        try {
            return owner.fs_.readFile(path, kMaxFileSize);
        } catch (const std::exception& e) {
            throw LoadError("'" + path + "' cannot be read: " + e.what());
        }
    }

    // One way of reading a project or group file: its text in a code page, what it says, and
    // the files it names as found on disk.
    template <typename Parsed>
    struct Reading {
        std::string codePage;
        std::string text;
        Parsed parsed;
        std::vector<ResolvedPath> named;
        std::size_t found = 0;
        std::string shown;         // as FileEncoding::codePage
        bool triedOthers = false;  // names did not resolve in the configured code page
    };

    // Reads `bytes` in the configured code page and, when some of the files they name are not
    // found so, in each common code page, keeping the reading under which most are found (the
    // configured one on a tie). `names` lists the paths a parsed file names, resolved in `dir`.
    template <typename Parsed, typename Parse, typename Names>
    Reading<Parsed> chooseReading(const std::string& file, std::string_view bytes,
                                  const std::string& dir, Parse parse, Names names) {
        using Known = std::unordered_map<std::string, const ResolvedPath*>;
        auto readAs = [&](std::string codePage, std::string text, const Known& known) {
            Reading<Parsed> r{std::move(codePage), std::move(text)};
            r.parsed = parse(r.text);
            for (const std::string& name : names(r.parsed)) {
                // Names of plain ASCII read alike in every code page: found once is enough.
                auto same = isAscii(name) ? known.find(name) : known.end();
                r.named.push_back(same != known.end()
                                      ? *same->second
                                      : resolver.resolveFile(dir, name, r.codePage));
                r.found += r.named.back().found ? 1 : 0;
            }
            return r;
        };
        Reading<Parsed> first = readAs(configured, os::decodeText(bytes, configured), {});
        std::vector<std::string> firstNames = names(first.parsed);
        Known known;  // points into `first`, which stays in place until the choice is made
        bool worthTrying = false;
        for (std::size_t i = 0; i < firstNames.size(); ++i) {
            known.emplace(firstNames[i], &first.named[i]);
            worthTrying = worthTrying || (!first.named[i].found && !isAscii(firstNames[i]));
        }
        std::optional<Reading<Parsed>> better;
        if (worthTrying) {
            for (const char* candidate : kDetectableCodePages) {
                if (candidate == configured) continue;
                auto text = os::decodeCodePage(bytes, candidate);
                if (!text || *text == first.text) continue;
                Reading<Parsed> other = readAs(candidate, std::move(*text), known);
                if (other.found > (better ? better->found : first.found)) better = std::move(other);
            }
        }
        Reading<Parsed> best = better ? std::move(*better) : std::move(first);
        bool utf8 = best.codePage == configured && !isAscii(bytes) && os::isValidUtf8(bytes);
        best.shown = utf8 ? "UTF-8" : best.codePage;
        best.triedOthers = worthTrying;
        report.encodings.push_back({file, best.shown, best.shown != configured});
        if (worthTrying && best.found < best.named.size())
            issue(IssueKind::BadContent, file,
                  std::to_string(best.named.size() - best.found) + " of the " +
                      std::to_string(best.named.size()) +
                      " files it names are not found, read as code page " + best.shown +
                      " or in any other (" + triedText() + ")");
        return best;
    }

    void readNamed(const std::string& named, Snapshot& s, bool first) {
        std::string path = absolutePath(named);
        std::string raw = readWhole(path);
        std::optional<std::size_t> nulAt;
        std::string_view bytes = textPart(raw, nulAt);
        std::string title = foldName(lastPart(path));
        bool groupName = title.size() > 4 && title.compare(title.size() - 4, 4, ".vbg") == 0;
        if (groupName || looksLikeGroup(os::decodeText(bytes, configured)))
            return readGroup(path, bytes, nulAt, s, first);

        if (auto it = loaded.find(path); it != loaded.end()) {
            issue(IssueKind::BadContent, path, "named more than once; loaded once");
            if (first) s.active = it->second;
            return;
        }
        s.projects.push_back(readProject(path, raw));
        loaded[path] = s.projects.size() - 1;
        if (first) s.active = s.projects.size() - 1;
    }

    void readGroup(const std::string& path, std::string_view bytes,
                   std::optional<std::size_t> nulAt, Snapshot& s, bool first) {
        std::string dir = folderOf(path);
        auto reading = chooseReading<GroupFile>(
            path, bytes, dir, [](std::string_view t) { return parseGroupFile(t); },
            [](const GroupFile& g) {
                std::vector<std::string> out;
                for (const GroupMember& m : g.projects) out.push_back(m.path);
                return out;
            });
        const GroupFile& g = reading.parsed;
        if (g.projects.empty()) {
            throw LoadError("The group file '" + path + "' names no projects" +
                            (nulAt ? " (it holds binary data)." : "."));
        }
        if (nulAt)
            issue(IssueKind::BadContent, path,
                  "binary data from byte " + std::to_string(*nulAt) +
                      " on was ignored; the file may have been cut short");
        if (!g.header)
            issue(IssueKind::BadContent, path, "the file does not start with \"VBGROUP\"");
        for (const ParseNote& n : g.notes)
            issue(IssueKind::BadContent, path, lineText(n.line) + ": " + n.message);

        std::optional<std::size_t> firstIndex, startIndex;
        std::string firstProblem;
        for (std::size_t k = 0; k < g.projects.size(); ++k) {
            const GroupMember& m = g.projects[k];
            const ResolvedPath& rp = reading.named[k];
            std::string where = " (named on " + lineText(m.line) + " of '" + path + "')";
            std::optional<std::size_t> index;
            if (auto it = loaded.find(rp.path); rp.found && it != loaded.end()) {
                index = it->second;
            } else if (!rp.found) {
                bool missing = rp.failure.empty();
                std::string message = missing ? "project file not found"
                                              : "project file cannot be read: " + rp.failure;
                if (firstProblem.empty()) firstProblem = rp.path + ": " + message;
                issue(missing ? IssueKind::MissingFile : IssueKind::UnreadableFile, rp.path,
                      message + where);
            } else {
                try {
                    s.projects.push_back(readProject(rp.path, readWhole(rp.path)));
                    index = s.projects.size() - 1;
                    loaded[rp.path] = *index;
                } catch (const LoadError& e) {
                    if (firstProblem.empty()) firstProblem = e.what();
                    issue(IssueKind::UnreadableFile, rp.path, e.what() + where);
                }
            }
            if (!index) continue;
            if (!firstIndex) firstIndex = index;
            if (m.startup) startIndex = index;
        }
        if (!firstIndex) {
            std::string how = reading.triedOthers
                                  ? ". Its names were read as code page " + reading.shown +
                                        " and tried in " + triedText() + "."
                                  : "";
            throw LoadError("None of the projects of the group file '" + path +
                            "' could be loaded. " + firstProblem + how);
        }
        bool startupNamed = false;
        for (const GroupMember& m : g.projects) startupNamed = startupNamed || m.startup;
        if (startupNamed && !startIndex)
            issue(IssueKind::BadContent, path,
                  "the start-up project could not be loaded; the first project is used");
        std::size_t chosen = startIndex.value_or(*firstIndex);
        if (s.groupFile.empty()) s.groupFile = path;
        if (!s.start) s.start = chosen;
        if (first) s.active = chosen;
    }

    // The readings tried on a file whose names did not resolve.
    std::string triedText() const {
        std::string out = "UTF-8, " + configured;
        for (const char* cp : kDetectableCodePages)
            if (cp != configured) out += std::string(", ") + cp;
        return out;
    }

    ProjectSnapshot readProject(const std::string& path, const std::string& raw) {
        std::optional<std::size_t> nulAt;
        std::string_view bytes = textPart(raw, nulAt);
        std::string dir = folderOf(path);
        if (parseProjectFile(os::decodeText(bytes, configured)).settings == 0) {
            throw LoadError("'" + path + "' is not a Visual Basic project file: " +
                            (nulAt ? "it holds binary data." : "it holds no project settings."));
        }
        auto reading = chooseReading<ProjectFile>(
            path, bytes, dir, [](std::string_view t) { return parseProjectFile(t); },
            [](const ProjectFile& pf) {
                std::vector<std::string> out;
                for (const ComponentLine& c : pf.components) out.push_back(c.path);
                return out;
            });
        const ProjectFile& pf = reading.parsed;
        if (nulAt)
            issue(IssueKind::BadContent, path,
                  "binary data from byte " + std::to_string(*nulAt) +
                      " on was ignored; the file may have been cut short");
        for (const ParseNote& n : pf.notes)
            issue(IssueKind::BadContent, path, lineText(n.line) + ": " + n.message);

        ProjectSnapshot ps;
        ps.data.FileName = path;
        if (pf.name && !pf.name->empty()) {
            ps.data.Name = *pf.name;
        } else {
            ps.data.Name = stemOf(path);
            issue(IssueKind::BadContent, path,
                  "no Name= line; the project is named after its file");
        }
        if (pf.type) {
            ps.data.Type = *pf.type;
        } else {
            ps.data.Type = vbext_pt_StandardExe;
            issue(IssueKind::BadContent, path,
                  "no valid Type= line; taken as a standard executable");
        }
        ps.data.Description = pf.description.value_or("");
        ps.data.BuildFileName = pf.exeName32.value_or("");
        ps.data.Saved = true;

        std::unordered_set<std::string> seen;
        for (std::size_t k = 0; k < pf.components.size(); ++k) {
            const ComponentLine& line = pf.components[k];
            ComponentData c = readComponent(path, line, reading.named[k], reading.codePage);
            if (!seen.insert(componentKey(c)).second) {
                issue(IssueKind::BadContent, path,
                      lineText(line.line) + ": '" + line.path +
                          "' is named a second time; it is loaded once");
                continue;
            }
            ps.components.push_back(std::move(c));
        }
        for (const ReferenceLine& line : pf.references)
            ps.references.push_back(readReference(dir, line, reading.codePage));
        return ps;
    }

    ComponentData readComponent(const std::string& project, const ComponentLine& line,
                                const ResolvedPath& rp, const std::string& codePage) {
        ComponentData c{.Type = line.kind, .HasCodeModule = hasCodeModule(line.kind)};
        c.FileName = rp.path;
        std::string where = " (named on " + lineText(line.line) + " of '" + project + "')";
        std::string fallbackName = line.name.empty() ? stemOf(rp.path) : line.name;
        if (!rp.found) {
            c.Name = fallbackName;
            c.HasCodeModule = false;
            if (rp.failure.empty())
                issue(IssueKind::MissingFile, rp.path, "component file not found" + where);
            else
                issue(IssueKind::UnreadableFile, rp.path, "cannot be read: " + rp.failure + where);
            return c;
        }
        if (!c.HasCodeModule) {
            c.Name = stemOf(rp.path);
            return c;
        }
        // From here on the file is there: it keeps its code module, so that it is listed and
        // backed up even when its lines cannot be counted.
        c.Name = fallbackName;
        if (rp.size > kMaxFileSize) {
            issue(IssueKind::NotCounted, rp.path,
                  "is " + std::to_string(rp.size) +
                      " bytes long; component files are read up to 64 MiB, so its code is not "
                      "counted" +
                      where);
            return c;
        }
        std::string raw;
        try {
            raw = owner.fs_.readFile(rp.path, kMaxFileSize);
        } catch (const std::exception& e) {
            issue(IssueKind::UnreadableFile, rp.path,
                  std::string("cannot be read: ") + e.what() + where);
            return c;
        }
        if (auto nul = raw.find('\0'); nul != std::string::npos)
            issue(IssueKind::BadContent, rp.path,
                  "holds binary data (from byte " + std::to_string(nul) +
                      "); its line count may be wrong" + where);
        SourceInfo si = readSourceText(os::decodeText(raw, codePage));
        c.Name = si.vbName.value_or(stemOf(rp.path));
        c.CountOfLines = si.codeLines;
        if (c.Type == vbext_ct_VBForm && si.mdiForm) c.Type = vbext_ct_VBMDIForm;
        if (si.unclosedDesignBlock)
            issue(IssueKind::BadContent, rp.path,
                  "its design block does not end; the file may have been cut short" + where);
        if (hasBinaryCompanion(c.Type)) checkBinaries(rp.path, si.binaryFiles, codePage);
        return c;
    }

    // Reports the binary files a component's design refers to that are not beside it.
    void checkBinaries(const std::string& component, const std::vector<std::string>& binaries,
                       const std::string& codePage) {
        std::string dir = folderOf(component);
        for (const std::string& name : binaries) {
            ResolvedPath bin = resolver.resolveFile(dir, name, codePage);
            if (bin.found) continue;
            issue(IssueKind::MissingBinary, bin.path,
                  "is missing; '" + std::string(lastPart(component)) +
                      "' keeps properties in it (pictures, icons, lists), which a restored copy "
                      "would lose");
        }
    }

    ReferenceData readReference(const std::string& dir, const ReferenceLine& line,
                                const std::string& codePage) {
        ReferenceData r{.Guid = line.guid,
                        .Major = line.major,
                        .Minor = line.minor,
                        .Description = line.description};
        ResolvedPath rp;
        if (!line.path.empty()) rp = resolver.resolveFile(dir, line.path, codePage);
        if (rp.found) {
            r.FullPath = rp.path;
        } else if (auto reg = line.project ? std::nullopt
                                           : owner.resolveRegistered(line.guid, line.major,
                                                                     line.minor, line.lcid)) {
            ResolvedPath there = resolver.resolveFile(dir, reg->path, codePage);
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

std::string codePageOfNames(const std::vector<FileEncoding>& encodings,
                            const std::string& configured) {
    for (const FileEncoding& encoding : encodings)
        if (encoding.codePage != "UTF-8") return encoding.codePage;
    return configured;
}

}  // namespace arkstash::ide
