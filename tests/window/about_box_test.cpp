#include "window/about_box.h"

#include <gmock/gmock.h>

#include "support/window_fixture.h"

using namespace arkstash;
using ::testing::ElementsAre;

TEST(AboutBox, SaysWhatItIsAndItsButtonsAndLinkAct) {
    test::RecordingShell shell;
    window::AboutBox box(shell, {1, 0, 12});
    EXPECT_EQ(box.caption, "About Arkstash");
    EXPECT_EQ(box.title.caption(), "Arkstash");
    EXPECT_EQ(box.version.caption(), "Version 1.0.12");
    // Without a version of its own, the box shows the one the command line prints.
    EXPECT_EQ(window::AboutBox(shell).version.caption(),
              std::string("Version ") + ARKSTASH_VERSION);

    int closes = 0;
    box.closed = [&] { ++closes; };
    box.supportButton.click();
    box.webLinkClicked();
    EXPECT_EQ(closes, 0);
    box.okButton.click();
    EXPECT_EQ(closes, 1);
    EXPECT_THAT(shell.requests, ElementsAre("help Technical support.html",
                                            std::string("url ") + window::kWebAddress));
}
