#include "platform/registry/reg_helpers.h"

namespace arkstash::registry {

std::string RegRead(Registry&, Root, const std::string&, const std::string&,
                    const std::string& defaultValue) {
    return defaultValue;
}
void RegWrite(Registry&, Root, const std::string&, const std::string&, int,
              const std::variant<long long, std::string>&) {}
std::string GetSetting(Registry&, const std::string&, const std::string&, const std::string&,
                       const std::string& defaultValue) {
    return defaultValue;
}
void SaveSetting(Registry&, const std::string&, const std::string&, const std::string&,
                 const std::string&) {}

}  // namespace arkstash::registry
