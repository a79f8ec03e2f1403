#include "backup/references.h"

#include <cctype>
#include <optional>

#include "form/helpers.h"
#include "platform/error.h"
#include "platform/registry/reg_helpers.h"
#include "platform/typelib/oca_lookup.h"

namespace arkstash::backup {

namespace {

constexpr const char* kRuntimeLibrary = "Visual Basic runtime objects and procedures";

// Whether `guid` occurs anywhere in the text of identifiers seen so far, as a text search
// answers it: nothing occurs in an empty text, and an empty identifier occurs in any other.
// Identifiers are braced, so for real ones this is the same as an exact match with one seen.
bool occursIn(const std::string& seen, const std::string& guid) {
    if (seen.empty()) return false;
    return seen.find(guid) != std::string::npos;
}

bool endsWithOca(const std::string& path) {
    if (path.size() < 3) return false;
    std::string last = path.substr(path.size() - 3);
    for (char& c : last) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return last == "OCA";
}

// The control file an ".oca" describes, or "" when none is found. A type library that
// cannot be loaded is reported to the user, once for each reference that names it.
std::string OcaControlFile(form::MainForm& frm, const std::string& ocaPath) {
    try {
        return typelib::controlFileOfOca(frm.platform.fs, frm.platform.registry, ocaPath);
    } catch (const PlatformError& e) {
        attempt([&] {
            frm.platform.dialogs.MsgBox(std::to_string(e.number()), ui::vbCritical,
                                        "Could Not Load Type Library");
        });
        return {};
    } catch (const std::exception&) {
        return {};
    }
}

// Holds the list's drawing from construction to destruction.
class RedrawHold {
  public:
    explicit RedrawHold(ui::ListView& list) : list_(list) { ++list_.redrawHeld; }
    ~RedrawHold() { --list_.redrawHeld; }
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;

  private:
    ui::ListView& list_;
};

// Adds the row of one reference unless its library has a row already.
void addReference(form::MainForm& frm, ide::Reference& ref, std::string& seen) {
    ui::ListView& list = frm.ListView2;
    std::string guid;
    // A reference whose identifier cannot be read cannot be told apart from the others.
    if (!attempt([&] { guid = ref.Guid(); })) return;
    if (occursIn(seen, guid)) return;
    seen += guid;

    std::string description;
    if (!attempt([&] { description = ref.Description(); })) return;  // no row to fill
    ui::ListItem& added = list.addItem(description, form::images::kReference);
    std::size_t row = static_cast<std::size_t>(&added - list.items.data());

    attempt([&] {
        std::string version = std::to_string(ref.Major()) + "." + std::to_string(ref.Minor());
        list.items[row].setCell(1, version);
    });
    list.items[row].setCell(2, "Unknown");
    list.items[row].setCell(3, guid);

    attempt([&] {
        std::string path = ref.FullPath();
        if (!frm.platform.fs.findFirst(path, false)) return;
        // A reference whose state cannot be read counts as broken: its file is not known good.
        bool broken = true;
        attempt([&] { broken = ref.IsBroken(); });
        if (broken) return;
        std::string file = endsWithOca(path) ? OcaControlFile(frm, path) : path;
        // The message box lets window events run; should they have rebuilt the list, the row
        // is gone and this action is dropped rather than writing past the list's end.
        ui::ListItem& item = list.items.at(row);
        item.setCell(2, file);
        item.foreColor = ui::kBlack;
        item.checked = true;
    });

    if (description == kRuntimeLibrary) attempt([&] { list.removeItem(row); });
}

}  // namespace

void LoadReferences(form::MainForm& frm) {
    ui::ListView& list = frm.ListView2;
    {
        RedrawHold hold(list);
        list.clearItems();
        list.clearColumns();
        list.addColumn("Description", 3000);
        list.addColumn("Version", 800, ui::Alignment::Center);
        list.addColumn("File", 1000);
        list.addColumn("Guid", 1000);
        list.View = ui::ListViewMode::Report;

        std::string seen;
        if (frm.VBInstance) {
            long projectCount = 0;
            attempt([&] { projectCount = frm.VBInstance->VBProjects().Count(); });
            for (long p = 1; p <= projectCount; ++p) {
                ide::VBProject* project = nullptr;
                attempt([&] { project = &frm.VBInstance->VBProjects().Item(p); });
                if (!project) continue;
                long refCount = 0;
                attempt([&] { refCount = project->References().Count(); });
                for (long i = 1; i <= refCount; ++i) {
                    ide::Reference* ref = nullptr;
                    attempt([&] { ref = &project->References().Item(i); });
                    if (ref) addReference(frm, *ref, seen);
                }
            }
        }
        seen.clear();
        form::AutoSizeColumns(list);
    }
    list.refresh();
}

void chkAddComponents_Click(form::MainForm& frm) {
    int value = frm.chkAddComponents.Value();
    bool on = value == 1;
    frm.framRef.Enabled = on;
    frm.ListView2.Enabled = on;
    frm.ListView2.refresh();
    registry::RegWrite(frm.platform.registry, registry::Root::CurrentUser, registry::kSettingsKey,
                       "AddRef", registry::REG_DWORD, static_cast<long long>(value));
}

void ListView2_MouseUp(form::MainForm& frm, int button) {
    constexpr int kRightButton = 2;
    if (button != kRightButton || frm.ListView2.items.empty()) return;
    attempt([&] { frm.SSActiveToolBars1.popUpMenu("ID_ListView2"); });
}

}  // namespace arkstash::backup
