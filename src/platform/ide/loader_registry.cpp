#include "platform/ide/loader.h"
#include "platform/typelib/registration.h"

namespace arkstash::ide {

namespace {

// The locale as a project file writes it: hexadecimal, like the versions beside it.
std::optional<std::uint32_t> parseLocale(const std::string& text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : text) {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        if (d < 0) return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

}  // namespace

// A library not found where its project file says is looked up in the registrations, as the
// environment does: the file registered for its identifier, version and locale.
std::optional<RegisteredLibrary> ProjectLoader::resolveRegistered(const std::string& guid,
                                                                  long major, long minor,
                                                                  const std::string& lcid) const {
    auto locale = parseLocale(lcid);
    if (!options_.classes || !locale || major < 0 || minor < 0 || major > 0xFFFF || minor > 0xFFFF)
        return std::nullopt;
    auto maj = static_cast<std::uint32_t>(major), min = static_cast<std::uint32_t>(minor);
    std::string file = typelib::registeredTypeLibFile(*options_.classes, guid, maj, min, *locale);
    if (file.empty()) return std::nullopt;
    return RegisteredLibrary{
        .path = file,
        .description = typelib::registeredTypeLibDescription(*options_.classes, guid, maj, min)};
}

}  // namespace arkstash::ide
