// Load + scan of a generated group: P projects of 200 components each, every file on disk.
// 100,000 components (500 projects) should load and scan in well under 5 seconds and 100 MB,
// and twice the components take at most about twice the time.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "cli/project_session.h"
#include "platform/archive/libzip_engine.h"
#include "platform/ide/memory_ide.h"
#include "platform/registry/memory_registry.h"
#include "window/main_window.h"

namespace {

using namespace arkstash;
namespace fs = std::filesystem;

constexpr int kComponentsPerProject = 200;

struct Component {
    int type;
    std::string name;
    std::string file;  // relative to the project's folder
};

// A group of `projects` projects in a temporary folder, removed at exit.
class GeneratedGroup {
  public:
    explicit GeneratedGroup(int projects) {
        std::string tmpl = (fs::temp_directory_path() / "arkstash-bench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        root = tmpl;
        std::string group = "VBGROUP 5.0\r\n";
        for (int p = 0; p < projects; ++p) {
            std::string name = "Proj" + std::to_string(p);
            fs::create_directories(root / name);
            group += (p == 0 ? "StartupProject=" : "Project=") + name + "\\" + name + ".vbp\r\n";
            writeProject(name);
        }
        groupFile = (root / "Bench.vbg").string();
        write(groupFile, group);
        ::sync();  // measure loading files at rest, not the write-back of their creation
    }
    ~GeneratedGroup() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    fs::path root;
    std::string groupFile;
    std::map<std::string, std::vector<Component>> components;  // by project name

  private:
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string code(const std::string& name, int lines) {
        std::string s = "Attribute VB_Name = \"" + name + "\"\r\nOption Explicit\r\n";
        for (int i = 0; i < lines; ++i) s += "' line " + std::to_string(i) + "\r\n";
        return s;
    }

    static std::string upper(std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return s;
    }

    void writeProject(const std::string& project) {
        fs::path dir = root / project;
        std::string vbp = "Type=Exe\r\n";
        auto& list = components[project];
        for (int i = 0; i < kComponentsPerProject; ++i) {
            std::string n = std::to_string(i);
            // Every seventh name is written in capitals, as an old project file may have it.
            auto spelled = [&](const std::string& f) { return i % 7 == 0 ? upper(f) : f; };
            switch (i % 10) {
                case 0:
                case 1: {  // forms with their binaries
                    std::string name = "frm" + n;
                    write(dir / (name + ".frm"), "VERSION 5.00\r\nBegin VB.Form " + name +
                                                     "\r\n   Icon = \"" + name +
                                                     ".frx\":0000\r\nEnd\r\n" + code(name, 30));
                    write(dir / (name + ".frx"), std::string(512, '\1'));
                    vbp += "Form=" + spelled(name + ".frm") + "\r\n";
                    list.push_back({ide::vbext_ct_VBForm, name, name + ".frm"});
                    break;
                }
                case 2: {  // user controls with theirs
                    std::string name = "ctl" + n;
                    write(dir / (name + ".ctl"), "VERSION 5.00\r\nBegin VB.UserControl " + name +
                                                     "\r\nEnd\r\n" + code(name, 30));
                    write(dir / (name + ".ctx"), std::string(256, '\2'));
                    vbp += "UserControl=" + spelled(name + ".ctl") + "\r\n";
                    list.push_back({ide::vbext_ct_UserControl, name, name + ".ctl"});
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
                    list.push_back({ide::vbext_ct_ClassModule, name, name + ".cls"});
                    break;
                }
                default: {
                    std::string name = "mod" + n;
                    write(dir / (name + ".bas"), code(name, 50));
                    vbp += "Module=" + name + "; " + spelled(name + ".bas") + "\r\n";
                    list.push_back({ide::vbext_ct_StdModule, name, name + ".bas"});
                }
            }
        }
        vbp += "Name=\"" + project + "\"\r\n";
        write(dir / (project + ".vbp"), vbp);
    }
};

GeneratedGroup& groupOf(int projects) {
    static std::map<int, std::unique_ptr<GeneratedGroup>> made;
    auto& g = made[projects];
    if (!g) g = std::make_unique<GeneratedGroup>(projects);
    return *g;
}

// The files read into the environment alone.
void BM_Load(benchmark::State& state) {
    GeneratedGroup& group = groupOf(static_cast<int>(state.range(0)));
    os::PosixFileSystem files;
    for (auto _ : state) {
        ide::MemoryVBE vbe;
        ide::ProjectLoader loader(files, {});
        benchmark::DoNotOptimize(loader.load(vbe, {group.groupFile}).issues.size());
    }
    state.counters["components"] = static_cast<double>(state.range(0) * kComponentsPerProject);
}
BENCHMARK(BM_Load)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a user waits for: the files read into the environment, then the window's scan.
void BM_LoadAndScan(benchmark::State& state) {
    GeneratedGroup& group = groupOf(static_cast<int>(state.range(0)));
    std::size_t rows = 0;
    os::PosixFileSystem files;
    for (auto _ : state) {
        registry::MemoryRegistry settings;
        cli::ProjectSession session(files, settings, {});
        session.load({group.groupFile});
        rows = session.list().rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["components"] = static_cast<double>(state.range(0) * kComponentsPerProject);
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_LoadAndScan)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

// The scan alone, on an environment built in memory from the same files.
void BM_ScanOnly(benchmark::State& state) {
    GeneratedGroup& group = groupOf(static_cast<int>(state.range(0)));
    ide::MemoryVBE vbe;
    vbe.setGroupFileName(group.groupFile);
    for (const auto& [project, list] : group.components) {
        fs::path dir = group.root / project;
        auto& p =
            vbe.addProject({.Name = project, .FileName = (dir / (project + ".vbp")).string()});
        for (const auto& c : list)
            p.addComponent({.Name = c.name,
                            .Type = c.type,
                            .FileName = (dir / c.file).string(),
                            .CountOfLines = 40});
    }
    os::PosixFileSystem files;
    os::SystemClock clock;
    registry::MemoryRegistry settings;
    struct NoDialogs final : ui::Dialogs {
        ui::Answer show(const ui::Message&) override { return ui::Answer::No; }
        std::vector<std::string> openFiles(const ui::FileOpenRequest&) override { return {}; }
        std::string chooseFolder(const std::string&) override { return {}; }
    } dialogs;
    ui::NoEventLoop loop;
    ui::NoShell shell;
    archive::LibzipEngine engine;
    window::Services services{files, clock, settings, dialogs, loop, shell, engine};
    window::MainWindow window(services);
    window.setEnvironment(&vbe);
    // A list sorted by an earlier column click places every row as it comes.
    if (state.range(1) != 0) window.fileList.sortByColumn(projectview::kTypeColumn);
    for (auto _ : state) {
        window.FillTree();
        benchmark::DoNotOptimize(window.fileList.rows().data());
    }
    state.counters["components"] = static_cast<double>(state.range(0) * kComponentsPerProject);
    state.counters["rows"] = static_cast<double>(window.fileList.size());
}
BENCHMARK(BM_ScanOnly)
    ->Args({250, 0})
    ->Args({500, 0})
    ->Args({250, 1})
    ->Args({500, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
