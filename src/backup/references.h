// The type libraries and controls the projects refer to, and the file on disk behind each, so a
// backup can take them along.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ide/ide.h"
#include "platform/os/file_system.h"
#include "platform/registry/registry.h"

namespace arkstash::backup {

struct ReferenceRow {
    std::string description;
    long major = 0;
    long minor = 0;
    // The file found on disk; none ("Unknown") when none was found; for a control's cached
    // ".oca" the registered control file, empty when its registration was not found.
    std::optional<std::string> file;
    std::string guid;
    bool resolved = false;  // found on disk and not broken: shown in black and ticked
    bool checked = false;   // taken into a backup when the references option is on
};

// "Description", "Version" ("2.0"), "File" ("Unknown" when none), "Guid".
enum ReferenceColumn : std::size_t { kDescriptionColumn, kVersionColumn, kReferenceFileColumn,
                                     kGuidColumn, kReferenceColumnCount };
std::string cellText(const ReferenceRow& row, std::size_t column);

// Told the error number when a control's ".oca" holds no type library that can be read.
using TypeLibraryFailure = std::function<void(long errorNumber)>;

// One row per distinct library the projects refer to, in the order the projects and their
// references come; the runtime's own library ("Visual Basic runtime objects and procedures")
// is never listed.
std::vector<ReferenceRow> LoadReferences(ide::VBE& environment, os::FileSystem& fs,
                                         registry::Registry& classes,
                                         const TypeLibraryFailure& cannotLoadTypeLibrary = {});

}  // namespace arkstash::backup
