#include "form/side_file_path.h"

#include <string_view>

#include "form/helpers.h"
#include "platform/error.h"

namespace arkstash::form {

std::string SideFilePath(MainForm& frm) {
    if (!frm.VBInstance) return {};
    std::string projectFile;
    if (!attempt([&] {
            projectFile = frm.VBInstance->ActiveVBProject().VBComponents().Parent().FileName();
        }))
        return {};
    std::string dir = DirOf(NulTrim(projectFile));
    const std::string& name = frm.lblProject.Caption();
    // A project name is an identifier; one holding a separator is not a name we can trust.
    if (dir.empty() || name.empty() ||
        name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
        return {};
    return dir + name + ".aks";
}

}  // namespace arkstash::form
