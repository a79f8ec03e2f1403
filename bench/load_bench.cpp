// Loading a generated group into the environment: P projects of 200 components each, every file
// on disk, a share of the names written in another letter case than on disk (as projects moved
// from Windows are) and a share of forms with their binaries. Twice the projects should take
// about twice the time: anything that grows faster than the input shows up as a ratio above 2.
//
//   build/bench_load_bench --benchmark_filter='BM_Load/500'   # 100,000 components
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/ide/loader.h"
#include "platform/ide/memory_ide.h"
#include "platform/os/file_system.h"

namespace {

using namespace arkstash;
namespace fs = std::filesystem;

constexpr int kComponentsPerProject = 200;

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// A group of `projects` projects in a temporary folder, removed at exit.
class GeneratedGroup {
  public:
    explicit GeneratedGroup(int projects) {
        std::string tmpl = (fs::temp_directory_path() / "arkstash-load-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        root_ = tmpl;
        std::string group = "VBGROUP 5.0\r\n";
        for (int p = 0; p < projects; ++p) {
            std::string name = "Proj" + std::to_string(p);
            fs::create_directories(root_ / name);
            group += (p == 0 ? "StartupProject=" : "Project=") + name + "\\" + name + ".vbp\r\n";
            writeProject(name);
        }
        file = (root_ / "Bench.vbg").string();
        write(file, group);
        ::sync();  // measure loading files at rest, not the write-back of their creation
    }
    ~GeneratedGroup() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    std::string file;

  private:
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string code(const std::string& name, int lines) {
        std::string s = "Attribute VB_Name = \"" + name + "\"\r\nOption Explicit\r\n";
        for (int i = 0; i < lines; ++i) s += "' line " + std::to_string(i) + "\r\n";
        return s;
    }

    void writeProject(const std::string& project) {
        fs::path dir = root_ / project;
        std::string vbp = "Type=Exe\r\n";
        for (int i = 0; i < kComponentsPerProject; ++i) {
            std::string n = std::to_string(i);
            // Every seventh name is written in capitals, as an old project file may have it.
            auto spelled = [&](const std::string& f) { return i % 7 == 0 ? upper(f) : f; };
            switch (i % 10) {
                case 0:
                case 1: {
                    std::string name = "frm" + n;
                    write(dir / (name + ".frm"), "VERSION 5.00\r\nBegin VB.Form " + name +
                                                     "\r\n   Icon = \"" + name +
                                                     ".frx\":0000\r\nEnd\r\n" + code(name, 30));
                    write(dir / (name + ".frx"), std::string(512, '\1'));
                    vbp += "Form=" + spelled(name + ".frm") + "\r\n";
                    break;
                }
                case 2: {
                    std::string name = "ctl" + n;
                    write(dir / (name + ".ctl"), "VERSION 5.00\r\nBegin VB.UserControl " + name +
                                                     "\r\nEnd\r\n" + code(name, 30));
                    vbp += "UserControl=" + spelled(name + ".ctl") + "\r\n";
                    break;
                }
                case 3:
                case 4:
                case 5: {
                    std::string name = "cls" + n;
                    write(dir / (name + ".cls"),
                          "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1\r\nEND\r\n" +
                              code(name, 40));
                    vbp += "Class=" + name + "; " + spelled(name + ".cls") + "\r\n";
                    break;
                }
                default: {
                    std::string name = "mod" + n;
                    write(dir / (name + ".bas"), code(name, 50));
                    vbp += "Module=" + name + "; " + spelled(name + ".bas") + "\r\n";
                }
            }
        }
        vbp += "Name=\"" + project + "\"\r\n";
        write(dir / (project + ".vbp"), vbp);
    }

    fs::path root_;
};

GeneratedGroup& groupOf(int projects) {
    static std::map<int, std::unique_ptr<GeneratedGroup>> made;
    auto& g = made[projects];
    if (!g) g = std::make_unique<GeneratedGroup>(projects);
    return *g;
}

void BM_Load(benchmark::State& state) {
    GeneratedGroup& group = groupOf(static_cast<int>(state.range(0)));
    os::PosixFileSystem files;
    std::size_t issues = 0;
    for (auto _ : state) {
        ide::MemoryVBE vbe;
        ide::ProjectLoader loader(files, {});
        issues = loader.load(vbe, {group.file}).issues.size();
        benchmark::DoNotOptimize(vbe.projects().size());
    }
    state.counters["components"] = static_cast<double>(state.range(0) * kComponentsPerProject);
    state.counters["issues"] = static_cast<double>(issues);
}
BENCHMARK(BM_Load)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
