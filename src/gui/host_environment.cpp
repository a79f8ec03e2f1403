#include "gui/host_environment.h"

#include <set>

#include "platform/error.h"
#include "util/paths.h"

namespace arkstash::gui {

namespace {

// Releases the model's held events however the change ends.
class HeldEvents {
  public:
    explicit HeldEvents(ide::MemoryVBE& vbe) : vbe_(vbe) { vbe_.holdEvents(); }
    ~HeldEvents() { vbe_.releaseEvents(); }
    HeldEvents(const HeldEvents&) = delete;
    HeldEvents& operator=(const HeldEvents&) = delete;

  private:
    ide::MemoryVBE& vbe_;
};

template <typename F>
void forEachComponent(ide::MemoryVBE& vbe, F&& f) {
    for (std::size_t i = 1; i <= vbe.projects().size(); ++i) {
        ide::MemoryProject& p = vbe.project(static_cast<long>(i));
        for (std::size_t j = 1; j <= p.components().size(); ++j)
            f(p, p.component(static_cast<long>(j)));
    }
}

}  // namespace

HostEnvironment::HostEnvironment(os::FileSystem& fs, ide::LoaderOptions options)
    : fs_(fs), options_(options), loader_(fs, std::move(options)) {}

ide::LoadReport HostEnvironment::open(const std::vector<std::string>& paths) {
    // Tried on the side first, so that files which do not load leave the open projects alone.
    {
        ide::MemoryVBE trial;
        ide::ProjectLoader(fs_, options_).load(trial, paths);
    }
    HeldEvents held(vbe_);
    while (vbe_.projects().size() > 0) vbe_.removeProject(vbe_.project(1));
    ide::LoadReport report = loader_.load(vbe_, paths);
    opened_ = paths;
    noteFilesThere();
    return report;
}

ide::LoadReport HostEnvironment::reload() {
    if (opened_.empty()) return {};
    ide::LoadReport report;
    {
        HeldEvents held(vbe_);
        report = loader_.reload(vbe_);
        // Only files seen before can have been written or gone; new ones arrive as added.
        auto changed = [&](const std::string& file, auto&& removed, auto&& written) {
            auto before = filesThere_.find(file);
            if (file.empty() || before == filesThere_.end()) return;
            std::optional<FileStamp> now = stampOf(file);
            if (!now)
                removed();
            else if (!(*now == before->second))
                written();
        };
        if (vbe_.projects().size() > 0) {
            const std::string& group = vbe_.projects().FileName();
            changed(
                group, [] {},
                [&] { vbe_.raiseFileWritten(vbe_.project(1), ide::vbext_ft_GroupProject, group); });
        }
        for (std::size_t i = 1; i <= vbe_.projects().size(); ++i) {
            ide::MemoryProject& p = vbe_.project(static_cast<long>(i));
            const std::string& file = p.data().FileName;
            changed(
                file, [] {}, [&] { vbe_.raiseFileWritten(p, ide::vbext_ft_Project, file); });
        }
        forEachComponent(vbe_, [&](ide::MemoryProject& p, ide::MemoryComponent& c) {
            const std::string& file = c.data().FileName;
            const int type = ide::fileTypeOf(c.data().Type);
            changed(
                file, [&] { vbe_.raiseFileRemoved(p, type, file); },
                [&] { vbe_.raiseFileWritten(p, type, file); });
        });
        noteFilesThere();
    }
    return report;
}

void HostEnvironment::noteFilesThere() {
    std::map<std::string, FileStamp> there;
    auto note = [&](const std::string& file) {
        if (file.empty()) return;
        if (auto stamp = stampOf(file)) there[file] = *stamp;
    };
    note(vbe_.projects().FileName());
    for (std::size_t i = 1; i <= vbe_.projects().size(); ++i)
        note(vbe_.project(static_cast<long>(i)).data().FileName);
    forEachComponent(
        vbe_, [&](ide::MemoryProject&, ide::MemoryComponent& c) { note(c.data().FileName); });
    filesThere_ = std::move(there);
}

std::vector<std::string> HostEnvironment::watchedPaths() {
    std::vector<std::string> paths;
    std::set<std::string> seen;
    auto add = [&](const std::string& path) {
        if (!path.empty() && seen.insert(path).second) paths.push_back(path);
    };
    auto addWithFolder = [&](const std::string& file) {
        if (file.empty()) return;
        add(file);
        add(util::DirOf(file));
    };
    addWithFolder(vbe_.projects().FileName());
    for (std::size_t i = 1; i <= vbe_.projects().size(); ++i)
        addWithFolder(vbe_.project(static_cast<long>(i)).data().FileName);
    // A folder tells of files coming and going (an editor that saves by renaming a new file
    // over the old one); only the file itself tells of a save that writes it in place.
    forEachComponent(vbe_, [&](ide::MemoryProject&, ide::MemoryComponent& c) {
        addWithFolder(c.data().FileName);
    });
    return paths;
}

ide::MemoryComponent* HostEnvironment::componentByFile(const std::string& path) {
    ide::MemoryComponent* found = nullptr;
    forEachComponent(vbe_, [&](ide::MemoryProject&, ide::MemoryComponent& c) {
        if (!found && c.data().FileName == path) found = &c;
    });
    return found;
}

ide::MemoryProject* HostEnvironment::projectByFile(const std::string& path) {
    for (std::size_t i = 1; i <= vbe_.projects().size(); ++i)
        if (vbe_.project(static_cast<long>(i)).data().FileName == path)
            return &vbe_.project(static_cast<long>(i));
    return nullptr;
}

std::optional<HostEnvironment::FileStamp> HostEnvironment::stampOf(const std::string& path) {
    try {
        if (auto info = fs_.findFirst(path, true))
            return FileStamp{info->size, info->lastWriteTime};
        if (fs_.statusOf(path).type == os::EntryType::None) return std::nullopt;
    } catch (const std::exception&) {
    }
    // There but not a file we read, or not to be looked at now: as it was.
    auto before = filesThere_.find(path);
    return before != filesThere_.end() ? before->second : FileStamp{};
}

}  // namespace arkstash::gui
