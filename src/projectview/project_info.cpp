#include "projectview/project_info.h"

#include "platform/error.h"
#include "util/strings.h"

namespace arkstash::projectview {

namespace {
std::string orDashes(std::string text) {
    return text.empty() ? "---" : text;
}
}  // namespace

ProjectInformation readProjectInformation(ide::VBE& environment) {
    ProjectInformation info;
    // With no project open there is no active one; each read then fails on its own.
    attempt([&] { info.name = environment.ActiveVBProject().Name(); });
    attempt([&] { info.description = orDashes(environment.ActiveVBProject().Description()); });
    attempt([&] { info.buildFileName = orDashes(environment.ActiveVBProject().BuildFileName()); });
    attempt([&] {
        info.projectFile =
            util::untilNul(environment.ActiveVBProject().VBComponents().Parent().FileName());
    });
    return info;
}

}  // namespace arkstash::projectview
