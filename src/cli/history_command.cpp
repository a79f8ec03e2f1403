// `arkstash history PROJECT`: the project's archives in its backup folder, newest first, each
// read back to say whether it could be restored.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <ostream>

#include "backup/history.h"
#include "cli/archive_commands.h"
#include "cli/cli.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "platform/archive/archive_check.h"
#include "projectview/project_info.h"
#include "util/paths.h"
#include "window/settings_store.h"

namespace arkstash::cli {

namespace {

using Json = nlohmann::ordered_json;

struct HistoryCommandOptions {
    std::string project;
    std::string dir;
    bool json = false;
    PasswordOptions password;
};

struct ArchiveState {
    backup::ProjectArchive archive;
    std::optional<std::size_t> files;  // entries, when the archive could be opened
    bool encrypted = false;
    bool needsPassword = false;  // encrypted, and read without a password
    std::string problem;         // empty when every entry reads back whole
};

std::string checkText(const ArchiveState& s) {
    if (s.problem.empty()) return "OK";
    return s.needsPassword ? "NEEDS PASSWORD" : "DAMAGED";
}

int runHistory(const HistoryCommandOptions& o, Io& io) {
    std::string error;
    auto password = obtainPassword(o.password, io, false, error);
    if (!password) {
        io.err << "arkstash: " << error << "\n";
        return kExitUsage;
    }
    UserStore store = openUserStore(io);
    ProjectSession session(store.files, *store.registry, store.loaderOptions);
    if (!loadProject(session, o.project, io)) return kExitUsage;
    // The folder and the names are the ones a backup of this project would use.
    std::string projectFile =
        projectview::readProjectInformation(session.environment()).projectFile.value_or("");
    std::string folder = o.dir.empty()
                             ? window::SettingsStore(*store.registry).backupFolder(projectFile)
                             : std::filesystem::absolute(o.dir).lexically_normal().string();
    if (folder.empty()) folder = util::DirOf(projectFile);
    const std::string stem = backup::archiveStem(projectFile);

    std::vector<ArchiveState> states;
    try {
        for (auto& a : backup::projectArchives(store.files, folder, stem))
            states.push_back({std::move(a), std::nullopt, false, false, {}});
    } catch (const std::exception& e) {
        io.err << "arkstash: cannot list " << TerminalSafe(folder) << ": " << TerminalSafe(e.what())
               << "\n";
        return kExitNoArchive;
    }
    bool asked = false;
    for (auto& s : states) {
        auto check = archive::CheckArchive(s.archive.path, *password);
        for (const auto& e : check.entries) s.encrypted = s.encrypted || e.encryption != 0;
        // No password named and an encrypted archive: at a terminal, ask once, as verify does.
        if (!check.ok() && s.encrypted && password->empty() && !asked) {
            asked = true;
            if (auto typed = archivePassword(o.password, true, io, error)) {
                password = *typed;
                if (!password->empty()) check = archive::CheckArchive(s.archive.path, *password);
            }
        }
        s.needsPassword = s.encrypted && password->empty();
        if (check.openProblem.empty()) s.files = check.entries.size();
        if (!check.ok()) s.problem = check.problems().front();
    }

    bool allVerify = true;
    for (const auto& s : states) allVerify = allVerify && s.problem.empty();
    if (o.json) {
        Json archives = Json::array();
        for (const auto& s : states) {
            const auto& t = s.archive.time;
            char iso[24];
            std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                          t.hour, t.minute, t.second);
            archives.push_back(
                {{"file", ValidUtf8(s.archive.fileName)},
                 {"path", ValidUtf8(s.archive.path)},
                 {"time", iso},
                 {"dated", s.archive.name.dated},
                 {"incomplete", s.archive.name.incomplete},
                 {"size", s.archive.size},
                 {"files", s.files ? Json(*s.files) : Json(nullptr)},
                 {"encrypted", s.encrypted},
                 {"verified", s.problem.empty()},
                 {"problem", s.problem.empty() ? Json(nullptr) : Json(ValidUtf8(s.problem))}});
        }
        io.out << Json{{"project", ValidUtf8(projectFile)},
                       {"folder", ValidUtf8(folder)},
                       {"archives", archives}}
                      .dump(2)
               << "\n";
        return allVerify ? kExitOk : kExitNoArchive;
    }

    if (states.empty()) {
        io.out << "No archives of " << TerminalSafe(stem) << " in " << TerminalSafe(folder) << "\n";
        return kExitOk;
    }
    io.out << "Archives of " << TerminalSafe(stem) << " in " << TerminalSafe(folder)
           << ", newest first:\n";
    for (const auto& s : states) {
        char line[96];
        std::snprintf(line, sizeof line, "%s  %12llu bytes  %5s files  %-12s  ",
                      backup::timeText(s.archive.time).c_str(),
                      static_cast<unsigned long long>(s.archive.size),
                      s.files ? std::to_string(*s.files).c_str() : "?", checkText(s).c_str());
        io.out << line << TerminalSafe(s.archive.fileName)
               << (s.archive.name.incomplete ? "  (incomplete: files are missing)" : "") << "\n";
    }
    for (const auto& s : states)
        if (!s.problem.empty())
            io.err << "arkstash: " << TerminalSafe(s.archive.fileName) << ": "
                   << TerminalSafe(s.problem) << "\n";
    return allVerify ? kExitOk : kExitNoArchive;
}

}  // namespace

Command addHistoryCommand(CLI::App& app, Io& io) {
    auto o = std::make_shared<HistoryCommandOptions>();
    auto* sub = app.add_subcommand(
        "history", "List a project's archives in its backup folder, newest first, and check each");
    sub->add_option("PROJECT", o->project, "the project (.vbp) or group (.vbg) file")
        ->required()
        ->type_name("PROJECT.vbp|GROUP.vbg");
    sub->add_option("--dir", o->dir, "look in this folder instead of the project's backup folder");
    sub->add_flag("--json", o->json, "print the list as JSON");
    addPasswordOptions(*sub, o->password);
    sub->footer(
        "Exit status: 0 every archive listed reads back whole (or there is none); 1 an archive is "
        "damaged, or encrypted and no password was given; 2 bad usage or a project that cannot "
        "be loaded.");
    return {sub, [o, &io] { return guarded(io, [&] { return runHistory(*o, io); }); }};
}

}  // namespace arkstash::cli
