// `arkstash backup PROJECT.vbp|GROUP.vbg`: the Backup command of the window, headless. The
// projects are loaded and scanned, the settings read from the same store as the desktop app,
// the options of this run laid over them (never stored), and the same backup run started.
#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <memory>
#include <ostream>

#include "backup/zip_files.h"
#include "cli/cli.h"
#include "cli/console_output.h"
#include "cli/password_input.h"
#include "cli/session.h"
#include "cli/text_out.h"
#include "cli/user_store.h"
#include "form/helpers.h"
#include "platform/archive/libzip_engine.h"
#include "platform/error.h"
#include "shell/main_window.h"

namespace arkstash::cli {

namespace {

struct BackupOptions {
    std::string project;
    std::string dir;
    std::optional<bool> date;
    std::string level;
    bool noReferences = false;
    bool yes = false;
    bool dryRun = false;
    PasswordOptions password;
};

// Compression texts of the window's list by the names the command line takes.
const char* levelText(const std::string& name) {
    if (name == "none") return "No Compression";
    if (name == "low") return "Low";
    if (name == "normal") return "Normal";
    if (name == "maximum") return "Maximum";
    return nullptr;
}

// The engine the window drives, with the console following its progress. A dry run plans
// instead of writing.
class ConsoleEngine : public archive::ArchiveEngine {
  public:
    ConsoleEngine(ConsoleProgress& progress, bool dryRun, std::ostream& out)
        : progress_(progress), dryRun_(dryRun), out_(out) {}

    archive::ArchiveResult write(const archive::ArchiveRequest& request,
                                 archive::ArchiveObserver& observer) override {
        started = true;
        target = request.target;
        if (dryRun_) {
            printPlan(request);
            return {.outcome = archive::Outcome::NothingToDo};
        }
        struct Following : archive::ArchiveObserver {
            ConsoleProgress& progress;
            archive::ArchiveObserver& inner;
            Following(ConsoleProgress& p, archive::ArchiveObserver& i) : progress(p), inner(i) {}
            void preparing(const std::string& path) override { inner.preparing(path); }
            void fileProgress(const std::string& path, int percent) override {
                progress.file(path, static_cast<std::int16_t>(percent));
                inner.fileProgress(path, percent);
            }
            void overallProgress(int percent) override {
                progress.global(static_cast<std::int16_t>(percent));
                inner.overallProgress(percent);
            }
            void checking(int percent) override {
                progress.checking(static_cast<std::int16_t>(percent));
                inner.checking(percent);
            }
            void problem(const archive::FileProblem& p) override { inner.problem(p); }
        } following(progress_, observer);
        result = inner.write(request, following);
        progress_.clear();
        return *result;
    }
    archive::ArchivePlan plan(const archive::ArchiveRequest& request) const override {
        return inner.plan(request);
    }
    void cancel() noexcept override { inner.cancel(); }

    archive::LibzipEngine inner;
    bool started = false;
    std::string target;
    std::optional<archive::ArchiveResult> result;
    std::optional<archive::ArchivePlan> dryPlan;

  private:
    void printPlan(const archive::ArchiveRequest& request) {
        dryPlan = inner.plan(request);
        std::error_code ec;
        bool exists = std::filesystem::exists(request.target, ec);
        out_ << "Would write " << request.target
             << (exists ? " (replacing the existing archive)" : "") << ", level " << request.level
             << (request.password.empty() ? ", no password" : ", AES-256 encrypted") << "\n";
        for (const auto& f : dryPlan->entries)
            out_ << "  " << TerminalSafe(f.entryName) << "  (" << f.size << " bytes)  from "
                 << TerminalSafe(f.path) << "\n";
        for (const auto& s : dryPlan->problems)
            out_ << "Would skip " << TerminalSafe(archive::describe(s)) << "\n";
        out_ << dryPlan->entries.size() << (dryPlan->entries.size() == 1 ? " file, " : " files, ")
             << dryPlan->totalBytes << " bytes";
        if (!dryPlan->problems.empty()) out_ << "; " << dryPlan->problems.size() << " skipped";
        out_ << "\n";
    }

