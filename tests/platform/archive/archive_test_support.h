// Shared pieces of the archive tests: file contents, reading an archive back with libzip, and
// the engine's observer calls as one ordered record.
#pragma once

#include <sys/stat.h>
#include <zip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/archive/libzip_engine.h"

namespace arkstash::test {

// Bytes that deflate cannot shrink.
inline std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

// Source-like text that deflate shrinks well.
inline std::string sourceText(std::size_t lines) {
    std::string s;
    for (std::size_t i = 0; i < lines; ++i)
        s += "Private Sub Command" + std::to_string(i % 97) + "_Click()\r\n    Text1.Text = \"" +
             std::to_string(i) + "\"\r\nEnd Sub\r\n";
    return s;
}

struct Entry {
    std::string name;
    std::string data;
    std::uint16_t method = 0;
    std::uint16_t encryption = 0;
    std::time_t mtime = 0;
    std::uint64_t size = 0;
};

// Every entry of an archive with its data; fails the calling test when one cannot be read.
inline std::vector<Entry> readArchive(const std::string& path, const std::string& password = {}) {
    std::vector<Entry> out;
    int err = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!za) {
        ADD_FAILURE() << "cannot open " << path << ": error " << err;
        return out;
    }
    if (!password.empty()) zip_set_default_password(za, password.c_str());
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
        Entry e{st.name, {}, st.comp_method, st.encryption_method, st.mtime, st.size};
        zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        if (!f) {
            ADD_FAILURE() << "cannot open entry " << st.name << ": " << zip_strerror(za);
            out.push_back(e);
            continue;
        }
        char buf[65536];
        zip_int64_t n;
        while ((n = zip_fread(f, buf, sizeof buf)) > 0)
            e.data.append(buf, static_cast<std::size_t>(n));
        if (n < 0) ADD_FAILURE() << "cannot read entry " << st.name;
        zip_fclose(f);
        out.push_back(e);
    }
    zip_discard(za);
    return out;
}

inline std::vector<std::string> folderNames(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// One line per observer call, in the order the engine made them.
struct RecordingObserver : archive::ArchiveObserver {
    std::vector<std::string> lines;
    std::vector<archive::FileProblem> problems;
    bool answerReplace = false;
    std::vector<std::string> replaceQuestions;

    void preparing(const std::string& path) override { lines.push_back("pre " + path); }
    void fileProgress(const std::string& path, int percent) override {
        lines.push_back("file " + path + " " + std::to_string(percent));
    }
    void overallProgress(int percent) override {
        lines.push_back("overall " + std::to_string(percent));
    }
    void checking(int percent) override { lines.push_back("check " + std::to_string(percent)); }
    void problem(const archive::FileProblem& p) override {
        lines.push_back("problem " + p.path);
        problems.push_back(p);
    }
    bool replaceTakenTarget(const std::string& target) override {
        replaceQuestions.push_back(target);
        return answerReplace;
    }
    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : lines)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    std::vector<archive::FileProblemKind> kinds() const {
        std::vector<archive::FileProblemKind> out;
        for (const auto& p : problems) out.push_back(p.kind);
        return out;
    }
};

// Writes `files` into `target` with the engine's defaults and answers the result.
inline archive::ArchiveResult writeArchive(const std::vector<std::string>& files,
                                           const std::string& target, int level = 6,
                                           const std::string& password = {}) {
    archive::LibzipEngine engine;
    archive::ArchiveObserver quiet;
    return engine.write({.files = files, .target = target, .level = level, .password = password},
                        quiet);
}

}  // namespace arkstash::test
