#include "platform/os/text_codec.h"

#include <gtest/gtest.h>

#include "platform/error.h"

using namespace arkstash::os;

TEST(TextCodec, Utf8PassesThroughUnchanged) {
    EXPECT_EQ(decodeText("Caf\xC3\xA9 \xE4\xB8\xAD"), "Caf\xC3\xA9 \xE4\xB8\xAD");
}

TEST(TextCodec, Windows1252IsTheDefaultForOtherBytes) {
    EXPECT_EQ(decodeText("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(decodeText("\x80"), "\xE2\x82\xAC");  // the euro sign
    // 0x81 has no character in 1252; it must not stop the rest from decoding.
    std::string mixed = decodeText(
        "a\x81"
        "b\xE9");
    EXPECT_EQ(mixed.front(), 'a');
    EXPECT_NE(mixed.find("b\xC3\xA9"), std::string::npos);
}

TEST(TextCodec, OtherCodePagesDecodeByNumber) {
    // "中文" in code page 936.
    EXPECT_EQ(decodeText("\xD6\xD0\xCE\xC4", "936"), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_THROW(decodeText("\xFF", "no-such-page"), arkstash::PlatformError);
}

TEST(TextCodec, EncodingRefusesCharactersTheCodePageLacks) {
    EXPECT_EQ(encodeText("Caf\xC3\xA9"), std::string("Caf\xE9"));
    EXPECT_FALSE(encodeText("\xE4\xB8\xAD").has_value());  // a Chinese character in 1252
    EXPECT_EQ(encodeText("\xE4\xB8\xAD\xE6\x96\x87", "936"), std::string("\xD6\xD0\xCE\xC4"));
}

TEST(TextCodec, RejectsMalformedUtf8) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong slash
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(isValidUtf8("\xE4\xB8"));          // truncated
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
}

TEST(TextCodec, StrictDecodingAndKnownCodePages) {
    EXPECT_EQ(decodeCodePage("\xD6\xD0", "936"), "\xE4\xB8\xAD");
    // Valid UTF-8 is read in the code page all the same: "ä" as 1252 is two characters.
    EXPECT_EQ(decodeCodePage("\xC3\xA4", "1252"), "\xC3\x83\xC2\xA4");
    EXPECT_FALSE(decodeCodePage("a\x81", "1252"));  // 0x81 has no character in 1252
    EXPECT_FALSE(decodeCodePage("\xD6", "936"));    // a lead byte without its trail
    EXPECT_FALSE(decodeCodePage("a", "no-such-page"));
    for (const char* known : {"1252", "936", "932", "874", "1258", "GBK"})
        EXPECT_TRUE(isKnownCodePage(known)) << known;
    for (const char* unknown : {"", "99999", "no-such-page"})
        EXPECT_FALSE(isKnownCodePage(unknown)) << unknown;
}

TEST(TextCodec, Utf16ConversionsHandleSurrogatesAndBadInput) {
    EXPECT_EQ(utf8ToUtf16le("a\xF0\x9F\x8E\x89"), std::string("a\0\x3C\xD8\x89\xDF", 6));
    EXPECT_EQ(utf16leToUtf8(std::string("a\0\x3C\xD8\x89\xDF", 6)), "a\xF0\x9F\x8E\x89");
    // A lone surrogate becomes U+FFFD; an odd last byte the character of that code.
    EXPECT_EQ(utf16leToUtf8(std::string("\x3C\xD8"
                                        "b\0",
                                        4)),
              "\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(utf16leToUtf8(std::string("b\0c", 3)), "bc");
    // Text that is not UTF-8 is taken as Windows-1252.
    EXPECT_EQ(utf8ToUtf16le("\xe9"), std::string("\xe9\0", 2));
    EXPECT_EQ(utf8ToUtf16le("\x80"), std::string("\xAC\x20", 2));  // the euro sign
}
