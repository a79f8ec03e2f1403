// Without a command the environment host starts, on the projects named if any; without a
// display the user hears what works instead.
#include <gmock/gmock.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "cli_run.h"

using namespace arkstash;
using ::testing::HasSubstr;

namespace {

struct Started {
    int status;
    std::string err;
    std::optional<cli::DesktopStart> start;  // what the window was opened with, if it was
};

Started start(const std::vector<std::string>& args, std::map<std::string, std::string> env,
              bool withWindow = true) {
    std::ostringstream out, err;
    std::istringstream in;
    cli::Io io{
        out, err, in, false, false, [&env](const std::string& name) -> std::optional<std::string> {
            auto found = env.find(name);
            if (found == env.end()) return std::nullopt;
            return found->second;
        }};
    Started result{0, "", std::nullopt};
    cli::DesktopLauncher launcher = [&](const cli::DesktopStart& s, cli::Io&) {
        result.start = s;
        return 0;
    };
    result.status = cli::run(args, io, withWindow ? launcher : cli::DesktopLauncher{});
    result.err = err.str();
    return result;
}

TEST(DesktopStart, TheWindowOpensOnlyWhereItCanBeShown) {
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        bool withWindow;
        int status;
        const char* says;  // on stderr, when nothing opens
    } cases[] = {
        {{"B.vbg", "A.vbp"}, {{"DISPLAY", ":0"}}, true, 0, ""},
        {{"A.vbp"}, {{"WAYLAND_DISPLAY", "wayland-0"}}, true, 0, ""},
        {{"--screenshot", "shot.png", "A.vbp"}, {}, true, 0, ""},  // drawn offscreen
        {{"A.vbp"},
         {{"DISPLAY", ""}},
         true,
         2,
         "no display to open the window on; 'arkstash list'"},
        {{"A.vbp"}, {{"DISPLAY", ":0"}}, false, 2, "no window; 'arkstash list'"},
        {{}, {{"DISPLAY", ":0"}}, true, 0, ""},              // the host starts with no projects
        {{"list", "-h"}, {{"DISPLAY", ":0"}}, true, 0, ""},  // a command is no project
    };
    for (const auto& c : cases) {
        const std::string first = c.args.empty() ? "" : c.args.front();
        Started s = start(c.args, c.env, c.withWindow);
        EXPECT_EQ(s.status, c.status) << c.says;
        EXPECT_EQ(s.start.has_value(), c.status == 0 && first != "list") << c.says;
        EXPECT_THAT(s.err, HasSubstr(c.says));
        if (s.start) {
            EXPECT_EQ(s.start->projects.empty() ? "" : s.start->projects.back(),
                      c.args.empty() ? "" : "A.vbp");
            EXPECT_EQ(s.start->screenshot.has_value(), first == "--screenshot");
        }
    }
}

TEST(DesktopStart, AScreenshotOfTheScannedExampleNeedsNoDisplay) {
#ifndef ARKSTASH_DESKTOP
    GTEST_SKIP() << "built without the window";
#endif
    test::TempDir home;
    std::string png = home / "shot.png";
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ARKSTASH_HOME='" +
                          home.str() + "' '" + ARKSTASH_EXE + "' --screenshot '" + png + "' '" +
                          ARKSTASH_SOURCE_DIR + "/examples/StockControl/StockControl.vbg' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(home.read("shot.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_TRUE(home.exists("user.reg"));  // the scan kept the options, as the window does
}

TEST(DesktopStart, ATerminatedWindowClosesAsItsCloseBoxWould) {
#ifndef ARKSTASH_DESKTOP
    GTEST_SKIP() << "built without the window";
#endif
    test::TempDir home, projects;
    std::filesystem::copy(std::string(ARKSTASH_SOURCE_DIR) + "/examples/StockControl",
                          projects / "StockControl", std::filesystem::copy_options::recursive);
    std::string homeVariable = "ARKSTASH_HOME=" + home.str(),
                group = projects / "StockControl/StockControl.vbg";
    char platform[] = "QT_QPA_PLATFORM=offscreen";
    char* env[] = {platform, homeVariable.data(), nullptr};
    char* argv[] = {const_cast<char*>(ARKSTASH_EXE), group.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, ARKSTASH_EXE, nullptr, nullptr, argv, env), 0);
    // The scan keeps the options: from then on the window is open.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!home.exists("user.reg") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(projects.exists("StockControl/StockControl.aks"));  // the close sequence ran
}

}  // namespace
