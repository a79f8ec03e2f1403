// `arkstash diff ARCHIVE [PROJECT]`: what changed between an archive and the project's files on
// disk now, the files compared being the ones a backup of the project would write.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <set>

#include "backup/backup_plan.h"
#include "backup/change_check.h"
#include "cli/archive_commands.h"
#include "cli/cli.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "platform/archive/archive_reader.h"
#include "platform/archive/libzip_engine.h"
#include "util/strings.h"

namespace arkstash::cli {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

struct DiffOptions {
    std::string archive;
    std::string project;
    bool json = false;
    PasswordOptions password;
};

// The project file the archive was made from, when it can be told: its group file (else its one
// project file) nearest the archive's root, found under the same name in the current folder or
// beside the archive.
std::optional<std::string> projectOfArchive(const archive::ArchiveReader& reader) {
    for (const char* extension : {".vbg", ".vbp"}) {
        std::vector<std::string> names;
        std::size_t depth = SIZE_MAX;
        for (const auto& e : reader.entries()) {
            if (e.type != archive::EntryType::File ||
                !util::endsWith(util::toLowerAscii(e.name), extension) ||
                archive::UnsafeEntryName(e.name))
                continue;
            auto d = static_cast<std::size_t>(std::count(e.name.begin(), e.name.end(), '/'));
            if (d < depth) {
                names.clear();
                depth = d;
            }
            if (d == depth) names.push_back(e.name);
        }
        if (names.size() > 1) return std::nullopt;  // which one is meant cannot be told
        if (names.empty()) continue;
        for (const fs::path& base :
             {fs::current_path(), fs::absolute(reader.path()).parent_path()}) {
            std::error_code ec;
            if (fs::is_regular_file(base / names.front(), ec))
                return (base / names.front()).lexically_normal().string();
        }
        return std::nullopt;
    }
    return std::nullopt;
}

const char* kindText(backup::ChangeKind kind) {
    switch (kind) {
        case backup::ChangeKind::Added:
            return "added";
        case backup::ChangeKind::Removed:
            return "removed";
        case backup::ChangeKind::Modified:
            return "modified";
    }
    return "modified";
}

int runDiff(const DiffOptions& o, Io& io) {
    std::optional<archive::ArchiveReader> reader;
    try {
        reader.emplace(o.archive);
        std::string error;
        auto password = archivePassword(o.password, reader->anyEncrypted(), io, error);
        if (!password) {
            io.err << "arkstash: " << error << "\n";
            return kExitUsage;
        }
        if (!password->empty()) reader.emplace(o.archive, *password);
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << "\n";
        return kExitUsage;
    }
    std::string project = o.project;
    if (project.empty()) {
        auto found = projectOfArchive(*reader);
        if (!found) {
            io.err << "arkstash: cannot tell which project " << TerminalSafe(o.archive)
                   << " was made from; name its .vbp or .vbg file\n";
            return kExitUsage;
        }
        project = *found;
    }

    UserStore store = openUserStore(io);
    ProjectSession session(store.files, *store.registry, store.loaderOptions);
    if (!loadProject(session, project, io)) return kExitUsage;
    Listing listing = session.list([&](long errorNumber) {
        io.err << "arkstash: Could Not Load Type Library: " << errorNumber << "\n";
    });
    // The archive may have been made with or without the referenced libraries, whatever the
    // stored option says now: the file set that shares more names with it is the one to compare.
    archive::LibzipEngine engine;
    std::set<std::string> stored;
    for (const auto& e : reader->entries()) stored.insert(e.name);
    auto planned = [&](bool references) {
        archive::ArchiveRequest request;
        request.files = backup::filesToBackUp(listing.rows, listing.references, references);
        archive::ArchivePlan plan = engine.plan(request);
        std::size_t shared = 0;
        for (const auto& p : plan.entries) shared += stored.count(p.entryName);
        return std::pair(shared, plan);
    };
    auto [withShared, with] = planned(true);
    auto [withoutShared, without] = planned(false);
    const archive::ArchivePlan& files = withShared != withoutShared
                                            ? (withShared > withoutShared ? with : without)
                                            : (listing.options.includeReferences ? with : without);
    for (const auto& problem : files.problems)
        io.err << "arkstash: warning: " << TerminalSafe(archive::describe(problem)) << "\n";

    auto changes = backup::compareWithArchive(*reader, files.entries, store.files, true);
    std::size_t count[3] = {0, 0, 0};
    for (const auto& c : changes) ++count[static_cast<int>(c.kind)];
    if (o.json) {
        Json list = Json::array();
        for (const auto& c : changes)
            list.push_back({{"change", kindText(c.kind)},
                            {"name", ValidUtf8(c.name)},
                            {"lines_added", c.lines ? Json(c.lines->added) : Json(nullptr)},
                            {"lines_removed", c.lines ? Json(c.lines->removed) : Json(nullptr)}});
        io.out << Json{{"archive", ValidUtf8(o.archive)},
                       {"project", ValidUtf8(project)},
                       {"added", count[0]},
                       {"removed", count[1]},
                       {"modified", count[2]},
                       {"changes", list}}
                      .dump(2)
               << "\n";
    } else {
        io.out << "Comparing " << TerminalSafe(o.archive) << " with " << TerminalSafe(project)
               << "\n";
        for (const auto& c : changes) {
            io.out << "  " << kindText(c.kind)
                   << std::string(10 - std::strlen(kindText(c.kind)), ' ') << TerminalSafe(c.name);
            if (c.lines)
                io.out << "  (+" << c.lines->added << " -" << c.lines->removed << " lines)";
            io.out << "\n";
        }
        if (changes.empty())
            io.out << "No changes: the files are as the archive holds them\n";
        else
            io.out << changes.size() << (changes.size() == 1 ? " change: " : " changes: ")
                   << count[2] << " modified, " << count[0] << " added, " << count[1]
                   << " removed\n";
    }
    return changes.empty() ? kExitOk : kExitNoArchive;
}

}  // namespace

Command addDiffCommand(CLI::App& app, Io& io) {
    auto o = std::make_shared<DiffOptions>();
    auto* sub = app.add_subcommand(
        "diff", "Show what changed between an archive and the project's files on disk now");
    sub->add_option("ARCHIVE", o->archive, "the ZIP archive to compare")->required();
    sub->add_option("PROJECT", o->project,
                    "the project (.vbp) or group (.vbg) to compare with; by default the one the "
                    "archive holds, found in the current folder or beside the archive")
        ->type_name("PROJECT.vbp|GROUP.vbg");
    sub->add_flag("--json", o->json, "print the changes as JSON");
    addPasswordOptions(*sub, o->password);
    sub->footer(
        "Files are compared by size and CRC-32; text files show the lines added and removed (an "
        "encrypted archive needs its password for those).\n"
        "Exit status: 0 no changes; 1 files were added, removed or modified; 2 bad usage, or an "
        "archive or project that cannot be read.");
    return {sub, [o, &io] { return guarded(io, [&] { return runDiff(*o, io); }); }};
}

}  // namespace arkstash::cli
