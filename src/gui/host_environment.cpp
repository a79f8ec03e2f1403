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
        forEachComponent(vbe_, [&](ide::MemoryProject& p, ide::MemoryComponent& c) {
            const std::string& file = c.data().FileName;
            if (filesThere_.count(file) && !isThere(file))
                vbe_.raiseFileRemoved(p, ide::fileTypeOf(c.data().Type), file);
        });
        noteFilesThere();
    }
    return report;
}

void HostEnvironment::noteFilesThere() {
    filesThere_.clear();
    forEachComponent(vbe_, [&](ide::MemoryProject&, ide::MemoryComponent& c) {
        if (isThere(c.data().FileName)) filesThere_.insert(c.data().FileName);
    });
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
    forEachComponent(vbe_, [&](ide::MemoryProject&, ide::MemoryComponent& c) {
        if (!c.data().FileName.empty()) add(util::DirOf(c.data().FileName));
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

bool HostEnvironment::isThere(const std::string& path) {
    bool there = true;  // a file that cannot be looked at now has not been seen to go
    attempt([&] { there = fs_.statusOf(path).type != os::EntryType::None; });
    return there;
}

}  // namespace arkstash::gui
