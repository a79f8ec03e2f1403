// The one rule by which rows of the file list are made, shared by the scan, the side-file reader
// and the add-file command, and the markers that tell a user-added row from a scanned one.
#pragma once

#include <string>

#include "form/main_form.h"
#include "platform/ui/list_view.h"

namespace arkstash::form {

// The Type cell (cell 2) and text colour every user-added row carries. The side-file writer goes
// by the Type cell; the row click goes by the colour.
inline constexpr const char* kUserAddedType = "User added";
inline constexpr ui::Colour kUserAddedColour = 0xFF0000;  // &HBBGGRR: pure blue
inline constexpr std::size_t kTypeCell = 2;

bool IsUserAddedRow(const ui::ListItem& row);

// Appends a row to ListView1: text `desc`, cells 1..5, small image `icon`, checked, coloured by
// the token ("Black" black, "Green" kUserAddedColour, any other token leaves the list's default;
// compared exactly). Nothing when `desc` is empty or names no existing file; the look-up finds
// neither folders nor hidden or system files. Answers whether a row was made.
bool AddFileRow(MainForm& frm, const std::string& desc, const std::string& item1,
                const std::string& item2, const std::string& item3, const std::string& item4,
                const std::string& item5, int icon, const std::string& colourToken);

}  // namespace arkstash::form
