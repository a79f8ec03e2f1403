#include "cli/text_out.h"

#include <gtest/gtest.h>

#include "json_reader.h"

using namespace arkstash;
using arkstash::cli::DisplayWidth;
using arkstash::cli::JsonString;
using arkstash::cli::TerminalSafe;

namespace {

std::string roundTrip(const std::string& s) {
    return test::JsonReader::parse(JsonString(s)).text;
}

}  // namespace

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString("C:\\VB\\\"Sales\".vbp"), R"("C:\\VB\\\"Sales\".vbp")");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), R"("a\u0000b")");
    EXPECT_EQ(JsonString("\t\n\r\b\f\x01\x1f\x7f"), R"("\t\n\r\b\f\u0001\u001f\u007f")");
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("/"), "\"/\"");
    for (const std::string& s : {std::string("C:\\VB\\\"Sales\".vbp"),
                                 std::string("a\0b\x1b[2J", 7), std::string("Grüße 東京 🎉")})
        EXPECT_EQ(roundTrip(s), s);
}

TEST(JsonString, KeepsWellFormedUtf8AndReplacesEverythingElse) {
    EXPECT_EQ(JsonString("Grüße"), "\"Grüße\"");
    EXPECT_EQ(JsonString("\xF0\x9F\x8E\x89"), "\"\xF0\x9F\x8E\x89\"");  // four bytes kept
    // Windows-1252 bytes, a lone continuation byte, an overlong slash, an encoded surrogate,
    // a code point past U+10FFFF, a sequence cut short at the end.
    for (const char* bad : {"caf\xE9", "\x80", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "ab\xE2\x82", "\xFF\xFE"}) {
        std::string json = JsonString(bad);
        EXPECT_NO_THROW(test::JsonReader::parse(json)) << json;
        EXPECT_NE(json.find("\\ufffd"), std::string::npos) << json;
    }
    EXPECT_EQ(JsonString("caf\xE9!"), R"("caf\ufffd!")");
    // Each byte of a broken sequence is replaced; the ASCII after it survives.
    EXPECT_EQ(JsonString("\xE2\x82x"), R"("\ufffd\ufffdx")");
    // Valid JSON, but line ends to JavaScript.
    EXPECT_EQ(JsonString("\xE2\x80\xA8"), R"("\u2028")");
}

TEST(TerminalSafe, ReplacesControlsAndBrokenBytesButKeepsText) {
    EXPECT_EQ(TerminalSafe("\x1b[2Jrm -rf\n"), "?[2Jrm -rf?");
    EXPECT_EQ(TerminalSafe("Grüße 東京"), "Grüße 東京");
    EXPECT_EQ(TerminalSafe("caf\xE9"), "caf?");
    EXPECT_EQ(TerminalSafe("\xC2\x9B"), "?");  // C1 control sequence introducer
}

TEST(DisplayWidth, CountsColumnsNotBytes) {
    EXPECT_EQ(DisplayWidth(""), 0u);
    EXPECT_EQ(DisplayWidth("Module"), 6u);
    EXPECT_EQ(DisplayWidth("Grüße"), 5u);
    EXPECT_EQ(DisplayWidth("東京"), 4u);
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);  // e + combining acute
    EXPECT_EQ(DisplayWidth("\xF0\x9F\x8E\x89"), 2u);
    EXPECT_EQ(DisplayWidth("a\xFF"), 2u);
}
