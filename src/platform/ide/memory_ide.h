// An environment held in memory. Tests build one in a few lines; the project-file loader fills
// one from disk. Any member of any object can be made to fail (`fail("Name")`), so tests can
// check exactly which action a caller drops.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ide/ide.h"
#include "platform/ui/clipboard.h"

namespace arkstash::ide {

struct ComponentData {
    std::string Name;
    int Type = vbext_ct_StdModule;
    std::string FileName;  // FileNames(1)
    bool IsDirty = false;
    bool HasCodeModule = true;  // resource files and related documents have none
    long CountOfLines = 0;
};

struct ReferenceData {
    std::string Guid;
    long Major = 0;
    long Minor = 0;
    std::string FullPath;
    bool IsBroken = false;
    std::string Description;
};

struct ProjectData {
    std::string Name;
    std::string FileName;
    std::string Description;
    std::string BuildFileName;
    int Type = vbext_pt_StandardExe;
    bool Saved = true;
};

// File types of the file-control events, as the environment numbers them.
enum FileType : int {
    vbext_ft_Form = 0,
    vbext_ft_Module = 1,
    vbext_ft_Class = 2,
    vbext_ft_Project = 3,
    vbext_ft_Res = 6,
    vbext_ft_UserControl = 7,
    vbext_ft_PropertyPage = 8,
    vbext_ft_DocObject = 9,
    vbext_ft_Binary = 10,
    vbext_ft_GroupProject = 11,
    vbext_ft_Designers = 12,
};

// The file type a component's source file has in the file-control events.
int fileTypeOf(int componentType);

class MemoryProject;
class MemoryVBE;
class MemoryComponent;

// What the environment does when a component's code window or designer is opened; the desktop
// host shows them. Unset: nothing is shown.
struct ComponentHooks {
    std::function<void(MemoryComponent&)> codeShown;
    std::function<void(MemoryComponent&)> designerActivated;
};

class MemoryCodePane final : public CodePane {
  public:
    MemoryCodePane(MemoryComponent& owner, const ComponentHooks& hooks)
        : owner_(owner), hooks_(hooks) {}
    void Show() override;

  private:
    MemoryComponent& owner_;
    const ComponentHooks& hooks_;
};

class MemoryCodeModule final : public CodeModule {
  public:
    MemoryCodeModule(MemoryComponent& owner, const ComponentHooks& hooks)
        : owner_(owner), pane_(owner, hooks) {}
    long CountOfLines() override;
    ide::CodePane& CodePane() override;
    MemoryCodePane& pane() { return pane_; }

  private:
    MemoryComponent& owner_;
    MemoryCodePane pane_;
};

class MemoryComponent final : public VBComponent {
  public:
    MemoryComponent(ComponentData data, const ComponentHooks& hooks)
        : data_(std::move(data)), hooks_(hooks), code_(*this, hooks) {}

    std::string Name() override;
    int Type() override;
    std::string FileNames(short index) override;
    bool IsDirty() override;
    ide::CodeModule& CodeModule() override;
    void Activate() override;

    ComponentData& data() { return data_; }
    MemoryCodeModule& code() { return code_; }

  private:
    ComponentData data_;
    const ComponentHooks& hooks_;
    MemoryCodeModule code_;
};

class MemoryReference final : public Reference {
  public:
    explicit MemoryReference(ReferenceData d) : data_(std::move(d)) {}
    std::string Guid() override;
    long Major() override;
    long Minor() override;
    std::string FullPath() override;
    bool IsBroken() override;
    std::string Description() override;
    ReferenceData& data() { return data_; }

  private:
    ReferenceData data_;
};

class MemoryComponents final : public VBComponents {
  public:
    explicit MemoryComponents(MemoryProject& owner) : owner_(owner) {}
    long Count() override;
    VBComponent& Item(long index) override;
    VBProject& Parent() override;
    // The number of components, for the model's own builders; never fails.
    std::size_t size() const { return items_.size(); }

