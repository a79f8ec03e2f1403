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
