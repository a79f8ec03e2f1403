// `arkstash backup PROJECT.vbp|GROUP.vbg`: the window's Backup command without the window. The
// projects are loaded and scanned, the stored options read from the same store as the desktop
// app's, the options of this run laid over them (never stored), and the archive written by
// the same engine.
#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>

#include "backup/backup_plan.h"
#include "backup/backup_target.h"
#include "cli/backup_history.h"
#include "cli/cli.h"
#include "cli/console_output.h"
#include "cli/password_input.h"
#include "cli/project_session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "platform/archive/libzip_engine.h"
#include "projectview/scan.h"
#include "util/paths.h"

namespace arkstash::cli {

namespace {

struct BackupOptions {
    std::string project;
    std::string dir;
    std::string name;
    std::optional<bool> date;
    std::string level;
    bool noReferences = false;
    bool yes = false;
    bool dryRun = false;
    unsigned jobs = 0;
    std::string codePage;
    PasswordOptions password;
    HistoryOptions history;  // --if-changed, --keep
};

// Compression texts of the window's list by the names the command line takes.
const char* levelText(const std::string& name) {
    if (name == "none") return "No Compression";
    if (name == "low") return "Low";
    if (name == "normal") return "Normal";
    if (name == "maximum") return "Maximum";
    return nullptr;
}

// The engine's progress on the console; its warnings as lines on stderr.
class ConsoleObserver final : public archive::ArchiveObserver {
  public:
    ConsoleObserver(ConsoleProgress& progress, Io& io) : progress_(progress), io_(io) {}

    void fileProgress(const std::string& path, int percent) override {
        progress_.file(path, static_cast<std::int16_t>(percent));
    }
    void overallProgress(int percent) override {
        progress_.global(static_cast<std::int16_t>(percent));
    }
    void checking(int percent) override { progress_.checking(static_cast<std::int16_t>(percent)); }
    void problem(const archive::FileProblem& problem) override {
        say("Warning: " + archive::describe(problem));
    }
    // The name was taken while the archive was written: nobody agreed to replace that one.
    bool replaceTakenTarget(const std::string&) override { return false; }

    void say(const std::string& text) {
        progress_.clear();
        io_.err << "arkstash: " << TerminalSafe(text) << "\n";
    }

