// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace arkstash::test {

class TempDir {
  public:
    TempDir() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "arkstash-test-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    // Full path of a file or folder inside.
    std::string operator/(const std::string& rel) const { return (path_ / rel).string(); }

    // Writes a file (making its folders) and answers its full path.
    std::string write(const std::string& rel, const std::string& content) const {
        auto full = path_ / rel;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream f(full, std::ios::binary);
        f << content;
        return full.string();
    }
    std::string read(const std::string& rel) const {
        std::ifstream f(path_ / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    bool exists(const std::string& rel) const { return std::filesystem::exists(path_ / rel); }

  private:
    std::filesystem::path path_;
};

}  // namespace arkstash::test
