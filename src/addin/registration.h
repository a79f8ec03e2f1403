// The add-in as the environment knows it: registered below the environment's per-user settings
// under its programmatic id, with the name and description its add-in manager lists, and the
// manager's two choices for it.
#pragma once

#include <string>

#include "platform/registry/registry.h"

namespace arkstash::addin {

inline constexpr const char* kProgId = "Arkstash.Connect";
inline constexpr const char* kFriendlyName = "Arkstash for Visual Basic";
inline constexpr const char* kDescription = "Backup your VB Projects";
// Below HKEY_CURRENT_USER.
inline constexpr const char* kAddinKey =
    "Software\\Microsoft\\Visual Basic\\6.0\\Addins\\Arkstash.Connect";

// Values of the add-in's key: "FriendlyName" and "Description" (text), "Loaded" and
// "LoadOnStartup" (numbers, 0 or 1).
struct AddinRegistration {
    std::string friendlyName = kFriendlyName;
    std::string description = kDescription;
    // Connected now (kept as the manager last set it).
    bool loaded = false;
    // Connected when the environment starts; on unless the user turned it off.
    bool loadOnStartup = true;
};

// Writes the name and the description, as installing the add-in does; the load choices stay
// as they are. Failures are ignored: the manager then lists the add-in by its built-in names.
void registerAddin(registry::Registry& reg);
// What the registry holds, with the defaults above for values that are missing.
AddinRegistration readRegistration(registry::Registry& reg);
// Keeps the manager's choices. Failures are ignored.
void saveLoadChoices(registry::Registry& reg, bool loaded, bool loadOnStartup);

}  // namespace arkstash::addin
