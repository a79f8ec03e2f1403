// Shared pieces of the loader tests: project files written the way the environment writes them.
#pragma once

#include <string>
#include <string_view>

#include "platform/ide/loader.h"

namespace arkstash::test {

// The text with every "\n" turned into the CR LF the environment writes.
inline std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// True when an issue's file or message holds `text`.
inline bool mentions(const ide::LoadReport& report, std::string_view text) {
    for (const auto& i : report.issues)
        if (i.file.find(text) != std::string::npos || i.message.find(text) != std::string::npos)
            return true;
    return false;
}

// The message of a LoadError thrown by `action`; empty when none was thrown.
template <typename F>
std::string loadErrorOf(F&& action) {
    try {
        action();
    } catch (const ide::LoadError& e) {
        return e.what();
    }
    return {};
}

}  // namespace arkstash::test

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"
#include "support/temp_dir.h"

namespace arkstash::test {

// A temporary folder to write projects into, and an environment to load them into.
class LoaderTest : public ::testing::Test {
  protected:
    ide::LoadReport load(const std::vector<std::string>& paths) {
        loader.emplace(*fs, options);
        return loader->load(vbe, paths);
    }
    ide::LoadReport load(const std::string& path) { return load(std::vector<std::string>{path}); }
    // Writes a text file with CR LF line ends.
    std::string write(const std::string& rel, std::string_view text) {
        return dir.write(rel, crlf(text));
    }
    ide::MemoryComponent* component(ide::MemoryProject& p, const std::string& name) {
        for (std::size_t i = 1; i <= p.components().size(); ++i)
            if (p.component(static_cast<long>(i)).data().Name == name)
                return &p.component(static_cast<long>(i));
        return nullptr;
    }

    TempDir dir;
    os::PosixFileSystem posix;
    os::FileSystem* fs = &posix;
    ide::LoaderOptions options;
    ide::MemoryVBE vbe;
    std::optional<ide::ProjectLoader> loader;
};

}  // namespace arkstash::test
