#include <gtest/gtest.h>

#include <sstream>

#include "cli/console_output.h"

namespace arkstash::cli {
namespace {

// The text of the last redraw of a bar line.
std::string lastDrawn(const std::string& err) {
    auto start = err.rfind('\r');
    auto end = err.find("\x1b[K", start);
    return err.substr(start + 1, end - start - 1);
}

TEST(ConsoleProgressTest, TheBarKeepsToTheTerminalWidthAndShowsTheEndOfALongPath) {
    std::ostringstream err;
    ConsoleProgress p(err, true, 60);
    std::string name = "/home/someone/projects/" + std::string(80, 'x') + "/Forms/Main.frm";
    p.file(name, 0);
    p.global(42);
    std::string line = lastDrawn(err.str());
    EXPECT_EQ(line.size(), 59u) << line;
    EXPECT_EQ(line.rfind("[##########--------------]  42% Adding ...", 0), 0u) << line;
    EXPECT_EQ(line.substr(line.size() - 14), "Forms/Main.frm");

    p.checking(100);
    EXPECT_EQ(lastDrawn(err.str()), "[########################] 100% Checking archive");
    p.clear();
    EXPECT_EQ(err.str().substr(err.str().size() - 4), "\r\x1b[K");
    // Clearing twice writes nothing more.
    auto before = err.str().size();
    p.clear();
    EXPECT_EQ(err.str().size(), before);
}

TEST(ConsoleProgressTest, WithoutATerminalEachFileIsOneLine) {
    std::ostringstream err;
    ConsoleProgress p(err, false);
    for (std::int16_t pc : {0, 50, 100}) p.file("/p/A.bas", pc);
    p.global(100);
    p.file("/p/B.bas", 0);
    p.checking(0);
    p.checking(100);
    // A name cannot move the cursor or clear the screen.
    p.file("/p/\x1b[2JEvil.bas", 0);
    EXPECT_EQ(
        err.str(),
        "Adding: /p/A.bas\nAdding: /p/B.bas\nChecking the archive\nAdding: /p/?[2JEvil.bas\n");
}

class ConsoleDialogsTest : public ::testing::Test {
  protected:
    std::ostringstream out, err;
    std::istringstream in;
    Io io{out, err, in, false, false, {}};
    const ui::MessageBoxRequest question{"Backup file exists, overwrite?",
                                         ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2,
                                         "Project file"};
};

TEST_F(ConsoleDialogsTest, MessagesGoToStderrAndTheQuestionFollowsThePolicy) {
    ConsoleDialogs yes(io, nullptr, ConsoleDialogs::Overwrite::Yes);
    EXPECT_EQ(yes.MsgBox("Select a backup directory", ui::vbExclamation), ui::vbOK);
    EXPECT_EQ(err.str(), "arkstash: Select a backup directory\n");
    EXPECT_EQ(yes.MsgBox(question), ui::vbYes);
    EXPECT_FALSE(yes.questionRefused);

    ConsoleDialogs no(io, nullptr, ConsoleDialogs::Overwrite::No);
    EXPECT_EQ(no.MsgBox(question), ui::vbNo);
    EXPECT_TRUE(no.questionRefused);

    // Asking needs a terminal; without one the answer is No and nothing is read.
    in.str("y\n");
    ConsoleDialogs ask(io, nullptr, ConsoleDialogs::Overwrite::AskTerminal);
    EXPECT_EQ(ask.MsgBox(question), ui::vbNo);
    EXPECT_TRUE(ask.questionRefused);
    EXPECT_EQ(in.tellg(), 0);

    io.inIsTerminal = true;
    ConsoleDialogs asked(io, nullptr, ConsoleDialogs::Overwrite::AskTerminal);
    EXPECT_EQ(asked.MsgBox(question), ui::vbYes);
    in.clear();
    in.str("\n");  // Enter alone takes the default button, No
    EXPECT_EQ(asked.MsgBox(question), ui::vbNo);
    in.clear();
    in.str("");  // end of input
    EXPECT_EQ(asked.MsgBox(question), ui::vbNo);
    EXPECT_EQ(asked.shown.size(), 3u);
}

}  // namespace
}  // namespace arkstash::cli
