// Feeds arbitrary bytes to the .reg parser. Beyond not crashing, whatever parses must come back
// identical after being written and read again, in both the UTF-16LE file form and the UTF-8
// text form: a hive that changes on its way through a flush would lose or alter settings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/registry/reg_file.h"

using namespace arkstash::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RegParseResult first = parseRegFile(bytes);
    if (!first.ok) {
        if (first.error.empty()) {
            std::fputs("refused without a reason\n", stderr);
            std::abort();
        }
        return 0;
    }
    for (const std::string& again : {encodeRegFile(first.keys), formatRegText(first.keys)}) {
        RegParseResult second = parseRegFile(again);
        if (!second.ok) {
            std::fprintf(stderr, "our own output does not parse: %s\n", second.error.c_str());
            std::abort();
        }
        if (second.keys != first.keys) {
            std::fputs("keys changed on a write and a read\n", stderr);
            std::abort();
        }
    }
    return 0;
}
