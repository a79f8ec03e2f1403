// Feeds arbitrary bytes to the project, group and source file readers, as the loader does:
// decoded first (leniently, and strictly in the code pages it tries), then parsed. Besides crashes
// and sanitizer reports it stops on results that contradict the text they came from.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ide/ide.h"
#include "platform/ide/loader_text.h"
#include "platform/ide/project_file.h"
#include "platform/ide/source_file.h"
#include "platform/os/text_codec.h"

namespace {

using namespace arkstash;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void parseAll(std::string_view text) {
    const std::size_t lines = ide::splitLines(text).size();

    ide::ProjectFile pf = ide::parseProjectFile(text);
    for (const auto& c : pf.components) {
        check(!c.path.empty());
        check(c.line >= 1 && c.line <= lines);
        check(c.kind >= ide::vbext_ct_StdModule && c.kind <= ide::vbext_ct_ActiveXDesigner);
    }
    for (const auto& r : pf.references) {
        check(r.line >= 1 && r.line <= lines);
        check(r.major >= 0 && r.minor >= 0);
    }
    for (const auto& n : pf.notes) check(n.line >= 1 && n.line <= lines);
    if (pf.type)
        check(*pf.type >= ide::vbext_pt_StandardExe && *pf.type <= ide::vbext_pt_ActiveXControl);
    check(pf.settings <= lines);

    ide::GroupFile g = ide::parseGroupFile(text);
    std::size_t startups = 0;
    for (const auto& m : g.projects) {
        check(!m.path.empty());
        check(m.line >= 1 && m.line <= lines);
        startups += m.startup ? 1 : 0;
    }
    check(startups <= 1);

    ide::SourceInfo si = ide::readSourceText(text);
    check(si.codeLines >= 0 && static_cast<std::size_t>(si.codeLines) <= lines);
    if (si.unclosedDesignBlock) check(si.codeLines == 0);
    if (si.vbName) check(!si.vbName->empty());
    for (const std::string& bin : si.binaryFiles) {
        check(bin.size() >= 5 && bin[bin.size() - 4] == '.');
        check(text.find(bin) != std::string_view::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view raw(reinterpret_cast<const char*>(data), size);
    parseAll(raw);
    parseAll(os::decodeText(raw, "1252"));
    parseAll(os::decodeText(raw, "936"));
    // The readings tried on a file whose names are not found: strict, so each either fails or
    // gives valid UTF-8.
    for (const char* codePage : {"932", "1251", "874"})
        if (auto text = os::decodeCodePage(raw, codePage)) {
            check(os::isValidUtf8(*text));
            parseAll(*text);
        }
    return 0;
}