  private:
    friend class MemoryProject;
    MemoryProject& owner_;
    std::vector<std::unique_ptr<MemoryComponent>> items_;
};

class MemoryReferences final : public References {
  public:
    long Count() override;
    Reference& Item(long index) override;
    std::size_t size() const { return items_.size(); }  // never fails

  private:
    friend class MemoryProject;
    std::vector<std::unique_ptr<MemoryReference>> items_;
};

class MemoryProject final : public VBProject {
  public:
    MemoryProject(MemoryVBE& vbe, ProjectData data);

    std::string Name() override;
    std::string FileName() override;
    std::string Description() override;
    std::string BuildFileName() override;
    int Type() override;
    bool Saved() override;
    ide::VBProjects& Collection() override;
    ide::VBComponents& VBComponents() override;
    ide::References& References() override;

    // Building. addComponent raises the component-added event of this project.
    MemoryComponent& addComponent(ComponentData d);
    MemoryReference& addReference(ReferenceData d);
    // Drops all references (a reload puts the ones read anew in their place).
    void clearReferences() { references_.items_.clear(); }
    // Removes the component at the 1-based index and raises the component-removed event.
    void removeComponent(long index);

    ProjectData& data() { return data_; }
    MemoryComponents& components() { return components_; }
    MemoryReferences& references() { return references_; }
    MemoryComponent& component(long index) { return *components_.items_.at(index - 1); }

  private:
    MemoryVBE& vbe_;
    ProjectData data_;
    MemoryComponents components_;
    MemoryReferences references_;
};

class MemoryProjects final : public VBProjects {
  public:
    explicit MemoryProjects(MemoryVBE&) {}
    long Count() override;
    VBProject& Item(long index) override;
    VBProject& StartProject() override;
    std::string FileName() override;
    std::size_t size() const { return items_.size(); }  // never fails

  private:
    friend class MemoryVBE;
    std::vector<std::unique_ptr<MemoryProject>> items_;
    MemoryProject* start_ = nullptr;
    std::string fileName_;
};

// What happened on the command bars, for tests of the connection.
class MemoryCommandBarControl final : public CommandBarControl {
  public:
    void setCaption(const std::string& c) override;
    std::string Caption() override;
    void setTooltipText(const std::string& t) override;
    std::string TooltipText() override;
    void setStyle(int s) override;
    int Style() override;
    void PasteFace() override;
    // The picture pasted as the face (encoded image bytes); empty while none is.
    const std::string& face() const { return face_; }

  private:
    friend class MemoryCommandBar;
    ui::Clipboard* clipboard_ = nullptr;
    std::string face_;
    std::string caption_, tooltip_;
    int style_ = 0;
};

class MemoryCommandBar final : public CommandBar, public CommandBarControls {
  public:
    MemoryCommandBar(std::string name, int position, bool temporary, ui::Clipboard* clipboard)
        : name(std::move(name)), position(position), temporary(temporary), clipboard_(clipboard) {}
    void setEnabled(bool on) override;
    bool Enabled() override;
    void setVisible(bool on) override;
    bool Visible() override;
    CommandBarControls& Controls() override { return *this; }
    void Delete() override;

    CommandBarControl& Add() override;
    CommandBarControl& Item(long index) override;
    long Count() override;

    std::string name;
    int position;
    bool temporary;
    bool deleted = false;
    std::vector<std::unique_ptr<MemoryCommandBarControl>> controls;

  private:
    bool enabled_ = false, visible_ = false;
    ui::Clipboard* clipboard_;
};

class MemoryCommandBars final : public CommandBars {
  public:
    CommandBar& Add(const std::string& name, int position, bool temporary) override;
    CommandBar& Item(const std::string& name) override;
    MemoryCommandBar* find(const std::string& name);  // live bars only
    // The live bars in the order they were added, for the environment to show.
    std::vector<MemoryCommandBar*> bars();
    // Where buttons paste their face from.
    void setClipboard(ui::Clipboard* clipboard) { clipboard_ = clipboard; }

