#include "platform/ide/loader.h"

namespace arkstash::ide {

// The registrations are not consulted yet: every library is looked for at the path its project
// file writes, and one that is not there counts as broken.
std::optional<RegisteredLibrary> ProjectLoader::resolveRegistered(const std::string& guid,
                                                                  long major, long minor,
                                                                  const std::string& lcid) const {
    (void)guid;
    (void)major;
    (void)minor;
    (void)lcid;
    return std::nullopt;
}

}  // namespace arkstash::ide
