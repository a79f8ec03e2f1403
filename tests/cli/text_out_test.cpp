#include "cli/text_out.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace arkstash;
using arkstash::cli::DisplayWidth;
using arkstash::cli::TerminalSafe;
using arkstash::cli::ValidUtf8;

TEST(ValidUtf8, KeepsWellFormedUtf8AndReplacesEverythingElse) {
    EXPECT_EQ(ValidUtf8("Grüße 東京 \xF0\x9F\x8E\x89"), "Grüße 東京 \xF0\x9F\x8E\x89");
    // Windows-1252 bytes, a lone continuation byte, an overlong slash, an encoded surrogate,
    // a code point past U+10FFFF, a sequence cut short at the end: JSON must still take them.
    for (const char* bad : {"caf\xE9", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "ab\xE2\x82", "\xFF\xFE"}) {
        std::string fixed = ValidUtf8(bad);
        EXPECT_NO_THROW((void)nlohmann::json(fixed).dump()) << bad;
        EXPECT_NE(fixed.find("\xEF\xBF\xBD"), std::string::npos) << bad;
    }
    // Each byte of a broken sequence is replaced; the ASCII after it survives.
    EXPECT_EQ(ValidUtf8("\xE2\x82x"), "\xEF\xBF\xBD\xEF\xBF\xBDx");
}

TEST(TerminalSafe, ReplacesControlsAndBrokenBytesButKeepsText) {
    EXPECT_EQ(TerminalSafe("\x1b[2Jrm -rf\n"), "?[2Jrm -rf?");
    EXPECT_EQ(TerminalSafe("Grüße 東京"), "Grüße 東京");
    EXPECT_EQ(TerminalSafe("caf\xE9"), "caf?");
    EXPECT_EQ(TerminalSafe("\xC2\x9B"), "?");  // C1 control sequence introducer
}

TEST(DisplayWidth, CountsColumnsNotBytes) {
    EXPECT_EQ(DisplayWidth("Module"), 6u);
    EXPECT_EQ(DisplayWidth("Grüße"), 5u);
    EXPECT_EQ(DisplayWidth("東京"), 4u);
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);  // e + combining acute
    EXPECT_EQ(DisplayWidth("\xF0\x9F\x8E\x89"), 2u);
    EXPECT_EQ(DisplayWidth("a\xFF"), 2u);
}
