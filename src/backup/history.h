// The archives a project has in its backup folder: which files are its own (by name alone, so
// another project's archives are never taken for its own), how old each is, and which of the
// dated ones go when only the newest few are kept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os/file_system.h"
#include "util/calendar.h"

namespace arkstash::backup {

// The part of the project's archive names before ".zip" and any date: "Sales" for Sales.vbp.
std::string archiveStem(const std::string& projectFile);

struct ArchiveName {
    bool dated = false;       // "Stem_MM-DD-YYYY_HHMMSS.zip"
    bool incomplete = false;  // ".incomplete.zip" in place of ".zip"
    util::CivilTime date;     // the name's date, for a dated archive
};

// What a file name says about an archive named for `stem`; none when it is not one: "Stem.zip",
// "Stem_MM-DD-YYYY_HHMMSS.zip" with a real date and time, and either with ".incomplete.zip".
std::optional<ArchiveName> parseArchiveName(std::string_view stem, std::string_view fileName);

struct ProjectArchive {
    std::string path;
    std::string fileName;
    ArchiveName name;
    // Local time: the name's date for a dated archive, else the file's last write.
    util::CivilTime time;
    std::uint64_t size = 0;
};

// The project's archives in `folder`, newest first. Throws PlatformError when the folder cannot
// be listed.
std::vector<ProjectArchive> projectArchives(os::FileSystem& files, const std::string& folder,
                                            const std::string& stem);

// The newest archive that holds every file its run was asked for.
std::optional<ProjectArchive> newestComplete(const std::vector<ProjectArchive>& archives);

// The complete dated archives beyond the newest `keep` (oldest last), counting `justWritten`
// (a path) among the kept whatever its date says. Undated and incomplete archives never go.
std::vector<ProjectArchive> archivesBeyond(const std::vector<ProjectArchive>& archives,
                                           std::size_t keep, const std::string& justWritten);

// "2026-12-05 07:09:56".
std::string timeText(const util::CivilTime& time);

}  // namespace arkstash::backup
