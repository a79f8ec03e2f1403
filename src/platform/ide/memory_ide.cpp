#include "platform/ide/memory_ide.h"

#include "platform/error.h"

namespace arkstash::ide {

namespace {
template <typename T>
T& itemAt(std::vector<std::unique_ptr<T>>& items, long index) {
    if (index < 1 || index > static_cast<long>(items.size()))
        throw PlatformError("Subscript out of range");
    return *items[static_cast<std::size_t>(index - 1)];
}
}  // namespace

int fileTypeOf(int componentType) {
    switch (componentType) {
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

void MemoryCodePane::Show() {
    if (hooks_.codeShown) hooks_.codeShown(owner_);
}

long MemoryCodeModule::CountOfLines() {
    return owner_.data().CountOfLines;
}
ide::CodePane& MemoryCodeModule::CodePane() {
    return pane_;
}

std::string MemoryComponent::Name() {
    return data_.Name;
}
int MemoryComponent::Type() {
    return data_.Type;
}
std::string MemoryComponent::FileNames(short index) {
    if (index != 1) throw PlatformError("Subscript out of range");
    return data_.FileName;
}
bool MemoryComponent::IsDirty() {
    return data_.IsDirty;
}
ide::CodeModule& MemoryComponent::CodeModule() {
    if (!data_.HasCodeModule) throw PlatformError("Object variable not set: no code module");
    return code_;
}
void MemoryComponent::Activate() {
    if (hooks_.designerActivated) hooks_.designerActivated(*this);
}

std::string MemoryReference::Guid() {
    return data_.Guid;
}
long MemoryReference::Major() {
    return data_.Major;
}
long MemoryReference::Minor() {
    return data_.Minor;
}
std::string MemoryReference::FullPath() {
    return data_.FullPath;
}
bool MemoryReference::IsBroken() {
    return data_.IsBroken;
}
std::string MemoryReference::Description() {
    return data_.Description;
}

long MemoryComponents::Count() {
    return static_cast<long>(items_.size());
}
VBComponent& MemoryComponents::Item(long index) {
    return itemAt(items_, index);
}
VBProject& MemoryComponents::Parent() {
    return owner_;
}

long MemoryReferences::Count() {
    return static_cast<long>(items_.size());
}
Reference& MemoryReferences::Item(long index) {
    return itemAt(items_, index);
}

MemoryProject::MemoryProject(MemoryVBE& vbe, ProjectData data)
    : vbe_(vbe), data_(std::move(data)), components_(*this) {}

std::string MemoryProject::Name() {
    return data_.Name;
}
std::string MemoryProject::FileName() {
    return data_.FileName;
}
std::string MemoryProject::Description() {
    return data_.Description;
}
std::string MemoryProject::BuildFileName() {
    return data_.BuildFileName;
}
int MemoryProject::Type() {
    return data_.Type;
}
bool MemoryProject::Saved() {
    return data_.Saved;
}
ide::VBProjects& MemoryProject::Collection() {
    return vbe_.projects();
}
ide::VBComponents& MemoryProject::VBComponents() {
    return components_;
}
ide::References& MemoryProject::References() {
    return references_;
}

MemoryComponent& MemoryProject::addComponent(ComponentData d) {
    components_.items_.push_back(std::make_unique<MemoryComponent>(std::move(d), vbe_.hooks));
    MemoryComponent& c = *components_.items_.back();
    vbe_.raise([source = vbe_.events().componentsEvents(*this), &c] { source->ItemAdded(c); });
    return c;
}

MemoryReference& MemoryProject::addReference(ReferenceData d) {
    references_.items_.push_back(std::make_unique<MemoryReference>(std::move(d)));
    return *references_.items_.back();
}

void MemoryProject::removeComponent(long index) {
    auto& items = components_.items_;
    if (index < 1 || index > static_cast<long>(items.size()))
        throw PlatformError("Subscript out of range");
    // Keep the component alive until its event has been raised.
    std::shared_ptr<MemoryComponent> gone = std::move(items[static_cast<std::size_t>(index - 1)]);
    items.erase(items.begin() + (index - 1));
    vbe_.raise(
        [source = vbe_.events().componentsEvents(*this), gone] { source->ItemRemoved(*gone); });
}

long MemoryProjects::Count() {
    return static_cast<long>(items_.size());
}
VBProject& MemoryProjects::Item(long index) {
    return itemAt(items_, index);
}
VBProject& MemoryProjects::StartProject() {
    if (!start_) throw PlatformError("No start-up project");
    return *start_;
}
std::string MemoryProjects::FileName() {
    return fileName_;
}

void MemoryCommandBarControl::setCaption(const std::string& c) {
    caption_ = c;
}
std::string MemoryCommandBarControl::Caption() {
    return caption_;
}
void MemoryCommandBarControl::setTooltipText(const std::string& t) {
    tooltip_ = t;
}
std::string MemoryCommandBarControl::TooltipText() {
    return tooltip_;
}
void MemoryCommandBarControl::setStyle(int s) {
    style_ = s;
}
int MemoryCommandBarControl::Style() {
    return style_;
}
void MemoryCommandBarControl::PasteFace() {
    if (!clipboard_) throw PlatformError("There is no clipboard to paste from");
    std::string picture = clipboard_->content().picture;
    if (picture.empty()) throw PlatformError("The clipboard holds no picture");
    face_ = std::move(picture);
}

void MemoryCommandBar::setEnabled(bool on) {
    enabled_ = on;
}
bool MemoryCommandBar::Enabled() {
    return enabled_;
}
void MemoryCommandBar::setVisible(bool on) {
    visible_ = on;
}
bool MemoryCommandBar::Visible() {
    return visible_;
}
void MemoryCommandBar::Delete() {
    deleted = true;
}
CommandBarControl& MemoryCommandBar::Add() {
    controls.push_back(std::make_unique<MemoryCommandBarControl>());
    controls.back()->clipboard_ = clipboard_;
    return *controls.back();
}
CommandBarControl& MemoryCommandBar::Item(long index) {
    return itemAt(controls, index);
}
long MemoryCommandBar::Count() {
    return static_cast<long>(controls.size());
}

CommandBar& MemoryCommandBars::Add(const std::string& name, int position, bool temporary) {
    if (find(name)) throw PlatformError("A command bar named " + name + " exists already");
    bars_.push_back(std::make_unique<MemoryCommandBar>(name, position, temporary, clipboard_));
    return *bars_.back();
}
CommandBar& MemoryCommandBars::Item(const std::string& name) {
    if (auto* bar = find(name)) return *bar;
    throw PlatformError("Invalid procedure call or argument");
}
std::vector<MemoryCommandBar*> MemoryCommandBars::bars() {
    std::vector<MemoryCommandBar*> live;
    for (auto& b : bars_)
        if (!b->deleted) live.push_back(b.get());
    return live;
}
MemoryCommandBar* MemoryCommandBars::find(const std::string& name) {
    for (auto& b : bars_)
        if (!b->deleted && b->name == name) return b.get();
    return nullptr;
}

std::shared_ptr<ide::CommandBarEvents> MemoryEvents::CommandBarEvents(CommandBarControl& button) {
    return buttonEvents(button);
}
std::shared_ptr<ide::VBProjectsEvents> MemoryEvents::VBProjectsEvents() {
    return projectsEvents();
}
std::shared_ptr<ide::VBComponentsEvents> MemoryEvents::VBComponentsEvents(VBProject& project) {
    return componentsEvents(project);
}
std::shared_ptr<ide::FileControlEvents> MemoryEvents::FileControlEvents(VBProject& project) {
    return fileEvents(project);
}
void MemoryEvents::forget(const VBProject& project) {
    components_.erase(&project);
    files_.erase(&project);
}
std::shared_ptr<ide::CommandBarEvents> MemoryEvents::buttonEvents(CommandBarControl& button) {
    auto& slot = buttons_[&button];
    if (!slot) slot = std::make_shared<ide::CommandBarEvents>();
    return slot;
}
std::shared_ptr<ide::VBProjectsEvents> MemoryEvents::projectsEvents() {
    if (!projects_) projects_ = std::make_shared<ide::VBProjectsEvents>();
    return projects_;
}
std::shared_ptr<ide::VBComponentsEvents> MemoryEvents::componentsEvents(VBProject& project) {
    auto& slot = components_[&project];
    if (!slot) slot = std::make_shared<ide::VBComponentsEvents>();
    return slot;
}
std::shared_ptr<ide::FileControlEvents> MemoryEvents::fileEvents(VBProject& project) {
    auto& slot = files_[&project];
    if (!slot) slot = std::make_shared<ide::FileControlEvents>();
    return slot;
}

MemoryVBE::MemoryVBE() : projects_(*this) {}
MemoryVBE::~MemoryVBE() = default;

VBProject& MemoryVBE::ActiveVBProject() {
    if (!active_) throw PlatformError("No active project");
    return *active_;
}
ide::VBProjects& MemoryVBE::VBProjects() {
    return projects_;
}
ide::CommandBars& MemoryVBE::CommandBars() {
    return bars_;
}
ide::Events& MemoryVBE::Events() {
    return events_;
}

MemoryProject& MemoryVBE::addProject(ProjectData d) {
    projects_.items_.push_back(std::make_unique<MemoryProject>(*this, std::move(d)));
    MemoryProject& p = *projects_.items_.back();
    if (!active_) active_ = &p;
    if (!projects_.start_) projects_.start_ = &p;
    raise([this, &p] { events_.projectsEvents()->ItemAdded(p); });
    return p;
}

void MemoryVBE::removeProject(MemoryProject& p) {
    auto& items = projects_.items_;
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->get() != &p) continue;
        std::shared_ptr<MemoryProject> gone = std::move(*it);
        items.erase(it);
        MemoryProject* first = items.empty() ? nullptr : items.front().get();
        if (active_ == gone.get()) active_ = first;
        if (projects_.start_ == gone.get()) projects_.start_ = first;
        raise([this, gone] {
            events_.projectsEvents()->ItemRemoved(*gone);
            events_.forget(*gone);
        });
        return;
    }
    throw PlatformError("No such project");
}

void MemoryVBE::raiseFileRemoved(MemoryProject& p, int fileType, const std::string& fileName) {
    raise([source = events_.fileEvents(p), &p, fileType, fileName] {
        source->AfterRemoveFile(p, fileType, fileName);
    });
}

void MemoryVBE::raiseFileWritten(MemoryProject& p, int fileType, const std::string& fileName) {
    raise([source = events_.fileEvents(p), &p, fileType, fileName] {
        source->AfterWriteFile(p, fileType, fileName, 0);
    });
}

void MemoryVBE::raise(std::function<void()> event) {
    if (holds_ > 0)
        held_.push_back(std::move(event));
    else
        event();
}

void MemoryVBE::releaseEvents() {
    if (holds_ == 0 || --holds_ > 0) return;
    // A handler may change the model again; what it raises then goes out at once.
    std::vector<std::function<void()>> events = std::move(held_);
    held_.clear();
    for (auto& event : events) event();
}

}  // namespace arkstash::ide
