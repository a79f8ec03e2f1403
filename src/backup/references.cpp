#include "backup/references.h"

#include <set>

#include "platform/error.h"
#include "platform/typelib/oca_lookup.h"
#include "util/strings.h"

namespace arkstash::backup {

namespace {

constexpr const char* kRuntimeLibrary = "Visual Basic runtime objects and procedures";

bool isCachedControlLibrary(const std::string& path) {
    return util::toUpperAscii(util::lastBytes(path, 3)) == "OCA";
}

bool fileExists(os::FileSystem& fs, const std::string& path) {
    try {
        return fs.findFirst(path, false).has_value();
    } catch (const std::exception&) {
        return false;  // a path the look-up refuses names no file
    }
}

std::string controlFileOf(os::FileSystem& fs, registry::Registry& classes,
                          const std::string& ocaPath, const TypeLibraryFailure& failure) {
    try {
        return typelib::controlFileOfOca(fs, classes, ocaPath);
    } catch (const PlatformError& e) {
        if (failure) failure(e.number());
    } catch (const std::exception&) {
        // A file that cannot be read at all gives no control file, and no message.
    }
    return {};
}

}  // namespace

std::string cellText(const ReferenceRow& row, std::size_t column) {
    switch (column) {
        case kDescriptionColumn:
            return row.description;
        case kVersionColumn:
            return std::to_string(row.major) + "." + std::to_string(row.minor);
        case kReferenceFileColumn:
            return row.file ? *row.file : "Unknown";
        case kGuidColumn:
            return row.guid;
        default:
            return {};
    }
}

std::vector<ReferenceRow> LoadReferences(ide::VBE& environment, os::FileSystem& fs,
                                         registry::Registry& classes,
                                         const TypeLibraryFailure& cannotLoadTypeLibrary) {
    // Every read of the environment may fail (it is another program's object model); each is
    // guarded on its own, so a failing member costs only the row or the cell that needs it.
    std::vector<ReferenceRow> rows;
    std::set<std::string> seen;
    long projectCount = 0;
    attempt([&] { projectCount = environment.VBProjects().Count(); });
    for (long p = 1; p <= projectCount; ++p) {
        ide::VBProject* project = nullptr;
        if (!attempt([&] { project = &environment.VBProjects().Item(p); })) continue;
        long count = 0;
        attempt([&] { count = project->References().Count(); });
        for (long i = 1; i <= count; ++i) {
            ide::Reference* reference = nullptr;
            if (!attempt([&] { reference = &project->References().Item(i); })) continue;
            ReferenceRow row;
            // A reference whose identifier or name cannot be read cannot be listed.
            if (!attempt([&] { row.guid = reference->Guid(); })) continue;
            if (!seen.insert(row.guid).second) continue;
            if (!attempt([&] { row.description = reference->Description(); })) continue;
            if (row.description == kRuntimeLibrary) continue;
            attempt([&] {
                row.major = reference->Major();
                row.minor = reference->Minor();
            });
            std::string path;
            // A reference whose state cannot be read counts as broken: its file is not known good.
            bool broken = true;
            attempt([&] { path = reference->FullPath(); });
            attempt([&] { broken = reference->IsBroken(); });
            if (!broken && fileExists(fs, path)) {
                row.file = isCachedControlLibrary(path)
                               ? controlFileOf(fs, classes, path, cannotLoadTypeLibrary)
                               : path;
                row.resolved = true;
                row.checked = true;
            }
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

}  // namespace arkstash::backup
