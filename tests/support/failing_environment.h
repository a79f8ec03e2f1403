// An environment that forwards every call to another one, except the members a test names,
// which throw PlatformError: `fail("Component.CountOfLines")` makes every component's line
// count fail, `fail("Name")` every member called Name. Lets a test check exactly which action a
// caller drops when one member of the environment fails.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/error.h"
#include "platform/ide/ide.h"

namespace arkstash::test {

class FailingEnvironment;

// What every wrapper shares: the set of failing members and the wrappers made so far, so the
// same inner object always gets the same wrapper.
class FailureSwitches {
  public:
    void fail(const std::string& member) { failing_.insert(member); }
    void check(const char* type, const char* member) const {
        if (failing_.count(member) || failing_.count(std::string(type) + "." + member))
            throw PlatformError(std::string(type) + "." + member + " failed");
    }
    template <typename Wrapper, typename Inner>
    Wrapper& wrap(Inner& inner) {
        auto& slot = wrappers_[&inner];
        if (!slot) slot = std::make_shared<Wrapper>(inner, *this);
        return *std::static_pointer_cast<Wrapper>(slot);
    }

  private:
    std::set<std::string> failing_;
    std::map<const void*, std::shared_ptr<void>> wrappers_;
};

#define ARKSTASH_FORWARD(Type, Member, Call) \
    switches_.check(#Type, #Member);         \
    return Call

class FailingCodePane final : public ide::CodePane {
  public:
    FailingCodePane(ide::CodePane& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    void Show() override { ARKSTASH_FORWARD(CodePane, Show, inner_.Show()); }

  private:
    ide::CodePane& inner_;
    FailureSwitches& switches_;
};

class FailingCodeModule final : public ide::CodeModule {
  public:
    FailingCodeModule(ide::CodeModule& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    long CountOfLines() override {
        ARKSTASH_FORWARD(CodeModule, CountOfLines, inner_.CountOfLines());
    }
    ide::CodePane& CodePane() override {
        ARKSTASH_FORWARD(CodeModule, CodePane, switches_.wrap<FailingCodePane>(inner_.CodePane()));
    }

  private:
    ide::CodeModule& inner_;
    FailureSwitches& switches_;
};

class FailingComponent final : public ide::VBComponent {
  public:
    FailingComponent(ide::VBComponent& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    std::string Name() override { ARKSTASH_FORWARD(Component, Name, inner_.Name()); }
    int Type() override { ARKSTASH_FORWARD(Component, Type, inner_.Type()); }
    std::string FileNames(short i) override {
        ARKSTASH_FORWARD(Component, FileNames, inner_.FileNames(i));
    }
    bool IsDirty() override { ARKSTASH_FORWARD(Component, IsDirty, inner_.IsDirty()); }
    ide::CodeModule& CodeModule() override {
        ARKSTASH_FORWARD(Component, CodeModule,
                         switches_.wrap<FailingCodeModule>(inner_.CodeModule()));
    }
    void Activate() override { ARKSTASH_FORWARD(Component, Activate, inner_.Activate()); }

  private:
    ide::VBComponent& inner_;
    FailureSwitches& switches_;
};

class FailingReference final : public ide::Reference {
  public:
    FailingReference(ide::Reference& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    std::string Guid() override { ARKSTASH_FORWARD(Reference, Guid, inner_.Guid()); }
    long Major() override { ARKSTASH_FORWARD(Reference, Major, inner_.Major()); }
    long Minor() override { ARKSTASH_FORWARD(Reference, Minor, inner_.Minor()); }
    std::string FullPath() override { ARKSTASH_FORWARD(Reference, FullPath, inner_.FullPath()); }
    bool IsBroken() override { ARKSTASH_FORWARD(Reference, IsBroken, inner_.IsBroken()); }
    std::string Description() override {
        ARKSTASH_FORWARD(Reference, Description, inner_.Description());
    }

  private:
    ide::Reference& inner_;
    FailureSwitches& switches_;
};

class FailingReferences final : public ide::References {
  public:
    FailingReferences(ide::References& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    long Count() override { ARKSTASH_FORWARD(References, Count, inner_.Count()); }
    ide::Reference& Item(long i) override {
        ARKSTASH_FORWARD(References, Item, switches_.wrap<FailingReference>(inner_.Item(i)));
    }

  private:
    ide::References& inner_;
    FailureSwitches& switches_;
};

class FailingProject;

class FailingComponents final : public ide::VBComponents {
  public:
    FailingComponents(ide::VBComponents& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    long Count() override { ARKSTASH_FORWARD(Components, Count, inner_.Count()); }
    ide::VBComponent& Item(long i) override {
        ARKSTASH_FORWARD(Components, Item, switches_.wrap<FailingComponent>(inner_.Item(i)));
    }
    ide::VBProject& Parent() override;

  private:
    ide::VBComponents& inner_;
    FailureSwitches& switches_;
};

class FailingProjects;

class FailingProject final : public ide::VBProject {
  public:
    FailingProject(ide::VBProject& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    std::string Name() override { ARKSTASH_FORWARD(Project, Name, inner_.Name()); }
    std::string FileName() override { ARKSTASH_FORWARD(Project, FileName, inner_.FileName()); }
    std::string Description() override {
        ARKSTASH_FORWARD(Project, Description, inner_.Description());
    }
    std::string BuildFileName() override {
        ARKSTASH_FORWARD(Project, BuildFileName, inner_.BuildFileName());
    }
    int Type() override { ARKSTASH_FORWARD(Project, Type, inner_.Type()); }
    bool Saved() override { ARKSTASH_FORWARD(Project, Saved, inner_.Saved()); }
    ide::VBProjects& Collection() override;
    ide::VBComponents& VBComponents() override {
        ARKSTASH_FORWARD(Project, VBComponents,
                         switches_.wrap<FailingComponents>(inner_.VBComponents()));
    }
    ide::References& References() override {
        ARKSTASH_FORWARD(Project, References,
                         switches_.wrap<FailingReferences>(inner_.References()));
    }

  private:
    ide::VBProject& inner_;
    FailureSwitches& switches_;
};

class FailingProjects final : public ide::VBProjects {
  public:
    FailingProjects(ide::VBProjects& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    long Count() override { ARKSTASH_FORWARD(Projects, Count, inner_.Count()); }
    ide::VBProject& Item(long i) override {
        ARKSTASH_FORWARD(Projects, Item, switches_.wrap<FailingProject>(inner_.Item(i)));
    }
    ide::VBProject& StartProject() override {
        ARKSTASH_FORWARD(Projects, StartProject,
                         switches_.wrap<FailingProject>(inner_.StartProject()));
    }
    std::string FileName() override { ARKSTASH_FORWARD(Projects, FileName, inner_.FileName()); }

  private:
    ide::VBProjects& inner_;
    FailureSwitches& switches_;
};

inline ide::VBProject& FailingComponents::Parent() {
    ARKSTASH_FORWARD(Components, Parent, switches_.wrap<FailingProject>(inner_.Parent()));
}

inline ide::VBProjects& FailingProject::Collection() {
    ARKSTASH_FORWARD(Project, Collection, switches_.wrap<FailingProjects>(inner_.Collection()));
}

class FailingCommandBarControl final : public ide::CommandBarControl {
  public:
    FailingCommandBarControl(ide::CommandBarControl& inner, FailureSwitches& s)
        : inner_(inner), switches_(s) {}
    void setCaption(const std::string& c) override {
        ARKSTASH_FORWARD(Control, setCaption, inner_.setCaption(c));
    }
    std::string Caption() override { ARKSTASH_FORWARD(Control, Caption, inner_.Caption()); }
    void setTooltipText(const std::string& t) override {
        ARKSTASH_FORWARD(Control, setTooltipText, inner_.setTooltipText(t));
    }
    std::string TooltipText() override {
        ARKSTASH_FORWARD(Control, TooltipText, inner_.TooltipText());
    }
    void setStyle(int s) override { ARKSTASH_FORWARD(Control, setStyle, inner_.setStyle(s)); }
    int Style() override { ARKSTASH_FORWARD(Control, Style, inner_.Style()); }
    void PasteFace() override { ARKSTASH_FORWARD(Control, PasteFace, inner_.PasteFace()); }

  private:
    ide::CommandBarControl& inner_;
    FailureSwitches& switches_;
};

// A bar and its controls in one, as the in-memory bar is.
class FailingCommandBar final : public ide::CommandBar, public ide::CommandBarControls {
  public:
    FailingCommandBar(ide::CommandBar& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    void setEnabled(bool on) override {
        ARKSTASH_FORWARD(CommandBar, setEnabled, inner_.setEnabled(on));
    }
    bool Enabled() override { ARKSTASH_FORWARD(CommandBar, Enabled, inner_.Enabled()); }
    void setVisible(bool on) override {
        ARKSTASH_FORWARD(CommandBar, setVisible, inner_.setVisible(on));
    }
    bool Visible() override { ARKSTASH_FORWARD(CommandBar, Visible, inner_.Visible()); }
    ide::CommandBarControls& Controls() override { ARKSTASH_FORWARD(CommandBar, Controls, *this); }
    void Delete() override { ARKSTASH_FORWARD(CommandBar, Delete, inner_.Delete()); }
    ide::CommandBarControl& Add() override {
        ARKSTASH_FORWARD(Controls, Add,
                         switches_.wrap<FailingCommandBarControl>(inner_.Controls().Add()));
    }
    ide::CommandBarControl& Item(long i) override {
        ARKSTASH_FORWARD(Controls, Item,
                         switches_.wrap<FailingCommandBarControl>(inner_.Controls().Item(i)));
    }
    long Count() override { ARKSTASH_FORWARD(Controls, Count, inner_.Controls().Count()); }

  private:
    ide::CommandBar& inner_;
    FailureSwitches& switches_;
};

class FailingCommandBars final : public ide::CommandBars {
  public:
    FailingCommandBars(ide::CommandBars& inner, FailureSwitches& s) : inner_(inner), switches_(s) {}
    ide::CommandBar& Add(const std::string& name, int position, bool temporary) override {
        ARKSTASH_FORWARD(CommandBars, Add,
                         switches_.wrap<FailingCommandBar>(inner_.Add(name, position, temporary)));
    }
    ide::CommandBar& Item(const std::string& name) override {
        ARKSTASH_FORWARD(CommandBars, Item, switches_.wrap<FailingCommandBar>(inner_.Item(name)));
    }

  private:
    ide::CommandBars& inner_;
    FailureSwitches& switches_;
};

class FailingEnvironment final : public ide::VBE {
  public:
    explicit FailingEnvironment(ide::VBE& inner) : inner_(inner) {}
    void fail(const std::string& member) { switches_.fail(member); }

    ide::VBProject& ActiveVBProject() override {
        ARKSTASH_FORWARD(VBE, ActiveVBProject,
                         switches_.wrap<FailingProject>(inner_.ActiveVBProject()));
    }
    ide::VBProjects& VBProjects() override {
        ARKSTASH_FORWARD(VBE, VBProjects, switches_.wrap<FailingProjects>(inner_.VBProjects()));
    }
    ide::CommandBars& CommandBars() override {
        ARKSTASH_FORWARD(VBE, CommandBars,
                         switches_.wrap<FailingCommandBars>(inner_.CommandBars()));
    }
    ide::Events& Events() override { ARKSTASH_FORWARD(VBE, Events, inner_.Events()); }

  private:
    ide::VBE& inner_;
    FailureSwitches switches_;
};

#undef ARKSTASH_FORWARD

}  // namespace arkstash::test
