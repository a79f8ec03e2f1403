#include "projectview/component_kinds.h"

#include <array>

#include "platform/ide/ide.h"

namespace arkstash::projectview {

namespace {

// Forms and user controls keep their binary data beside the source; so do property pages,
// user documents and designers, and a backup without those files cannot be loaded again.
const std::array<ComponentKind, 11> kKinds = {{
    {ide::vbext_ct_StdModule, "Modules", "Module", true, {}},
    {ide::vbext_ct_ClassModule, "Class Modules", "Class", true, {}},
    {ide::vbext_ct_MSForm, "Forms", "Form", true, {}},
    {ide::vbext_ct_ResFile, "Related Documents", "Resource file", false, {}},
    {ide::vbext_ct_VBForm, "Forms", "Form", true, {{".frx", "Form Binary"}}},
    // An MDI form saved with a picture or an icon keeps it in a binary as other forms do.
    {ide::vbext_ct_VBMDIForm, "Forms", "MDI Form", true, {{".frx", "Form Binary"}}},
    {ide::vbext_ct_PropPage, "Property Pages", "Property page", true,
     {{".pgx", "Property Page Binary"}}},
    {ide::vbext_ct_UserControl, "User Controls", "User control", true,
     {{".ctx", "User Control Binary"}}},
    {ide::vbext_ct_DocObject, "User Documents", "User document", true,
     {{".dox", "User Document Binary"}}},
    {ide::vbext_ct_RelatedDocument, "Related Documents", "Related document", false, {}},
    {ide::vbext_ct_ActiveXDesigner, "Designers", "Designer", true,
     {{".dsx", "Designer Binary"}, {".dca", "Designer Binary"}}},
}};

}  // namespace

const ComponentKind* findComponentKind(int type) {
    for (const ComponentKind& kind : kKinds)
        if (kind.type == type) return &kind;
    return nullptr;
}

}  // namespace arkstash::projectview