    ConsoleProgress& progress_;
    bool dryRun_;
    std::ostream& out_;
};

// Ctrl-C asks the engine to stop, so it removes its temporary file and keeps the old archive;
// a second Ctrl-C ends the program at once.
std::atomic<archive::LibzipEngine*> interruptTarget{nullptr};
extern "C" void onInterrupt(int) {
    if (auto* e = interruptTarget.load()) e->cancel();
    std::signal(SIGINT, SIG_DFL);
}

class InterruptGuard {
  public:
    explicit InterruptGuard(archive::LibzipEngine& e) {
        interruptTarget.store(&e);
        struct sigaction sa {};
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGINT, &sa, &old_);
    }
    ~InterruptGuard() {
        ::sigaction(SIGINT, &old_, nullptr);
        interruptTarget.store(nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction old_ {};
};

// Sets a check box without raising its Click, so that an option of this run is not stored.
void setQuietly(ui::CheckBox& box, int value) {
    auto click = std::move(box.Click);
    box.Click = nullptr;
    box.setValue(value);
    box.Click = std::move(click);
}

int runBackup(const BackupOptions& o, Io& io) {
    std::string error;
    auto password = obtainPassword(o.password, io, true, error);
    if (!password) {
        io.err << "arkstash: " << error << "\n";
        return kExitUsage;
    }

    // The same store as the desktop app: the scan keeps the window's settings there as usual;
    // the options of this run are laid over them afterwards and never stored.
    UserStore store = openUserStore(io);

    ConsoleProgress progress(io.err, io.errIsTerminal);
    ConsoleDialogs dialogs(io, &progress,
                           o.yes || o.dryRun ? ConsoleDialogs::Overwrite::Yes
                                             : ConsoleDialogs::Overwrite::AskTerminal);
    ConsoleEngine engine(progress, o.dryRun, io.out);

    SessionOptions options = store.options;
    options.dialogs = &dialogs;
    Session session(options);
    session.platform().engine = &engine;
    try {
        for (const auto& issue : session.load({o.project}).issues)
            io.err << "arkstash: warning: " << TerminalSafe(issue.file) << ": "
                   << TerminalSafe(issue.message) << "\n";
    } catch (const std::exception& e) {
        io.err << "arkstash: cannot load " << TerminalSafe(o.project) << ": "
               << TerminalSafe(e.what()) << "\n";
        return kExitUsage;
    }
    try {
        session.open();
    } catch (const std::exception& e) {
        io.err << "arkstash: " << TerminalSafe(e.what()) << "\n";
        return kExitUsage;
    }

    // The Backup command: the settings are read again, then this run's options laid over them.
    form::MainForm& frm = session.form();
    form::MainForm::run(frm.routines.ReadSettings);
    if (!o.dir.empty()) {
        std::filesystem::path dir = std::filesystem::absolute(o.dir).lexically_normal();
        std::error_code ec;
        std::filesystem::create_directory(dir, ec);  // the last level only, as the window does
        frm.txtBackupDir.setText(dir.string());
    }
    if (o.date) frm.chkDateComp.setValue(*o.date ? 1 : 0);  // derives the name again
    if (!o.level.empty()) frm.cmbCompLevel.setText(levelText(o.level));
    if (o.noReferences) setQuietly(frm.chkAddComponents, 0);
    frm.chkPassword.setValue(password->empty() ? 0 : 1);
    frm.txtPassword.setText(*password);

    {
        InterruptGuard guard(engine.inner);
        backup::ZipFiles(frm);
    }
    progress.clear();

    if (o.dryRun) {
        if (!engine.dryPlan) return kExitNoArchive;
        if (engine.dryPlan->entries.empty()) return kExitNoArchive;
        return engine.dryPlan->problems.empty() ? kExitOk : kExitFilesSkipped;
    }
    const std::string target = form::JoinPath(frm.txtBackupDir.Text(), frm.txtZipFile.Text());
    if (!engine.started) {
        if (dialogs.questionRefused)
            io.err << "arkstash: " << TerminalSafe(target)
                   << " exists; give --yes to replace it (the old archive is kept)\n";
        return kExitNoArchive;
    }
    if (!engine.result) return kExitNoArchive;
    const archive::ArchiveResult& run = *engine.result;
    if (run.outcome != archive::Outcome::Complete && run.outcome != archive::Outcome::Incomplete)
        return kExitNoArchive;
    io.out << "Backup written: " << run.writtenTo << " (" << run.entries
           << (run.entries == 1 ? " file, " : " files, ") << "verified";
    if (!run.problems.empty()) io.out << "; " << run.problems.size() << " skipped";
    io.out << ")\n";
    return run.outcome == archive::Outcome::Complete ? kExitOk : kExitFilesSkipped;
}

}  // namespace

Command addBackupCommand(CLI::App& app, Io& io) {
    auto o = std::make_shared<BackupOptions>();
    auto* sub = app.add_subcommand(
        "backup", "Back up a project or group into one verified ZIP archive, as the window does");
    sub->add_option("PROJECT", o->project, "the project (.vbp) or group (.vbg) file")->required();
    sub->add_option("--dir", o->dir, "backup folder for this run (instead of the stored one)");
    sub->add_flag("--date,!--no-date", o->date,
                  "add (or leave out) the date and time in the archive name for this run");
    sub->add_option("--level", o->level, "compression for this run")
        ->check(CLI::IsMember({"none", "low", "normal", "maximum"}));
    sub->add_flag("--no-references", o->noReferences,
                  "leave referenced libraries and controls out of this run");
    sub->add_flag("--yes,-y", o->yes, "replace an existing archive without asking");
    sub->add_flag("--dry-run", o->dryRun, "print what would be written, and write nothing");
    addPasswordOptions(*sub, o->password);
    sub->footer(
        "Options apply to this run only; the stored settings are not changed. Without --yes an "
        "existing archive is replaced only when the question is answered at a terminal.\n"
        "Exit status: 0 every file written and verified; 3 archive written and verified but files "
        "were skipped; 1 no archive written (a previous one is kept); 2 bad usage or a project "
        "that cannot be loaded.");
    return {sub, [o, &io] { return runBackup(*o, io); }};
}

}  // namespace arkstash::cli
