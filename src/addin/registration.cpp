#include "addin/registration.h"

#include "platform/registry/reg_helpers.h"

namespace arkstash::addin {

namespace {

constexpr auto kUser = registry::Root::CurrentUser;

bool readFlag(registry::Registry& reg, const char* name, bool byDefault) {
    std::string text = registry::RegRead(reg, kUser, kAddinKey, name, byDefault ? "1" : "0");
    return text.find_first_not_of('0') != std::string::npos;
}

}  // namespace

void registerAddin(registry::Registry& reg) {
    registry::RegWrite(reg, kUser, kAddinKey, "FriendlyName", registry::REG_SZ,
                       std::string(kFriendlyName));
    registry::RegWrite(reg, kUser, kAddinKey, "Description", registry::REG_SZ,
                       std::string(kDescription));
}

AddinRegistration readRegistration(registry::Registry& reg) {
    AddinRegistration r;
    r.friendlyName = registry::RegRead(reg, kUser, kAddinKey, "FriendlyName", kFriendlyName);
    r.description = registry::RegRead(reg, kUser, kAddinKey, "Description", kDescription);
    r.loaded = readFlag(reg, "Loaded", false);
    r.loadOnStartup = readFlag(reg, "LoadOnStartup", true);
    return r;
}

void saveLoadChoices(registry::Registry& reg, bool loaded, bool loadOnStartup) {
    registry::RegWrite(reg, kUser, kAddinKey, "Loaded", registry::REG_DWORD, loaded ? 1LL : 0LL);
    registry::RegWrite(reg, kUser, kAddinKey, "LoadOnStartup", registry::REG_DWORD,
                       loadOnStartup ? 1LL : 0LL);
}

}  // namespace arkstash::addin
