// The development environment as the add-in sees it: exactly the members the add-in uses of the
// extensibility model, the command bars and the connection events. Collections are 1-based.
// Every member may fail by throwing arkstash::PlatformError; callers guard each action.
#pragma once

#include <memory>
#include <string>

#include "platform/ide/signal.h"

namespace arkstash::ide {

class VBProject;
class VBProjects;
class VBComponent;

// Component kinds as the environment numbers them.
enum ComponentType : int {
    vbext_ct_StdModule = 1,
    vbext_ct_ClassModule = 2,
    vbext_ct_MSForm = 3,
    vbext_ct_ResFile = 4,
    vbext_ct_VBForm = 5,
    vbext_ct_VBMDIForm = 6,
    vbext_ct_PropPage = 7,
    vbext_ct_UserControl = 8,
    vbext_ct_DocObject = 9,
    vbext_ct_RelatedDocument = 10,
    vbext_ct_ActiveXDesigner = 11,
};

// Project kinds: standard executable, ActiveX executable, ActiveX library, ActiveX control.
enum ProjectType : int {
    vbext_pt_StandardExe = 0,
    vbext_pt_ActiveXExe = 1,
    vbext_pt_ActiveXDll = 2,
    vbext_pt_ActiveXControl = 3,
};

// Connection modes handed to the add-in.
enum ConnectMode : int {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

class CodePane {
  public:
    virtual ~CodePane() = default;
    virtual void Show() = 0;  // opens the code window
};

class CodeModule {
  public:
    virtual ~CodeModule() = default;
    virtual long CountOfLines() = 0;  // lines the code window shows
    virtual ide::CodePane& CodePane() = 0;
};

class VBComponent {
  public:
    virtual ~VBComponent() = default;
    virtual std::string Name() = 0;
    virtual int Type() = 0;                          // 1 to 11, see ComponentType
    virtual std::string FileNames(short index) = 0;  // 1: full path of the source file
    virtual bool IsDirty() = 0;
    virtual ide::CodeModule& CodeModule() = 0;  // throws when the component has none
    virtual void Activate() = 0;                // opens the designer
};

class VBComponents {
  public:
    virtual ~VBComponents() = default;
    virtual long Count() = 0;
    virtual VBComponent& Item(long index) = 0;  // 1-based
    virtual VBProject& Parent() = 0;
};

class Reference {
  public:
    virtual ~Reference() = default;
    virtual std::string Guid() = 0;  // with braces
    virtual long Major() = 0;
    virtual long Minor() = 0;
    virtual std::string FullPath() = 0;
    virtual bool IsBroken() = 0;
    virtual std::string Description() = 0;
};

class References {
  public:
    virtual ~References() = default;
    virtual long Count() = 0;
    virtual Reference& Item(long index) = 0;  // 1-based
};

class VBProject {
  public:
    virtual ~VBProject() = default;
    virtual std::string Name() = 0;
    virtual std::string FileName() = 0;  // full path of the project file; empty when never saved
    virtual std::string Description() = 0;
    virtual std::string BuildFileName() = 0;
    virtual int Type() = 0;  // see ProjectType
    virtual bool Saved() = 0;
    virtual VBProjects& Collection() = 0;
    virtual ide::VBComponents& VBComponents() = 0;
    virtual ide::References& References() = 0;
};

class VBProjects {
  public:
    virtual ~VBProjects() = default;
    virtual long Count() = 0;
    virtual VBProject& Item(long index) = 0;  // 1-based
    virtual VBProject& StartProject() = 0;    // throws when there is none
    virtual std::string FileName() = 0;       // the group file; empty when no group is loaded
};

// A button on a command bar.
class CommandBarControl {
  public:
    virtual ~CommandBarControl() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string Caption() = 0;
    virtual void setTooltipText(const std::string& text) = 0;
    virtual std::string TooltipText() = 0;
    virtual void setStyle(int style) = 0;  // 3: picture and caption
    virtual int Style() = 0;
    virtual void PasteFace() = 0;  // takes the clipboard picture as the face
};

class CommandBarControls {
  public:
    virtual ~CommandBarControls() = default;
    virtual CommandBarControl& Add() = 0;
    virtual CommandBarControl& Item(long index) = 0;  // 1-based
    virtual long Count() = 0;
};

class CommandBar {
  public:
    virtual ~CommandBar() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool Enabled() = 0;
    virtual void setVisible(bool on) = 0;
    virtual bool Visible() = 0;
    virtual CommandBarControls& Controls() = 0;
    virtual void Delete() = 0;
};

class CommandBars {
  public:
    virtual ~CommandBars() = default;
    // position 1 docks at the top; throws when a bar of that name exists already.
    virtual CommandBar& Add(const std::string& name, int position, bool temporary) = 0;
    virtual CommandBar& Item(const std::string& name) = 0;  // throws when there is none
};

// Event sources. The holder keeps the shared source and a connection per handled event; the
// environment raises the events synchronously on its one thread.
struct CommandBarEvents {
    Signal<> Click;
};

struct VBProjectsEvents {
    Signal<VBProject&> ItemAdded;
    Signal<VBProject&> ItemRemoved;
};

struct VBComponentsEvents {
    Signal<VBComponent&> ItemAdded;
    Signal<VBComponent&> ItemRemoved;
};

// File types of the file-control events are passed through as the environment numbers them.
struct FileControlEvents {
    Signal<VBProject&, int /*FileType*/, const std::string& /*FileName*/> AfterAddFile;
    Signal<VBProject&, int, const std::string& /*OldName*/, const std::string& /*NewName*/>
        AfterChangeFileName;
    Signal<VBProject&, int, const std::string&, bool /*WasDirty*/> AfterCloseFile;
    Signal<VBProject&, int, const std::string&> AfterRemoveFile;
    Signal<VBProject&, int, const std::string&, int /*Result*/> AfterWriteFile;
    Signal<VBProject&, int, const std::string&> BeforeLoadFile;
    Signal<VBProject&, int, const std::string&> DoGetNewFileName;
    Signal<VBProject&, int, const std::string&> RequestChangeFileName;
    Signal<VBProject&, const std::string&> RequestWriteFile;
};

class Events {
  public:
    virtual ~Events() = default;
    virtual std::shared_ptr<ide::CommandBarEvents> CommandBarEvents(CommandBarControl& button) = 0;
    virtual std::shared_ptr<ide::VBProjectsEvents> VBProjectsEvents() = 0;
    virtual std::shared_ptr<ide::VBComponentsEvents> VBComponentsEvents(VBProject& project) = 0;
    virtual std::shared_ptr<ide::FileControlEvents> FileControlEvents(VBProject& project) = 0;
};

// The root object handed to the add-in at connection.
class VBE {
  public:
    virtual ~VBE() = default;
    virtual VBProject& ActiveVBProject() = 0;  // throws when no project is open
    virtual ide::VBProjects& VBProjects() = 0;
    virtual ide::CommandBars& CommandBars() = 0;
    virtual ide::Events& Events() = 0;
};

}  // namespace arkstash::ide
