#include "platform/registry/reg_file.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/error.h"
#include "platform/registry/memory_registry.h"

using namespace arkstash;
using namespace arkstash::registry;

namespace {

// UTF-16LE of text that holds only characters below U+0100, written out by hand so the reader
// is checked against an encoding it did not produce itself.
std::string latin1ToUtf16le(const std::string& latin1, bool bom = true) {
    std::string out = bom ? "\xFF\xFE" : "";
    for (char c : latin1) {
        out += c;
        out += '\0';
    }
    return out;
}

const Value* valueOf(const HiveKeys& keys, const std::string& path, const std::string& name) {
    auto k = keys.find(foldCase(path));
    if (k == keys.end()) return nullptr;
    auto v = k->second.values.find(foldCase(name));
    return v == k->second.values.end() ? nullptr : &v->second.value;
}

void put(HiveKeys& keys, const std::string& path, const std::string& name, Value v) {
    ensureKey(keys, path).values[foldCase(name)] = NamedValue{name, std::move(v)};
}

}  // namespace

TEST(RegFile, SmallHiveIsWrittenExactlyAsRegeditExportsIt) {
    HiveKeys keys;
    const std::string key = "HKEY_CURRENT_USER\\Software\\Arkstash";
    put(keys, key, "AutoRefresh", Value::dword(1));
    put(keys, key, "CompFactor", Value::text("Normal"));
    put(keys, key, "D:\\Work\\Sales\\Sales.vbp", Value::text("D:\\Backup\\"));
    put(keys, key, "Say \"hi\"", Value::text("a\"b"));
    put(keys, key, "", Value::text(""));
    put(keys, key, "Raw", Value::binary(std::string("\x00\xAB\x10", 3)));
    put(keys, key, "Big", Value::dword(0xFFFFFFFE));
    put(keys, key + "\\Loader", "CodePage", Value::text("1252"));

    const std::string expected =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n"
        "@=\"\"\r\n"
        "\"AutoRefresh\"=dword:00000001\r\n"
        "\"Big\"=dword:fffffffe\r\n"
        "\"CompFactor\"=\"Normal\"\r\n"
        "\"D:\\\\Work\\\\Sales\\\\Sales.vbp\"=\"D:\\\\Backup\\\\\"\r\n"
        "\"Raw\"=hex:00,ab,10\r\n"
        "\"Say \\\"hi\\\"\"=\"a\\\"b\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Arkstash\\Loader]\r\n"
        "\"CodePage\"=\"1252\"\r\n"
        "\r\n";
    EXPECT_EQ(formatRegText(keys), expected);
    // On disk: the same text as UTF-16LE behind a byte-order mark.
    EXPECT_EQ(encodeRegFile(keys), latin1ToUtf16le(expected));

    RegParseResult back = parseRegFile(encodeRegFile(keys));
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.keys, keys);
}

TEST(RegFile, EveryKindOfValueSurvivesAWriteAndARead) {
    HiveKeys keys;
    const std::string k = "HKEY_CURRENT_USER\\Software\\Arkstash";
    put(keys, k, "/home/zoë/Проекты/日本/Sales.vbp", Value::text("/home/zoë/backups/🎉/"));
    put(keys, k, "two\nlines", Value::text("first\r\nsecond"));  // line breaks in name and text
    put(keys, k, "back\\slash \"quoted\"", Value::text("\\\\server\\share\\"));
    put(keys, k, "embedded NUL", Value{REG_SZ, std::string("a\0b\0", 4)});
    put(keys, k, "no NUL", Value{REG_SZ, "abc"});
    put(keys, k, "empty text kind", Value{REG_SZ, ""});
    put(keys, k, "expand", Value{REG_EXPAND_SZ, std::string("%HOME%\\x\0", 9)});
    put(keys, k, "multi", Value{REG_MULTI_SZ, std::string("one\0two\0\0", 9)});
    put(keys, k, "short dword", Value{REG_DWORD, std::string("\x01\x02\x03", 3)});
    put(keys, k, "qword", Value{11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)});
    put(keys, k, "none", Value{REG_NONE, ""});
    put(keys, k, "odd kind", Value{0x7fff1234, "xyz"});
    put(keys, k, "empty binary", Value::binary(""));
    std::string big;
    for (int i = 0; i < 300; ++i) big += static_cast<char>(i * 7);
    put(keys, k, "big binary", Value::binary(big));
    ensureKey(keys, k + "\\Empty\\Leaf");  // a key without values must survive too

    std::string text = formatRegText(keys);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        ASSERT_FALSE(line.empty()) << "every line ends with CR LF";
        EXPECT_EQ(line.back(), '\r');
        EXPECT_LE(line.size(), 81u) << "lines stay within 80 columns: " << line;
    }

    RegParseResult back = parseRegFile(encodeRegFile(keys));
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.keys, keys);
    // The UTF-8 text form (no byte-order mark) reads back the same as well.
    RegParseResult utf8 = parseRegFile(text);
    ASSERT_TRUE(utf8.ok) << utf8.error;
    EXPECT_EQ(utf8.keys, keys);
}

