#include "form/helpers.h"

#include "platform/error.h"

namespace arkstash::form {

std::string FileTitle(const std::string&) { return {}; }
std::string LastPathPart(const std::string& path) { throw PlatformError("not built: " + path); }
std::string DirOf(const std::string&) { return {}; }
std::string NulTrim(const std::string& text) { return text.substr(0, text.find('\0')); }
std::string FileExists(os::FileSystem&, const std::string&) { return "False"; }
std::string JoinPath(const std::string& dir, const std::string& name) { return dir + name; }
std::string FormatFileSize(std::uint64_t) { return {}; }
std::string FormatFileDate(os::FileTime) { return {}; }
void AutoSizeColumns(ui::ListView&) {}
void FitLastColumn(ui::ListView&) {}

}  // namespace arkstash::form
