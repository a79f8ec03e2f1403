#include "form/file_rows.h"

#include "platform/error.h"

namespace arkstash::form {

bool IsUserAddedRow(const ui::ListItem& row) {
    return row.cell(kTypeCell) == kUserAddedType;
}

bool AddFileRow(MainForm& frm, const std::string& desc, const std::string& item1,
                const std::string& item2, const std::string& item3, const std::string& item4,
                const std::string& item5, int icon, const std::string& colourToken) {
    if (desc.empty()) return false;
    // A path the look-up refuses (a NUL, a name too long) is as good as a missing file.
    bool found = false;
    attempt([&] { found = frm.platform.fs.findFirst(desc, false).has_value(); });
    if (!found) return false;

    ui::ListItem& row = frm.ListView1.addItem(desc, icon);
    const std::string* cells[] = {&item1, &item2, &item3, &item4, &item5};
    for (std::size_t i = 0; i < 5; ++i) row.setCell(i + 1, *cells[i]);
    row.checked = true;
    if (colourToken == "Black")
        row.foreColor = ui::kBlack;
    else if (colourToken == "Green")
        row.foreColor = kUserAddedColour;
    return true;
}

}  // namespace arkstash::form