TEST(RegFile, ReadsAUtf16HiveAsRegeditWritesIt) {
    std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; exported from a Windows machine\r\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]\r\n"
        "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n"
        "\r\n"
        "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0\\win32]\r\n"
        "@=hex(2):43,00,3a,00,5c,00,57,00,49,00,4e,00,44,00,4f,00,57,00,53,00,5c,00,\\\r\n"
        "  4d,00,53,00,43,00,4f,00,4d,00,43,00,54,00,4c,00,2e,00,4f,00,43,00,58,00,\\\r\n"
        "  00,00\r\n"
        "\"Flags\"=dword:0000000A\r\n"
        "\"Caf\xe9\"=\"cr\xe8me\"\r\n"
        "\r\n";
    RegParseResult r = parseRegFile(latin1ToUtf16le(text));
    ASSERT_TRUE(r.ok) << r.error;
    const std::string lib = "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
    const Value* name = valueOf(r.keys, lib + "\\2.0", "");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(*name, Value::text("Microsoft Windows Common Controls 6.0 (SP6)"));
    const Value* path = valueOf(r.keys, lib + "\\2.0\\0\\WIN32", "");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(*path, (Value{REG_EXPAND_SZ, std::string("C:\\WINDOWS\\MSCOMCTL.OCX\0", 24)}));
    EXPECT_EQ(*valueOf(r.keys, lib + "\\2.0\\0\\win32", "flags"), Value::dword(10));
    // Non-ASCII text arrives as UTF-8.
    EXPECT_EQ(*valueOf(r.keys, lib + "\\2.0\\0\\win32", "Caf\xc3\xa9"),
              Value::text("cr\xc3\xa8me"));
    // Parents exist although no section names them.
    EXPECT_TRUE(r.keys.count(foldCase(lib)));
    EXPECT_TRUE(r.keys.count("hkey_classes_root\\typelib"));
}

TEST(RegFile, ReadsHandWrittenFiles) {
    // LF line ends, the older header in Windows-1252, comments, blanks, short root names,
    // spaces around '=', removals of values and keys.
    std::string text =
        "REGEDIT4\n"
        "[HKCU\\Software\\Arkstash]\n"
        "  \"AddDate\" = dword:1 ; on\n"
        "\"Gone\"=\"x\"\n"
        "\"Gone\"=-\n"
        "\"Caf\xe9\"=\"na\xefve\"\n"
        "[hkcu\\software\\ARKSTASH\\Old]\n"
        "\"x\"=\"y\"\n"
        "[-HKEY_CURRENT_USER\\Software\\Arkstash\\Old]\n"
        "\"ignored\"=\"under a removed key\"\n"
        "[HKEY_CURRENT_USER\\Software\\Arkstash]\n"
        "\"Raw\"=hex:0A,\\\n"
        "      ff\n";
    RegParseResult r = parseRegFile(text);
    ASSERT_TRUE(r.ok) << r.error;
    const std::string k = "HKEY_CURRENT_USER\\Software\\Arkstash";
    EXPECT_EQ(*valueOf(r.keys, k, "adddate"), Value::dword(1));
    EXPECT_EQ(valueOf(r.keys, k, "Gone"), nullptr);
    EXPECT_EQ(*valueOf(r.keys, k, "Caf\xc3\xa9"), Value::text("na\xc3\xafve"));
    EXPECT_EQ(*valueOf(r.keys, k, "Raw"), Value::binary("\x0a\xff"));
    EXPECT_FALSE(r.keys.count(foldCase(k + "\\Old")));
    // The spelling of the first mention stays.
    EXPECT_EQ(r.keys.at(foldCase(k)).path, "HKEY_CURRENT_USER\\Software\\Arkstash");
    EXPECT_EQ(r.keys.at(foldCase(k)).values.at("caf\xc3\xa9").name, "Caf\xc3\xa9");
}