  private:
    std::vector<std::unique_ptr<MemoryCommandBar>> bars_;
    ui::Clipboard* clipboard_ = nullptr;
};

class MemoryEvents final : public Events {
  public:
    std::shared_ptr<ide::CommandBarEvents> CommandBarEvents(CommandBarControl& button) override;
    std::shared_ptr<ide::VBProjectsEvents> VBProjectsEvents() override;
    std::shared_ptr<ide::VBComponentsEvents> VBComponentsEvents(VBProject& project) override;
    std::shared_ptr<ide::FileControlEvents> FileControlEvents(VBProject& project) override;

    // The same source object is handed out for the same button or project, as the environment
    // does; these give it to the model (and tests) for raising events.
    std::shared_ptr<ide::CommandBarEvents> buttonEvents(CommandBarControl& button);
    std::shared_ptr<ide::VBProjectsEvents> projectsEvents();
    std::shared_ptr<ide::VBComponentsEvents> componentsEvents(VBProject& project);
    std::shared_ptr<ide::FileControlEvents> fileEvents(VBProject& project);
    // Drops the sources of a project that left the environment: a project made later at the
    // same address starts with sources of its own. Holders keep theirs as long as they like.
    void forget(const VBProject& project);

  private:
    std::map<const void*, std::shared_ptr<ide::CommandBarEvents>> buttons_;
    std::shared_ptr<ide::VBProjectsEvents> projects_;
    std::map<const void*, std::shared_ptr<ide::VBComponentsEvents>> components_;
    std::map<const void*, std::shared_ptr<ide::FileControlEvents>> files_;
};

class MemoryVBE final : public VBE {
  public:
    MemoryVBE();
    ~MemoryVBE() override;

    VBProject& ActiveVBProject() override;
    ide::VBProjects& VBProjects() override;
    ide::CommandBars& CommandBars() override;
    ide::Events& Events() override;

    // Building. addProject raises the project-added event and, for the first project, makes it
    // the active and start-up project.
    MemoryProject& addProject(ProjectData d);
    // Removes a project (raising the project-removed event); the active and start-up project
    // move to the first remaining one.
    void removeProject(MemoryProject& p);
    void setActive(MemoryProject* p) { active_ = p; }
    void setStartProject(MemoryProject* p) { projects_.start_ = p; }
    void setGroupFileName(std::string path) { projects_.fileName_ = std::move(path); }
    // Raises the file-removed event of a project, as the environment does when a file is
    // taken out of it.
    void raiseFileRemoved(MemoryProject& p, int fileType, const std::string& fileName);
    // Raises the file-written event of a project, as the environment does after saving one of
    // its files (the result 0: written).
    void raiseFileWritten(MemoryProject& p, int fileType, const std::string& fileName);

    // Holds the model's events while a change of many steps is applied (a reload, opening
    // other projects) and raises them, in order, when the last hold is released, so handlers
    // see the finished model: a project added is whole, with its components, when its event
    // arrives. Objects removed meanwhile live until their event has been raised.
    void holdEvents() { ++holds_; }
    void releaseEvents();
    // Raises an event of the model now, or at the release while events are held.
    void raise(std::function<void()> event);

    MemoryProjects& projects() { return projects_; }
    MemoryProject& project(long index) { return *projects_.items_.at(index - 1); }
    MemoryProject* active() { return active_; }
    MemoryCommandBars& commandBars() { return bars_; }
    MemoryEvents& events() { return events_; }
    // What opening a component's code window or designer does.
    ComponentHooks hooks;

  private:
    MemoryProjects projects_;
    MemoryProject* active_ = nullptr;
    MemoryCommandBars bars_;
    MemoryEvents events_;
    int holds_ = 0;
    std::vector<std::function<void()>> held_;
};

}  // namespace arkstash::ide
