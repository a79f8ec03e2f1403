// What the "Info" tab tells of the active project.
#pragma once

#include <optional>
#include <string>

#include "platform/ide/ide.h"

namespace arkstash::projectview {

struct ProjectInformation {
    std::optional<std::string> name;
    std::optional<std::string> description;    // "---" when the project has none
    std::optional<std::string> buildFileName;  // "---" when the project has none
    std::optional<std::string> projectFile;    // the project file's path, "" when never saved
};

// Each field is read on its own; one the environment cannot give is none.
ProjectInformation readProjectInformation(ide::VBE& environment);

}  // namespace arkstash::projectview