TEST(RegFile, ValueNamesAndKeysAreCaseBlindAndKeepTheirFirstSpelling) {
    std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n"
        "\"C:\\\\Work\\\\A.vbp\"=\"one\"\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\arkstash]\r\n"
        "\"c:\\\\work\\\\a.VBP\"=\"two\"\r\n";
    RegParseResult r = parseRegFile(text);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.keys.size(), 3u);  // the root, Software, Arkstash
    const HiveKey& key = r.keys.at("hkey_current_user\\software\\arkstash");
    ASSERT_EQ(key.values.size(), 1u);
    EXPECT_EQ(key.values.begin()->second.name, "C:\\Work\\A.vbp");
    EXPECT_EQ(key.values.begin()->second.value, Value::text("two"));
}

TEST(RegFile, DamagedFilesAreRefusedWithTheLine) {
    const std::string h = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string k = "[HKEY_CURRENT_USER\\Software\\Arkstash]\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"only blank lines", "\r\n\r\n"},
        {"wrong header", "Windows Registry Editor Version 4.00\r\n" + k},
        {"header cut short", "Windows Registry Edi"},
        {"binary garbage", std::string("\x7f"
                                       "ELF\x02\x01\x01\0\0\0",
                                       10)},
        {"NUL inside text", h + k + std::string("\"a\"=\"b\0\"\r\n", 10)},
        {"key name cut off", h + "[HKEY_CURRENT_USER\\Software\r\n"},
        {"unknown root", h + "[HKEY_NOWHERE\\Software]\r\n"},
        {"value before any key", h + "\"a\"=\"b\"\r\n"},
        {"unterminated text", h + k + "\"a\"=\"C:\\\\Pro\r\n"},
        {"unterminated name", h + k + "\"a=\"b\r\n"},
        {"no equals sign", h + k + "\"a\" \"b\"\r\n"},
        {"unknown type", h + k + "\"a\"=qword:1\r\n"},
        {"dword too long", h + k + "\"a\"=dword:000000001\r\n"},
        {"dword without digits", h + k + "\"a\"=dword:\r\n"},
        {"garbage after value", h + k + "\"a\"=dword:1 2\r\n"},
        {"odd hex digit", h + k + "\"a\"=hex:01,0\r\n"},
        {"hex ends with comma", h + k + "\"a\"=hex:01,\r\n"},
        {"hex continued past end", h + k + "\"a\"=hex:01,\\\r\n"},
        {"bad hex kind", h + k + "\"a\"=hex(z):01\r\n"},
        {"stray line", h + k + "AutoRefresh=1\r\n"},
        {"last value line cut off", h + k + "\"AutoRefresh\"=dword:0000"},
        {"UTF-16 cut inside a character", latin1ToUtf16le(h + k).substr(0, 41)},
        {"big-endian UTF-16", "\xFE\xFF" + latin1ToUtf16le(h, false)},
        {"UTF-16 holding NUL", latin1ToUtf16le(h + k + std::string("\"a\"=\"\0\"\r\n", 8))},
        {"line break in key name", h + "[HKEY_CURRENT_USER\\a\rb]\r\n"},
    };
    for (const Case& c : cases) {
        RegParseResult r = parseRegFile(c.bytes);
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_FALSE(r.error.empty()) << c.what;
        EXPECT_TRUE(r.keys.empty()) << c.what;
    }
    RegParseResult r = parseRegFile(h + k + "\"a\"=\"b\"\r\n\"c\"=hex:zz\r\n");
    EXPECT_NE(r.error.find("line 5"), std::string::npos) << r.error;
}