  private:
    ConsoleProgress& progress_;
    Io& io_;
};

// Ctrl-C, and the SIGTERM and SIGHUP that `timeout`, service managers and a closed terminal
// send, ask the engine to stop: it removes its temporary file and keeps the old archive. A
// second signal of the same kind ends the program at once.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<archive::ArchiveEngine*> interruptTarget{nullptr};
std::atomic<int> interruptedBy{0};
extern "C" void onInterrupt(int signal) {
    interruptedBy.store(signal);
    if (auto* engine = interruptTarget.load()) engine->cancel();
    std::signal(signal, SIG_DFL);
}

class InterruptGuard {
  public:
    explicit InterruptGuard(archive::ArchiveEngine& engine) {
        interruptedBy.store(0);
        interruptTarget.store(&engine);
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
            ::sigaction(kStopSignals[i], &action, &old_[i]);
    }
    ~InterruptGuard() {
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i)
            ::sigaction(kStopSignals[i], &old_[i], nullptr);
        interruptTarget.store(nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction old_[std::size(kStopSignals)] {};
};

// The archive name a user gave: ".zip" is added when it has none.
std::string chosenName(const std::string& name) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".zip") == 0 ? name
                                                                             : name + ".zip";
}

void printPlan(const archive::ArchivePlan& plan, const backup::BackupPlan& backup, bool exists,
               std::ostream& out) {
    out << "Would write " << TerminalSafe(backup.archivePath)
        << (exists ? " (replacing the existing archive)" : "") << ", level " << backup.level
        << (backup.password ? ", AES-256 encrypted" : ", no password") << "\n";
    for (const auto& entry : plan.entries)
        out << "  " << TerminalSafe(entry.entryName) << "  (" << entry.size << " bytes)  from "
            << TerminalSafe(entry.path) << "\n";
    for (const auto& problem : plan.problems)
        out << "Would skip " << TerminalSafe(problem.path) << ": "
            << TerminalSafe(archive::describe(problem)) << "\n";
    out << plan.entries.size() << (plan.entries.size() == 1 ? " file, " : " files, ")
        << plan.totalBytes << " bytes";
    if (!plan.problems.empty()) out << "; " << plan.problems.size() << " skipped";
    out << "\n";
}

bool pathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

int runBackup(const BackupOptions& o, Io& io) {
    std::string error;
    auto password = obtainPassword(o.password, io, true, error);
    if (!password) {
        io.err << "arkstash: " << error << "\n";
        return kExitUsage;
    }

    UserStore store = openUserStore(io);
    if (!applyCodePage(o.codePage, store.loaderOptions, io)) return kExitUsage;
    ProjectSession session(store.files, *store.registry, store.loaderOptions);
    try {
        printLoadReport(session.load({o.project}), io, true);
    } catch (const std::exception& e) {
        io.err << "arkstash: cannot load " << TerminalSafe(o.project) << ": "
               << TerminalSafe(e.what()) << "\n";
        return kExitUsage;
    }
    ConsoleProgress progress(io.err, io.errIsTerminal);
    ConsoleObserver observer(progress, io);
    Listing listing = session.list(
        [&](long errorNumber) { observer.say("Could Not Load Type Library: " + std::to_string(errorNumber)); });

    // The stored options, with this run's laid over them.
    ShownOptions options = listing.options;
    if (!o.dir.empty()) {
        std::filesystem::path dir = std::filesystem::absolute(o.dir).lexically_normal();
        std::error_code ec;
        std::filesystem::create_directory(dir, ec);  // the last level only, as the window does
        options.backupFolder = dir.string();
    }
    if (o.date) options.addDate = *o.date;
    if (!o.level.empty()) options.compression = levelText(o.level);
    if (o.noReferences) options.includeReferences = false;

    backup::BackupPlan plan;
    plan.references = options.includeReferences;
    plan.files = backup::filesToBackUp(listing.rows, listing.references, plan.references);
    // What the projects name but the scan could not list goes to the engine too: it reports
    // each with its reason, and the run cannot count as complete.
    for (const auto& file : filesLeftOut(listing)) plan.files.push_back(file);
    for (const auto& file : plan.files)
        if (file != "Unknown" && projectview::isOutsideFolders(file, listing.scan.projectFolders))
            observer.say("note: outside the project folders: " + file);
    plan.level = backup::compressionLevelOf(options.compression).value_or(plan.level);
    plan.nameCodePage = ide::codePageOfNames(listing.load.encodings, store.loaderOptions.codePage);
    if (!password->empty()) plan.password = *password;

    // An empty file list shows no archive name, as the window's empty state does.
    std::string name;
    if (!o.name.empty())
        name = chosenName(o.name);
    else if (!listing.rows.empty())
        name = backup::archiveNameFor(listing.projectFile.value_or(""),
                                      options.addDate ? std::optional(os::SystemClock().now())
                                                      : std::nullopt);
    if (options.backupFolder.empty()) {
        observer.say("Select a backup directory");
        return kExitNoArchive;
    }
    if (name.empty()) {
        observer.say("Select a ZIPfile");
        return kExitNoArchive;
    }
    if (backup::hasForbiddenCharacter(name)) {
        observer.say(std::string(backup::kForbiddenCharactersMessage) + ": \"" + name + "\"" +
                     (o.name.empty() ? " (from " + listing.projectFile.value_or(o.project) +
                                           "); choose a name with --name"
                                     : ""));
        return o.name.empty() ? kExitNoArchive : kExitUsage;
    }
    plan.archivePath = util::JoinPath(options.backupFolder, name);

    archive::LibzipEngine engine;
    if (unchangedSinceNewest(engine, plan, listing.projectFile.value_or(""), o.history, io))
        return kExitOk;
    const bool exists = pathExists(plan.archivePath);
    if (o.dryRun) {
        archive::ArchivePlan written = engine.plan(backup::archiveRequest(plan, true));
        printPlan(written, plan, exists, io.out);
        if (written.entries.empty()) return kExitNoArchive;
        return written.problems.empty() ? kExitOk : kExitFilesSkipped;
    }
    bool replace = o.yes;
    if (exists && !replace) {
        replace = io.inIsTerminal &&
                  askYesNo(io, "Backup file exists, overwrite?", &progress);
        if (!replace) {
            io.err << "arkstash: " << TerminalSafe(plan.archivePath)
                   << " exists; give --yes to replace it (the old archive is kept)\n";
            return kExitNoArchive;
        }
    }

    archive::ArchiveResult result;
    {
        InterruptGuard guard(engine);
        result = engine.write(backup::archiveRequest(plan, replace, o.jobs), observer);
    }
    progress.clear();
    using archive::Outcome;
    if (result.outcome != Outcome::Complete && result.outcome != Outcome::Incomplete) {
        observer.say(backup::describeResult(result));
        // Stopped by a signal: once the old archive is safe, end the way that signal ends a
        // program, so a script or service manager sees what happened.
        if (int signal = interruptedBy.load(); signal != 0) std::raise(signal);
        return kExitNoArchive;
    }
    if (result.outcome == Outcome::Complete) observer.say("Project backup completed");
    io.out << "Backup written: " << TerminalSafe(result.writtenTo) << " (" << result.entries
           << (result.entries == 1 ? " file, " : " files, ") << "verified";
    if (!result.problems.empty()) io.out << "; " << result.problems.size() << " skipped";
    io.out << ")\n";
    if (result.outcome == Outcome::Complete)
        keepNewest(plan, listing.projectFile.value_or(""), result.writtenTo, o.history, io);
    return result.outcome == Outcome::Complete ? kExitOk : kExitFilesSkipped;
}

}  // namespace