TEST(RegFile, AWholeLastLineWithoutLineBreakIsAcceptedWhenItCannotBeACutValue) {
    const std::string h = "Windows Registry Editor Version 5.00\r\n\r\n";
    EXPECT_TRUE(parseRegFile("Windows Registry Editor Version 5.00").ok);
    EXPECT_TRUE(parseRegFile(h + "[HKEY_CURRENT_USER\\Software\\Arkstash]").ok);
    EXPECT_TRUE(parseRegFile(h + "[HKEY_CURRENT_USER\\X]\r\n; the end").ok);
    // UTF-8 with a byte-order mark, as some editors save.
    RegParseResult r = parseRegFile("\xEF\xBB\xBF" + h + "[HKCU\\X]\r\n\"a\"=\"\xc3\xa9\"\r\n");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(*valueOf(r.keys, "HKEY_CURRENT_USER\\X", "a"), Value::text("\xc3\xa9"));
}

TEST(RegFile, KeysAreMadeWithTheirParentsAndTheParentsSpelling) {
    HiveKeys keys;
    ensureKey(keys, "HKCU\\Software\\Arkstash\\");
    HiveKey& loader = ensureKey(keys, "hkey_current_user\\SOFTWARE\\\\arkstash\\Loader");
    EXPECT_EQ(loader.path, "HKEY_CURRENT_USER\\Software\\Arkstash\\Loader");
    EXPECT_EQ(keys.size(), 4u);  // the root, Software, Arkstash, Loader
    EXPECT_THROW(ensureKey(keys, "HKEY_NOWHERE\\x"), PlatformError);
    EXPECT_THROW(ensureKey(keys, "HKCU\\bad\nname"), PlatformError);
    EXPECT_EQ(&ensureKey(keys, "hkcu"), &keys.at("hkey_current_user"));
}

TEST(RegFile, OddButValidFilesComeBackUnchangedAfterAWrite) {
    const std::string cases[] = {
        // A root named on its own, then a key whose name holds brackets.
        "REGEDIT4\n[HKCU\\]\n\n[HKCU\\][HKCU\\]\n",
        // Values on a root; an empty key beside a full one; a name that is only "@".
        "REGEDIT4\n[HKCU]\n@=\"root\"\n[HKCU\\a]\n[HKCU\\a b]\n\"@\"=\"at\"\n",
        // Escapes regedit does not know stay as written.
        "REGEDIT4\n[HKCU\\x]\n\"a\\tb\"=\"c\\qd\\\\\"\n",
    };
    for (const std::string& text : cases) {
        RegParseResult first = parseRegFile(text);
        ASSERT_TRUE(first.ok) << first.error << "\n" << text;
        RegParseResult second = parseRegFile(encodeRegFile(first.keys));
        ASSERT_TRUE(second.ok) << second.error;
        EXPECT_EQ(second.keys, first.keys) << text;
    }
    RegParseResult r = parseRegFile(cases[1]);
    EXPECT_EQ(*valueOf(r.keys, "HKEY_CURRENT_USER", ""), Value::text("root"));
    EXPECT_EQ(*valueOf(r.keys, "HKEY_CURRENT_USER\\a b", "@"), Value::text("at"));
    EXPECT_EQ(valueOf(r.keys, "HKEY_CURRENT_USER\\a b", ""), nullptr);
    r = parseRegFile(cases[2]);
    EXPECT_EQ(*valueOf(r.keys, "HKEY_CURRENT_USER\\x", "a\\tb"), Value::text("c\\qd\\"));
}