Command addBackupCommand(CLI::App& app, Io& io) {
    auto o = std::make_shared<BackupOptions>();
    auto* sub = app.add_subcommand(
        "backup", "Back up a project or group into one verified ZIP archive, as the window does");
    sub->add_option("PROJECT", o->project, "the project (.vbp) or group (.vbg) file")->required();
    sub->add_option("--dir", o->dir, "backup folder for this run (instead of the stored one)");
    sub->add_option("--name", o->name,
                    "archive file name for this run (instead of one derived from the project)");
    sub->add_flag("--date,!--no-date", o->date,
                  "add (or leave out) the date and time in the archive name for this run");
    sub->add_option("--level", o->level, "compression for this run")
        ->check(CLI::IsMember({"none", "low", "normal", "maximum"}));
    sub->add_flag("--no-references", o->noReferences,
                  "leave referenced libraries and controls out of this run");
    sub->add_flag("--yes,-y", o->yes, "replace an existing archive without asking");
    sub->add_flag("--dry-run", o->dryRun, "print what would be written, and write nothing");
    sub->add_option("--jobs", o->jobs,
                    "compression threads (default: one per core); the archive is the same "
                    "whatever the number")
        ->check(CLI::Range(1u, 64u));
    addPasswordOptions(*sub, o->password);
    addCodePageOption(*sub, o->codePage);
    addHistoryOptions(*sub, o->history);
    sub->footer(
        "Options apply to this run only; the stored settings are not changed. Without --yes an "
        "existing archive is replaced only when the question is answered at a terminal.\n"
        "A run that cannot take every file the projects name writes NAME.incomplete.zip and "
        "keeps the last complete NAME.zip as it was.\n"
        "Exit status: 0 every file written and verified; 3 archive written and verified but files "
        "were skipped; 1 no archive written (a previous one is kept); 2 bad usage or a project "
        "that cannot be loaded.");
    return {sub, [o, &io] { return runBackup(*o, io); }};
}

}  // namespace arkstash::cli
