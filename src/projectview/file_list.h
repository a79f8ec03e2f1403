// The file list's rows and the reactions of the list and the tree to the user.
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::projectview {

// Makes one file row; nothing when `Desc` is empty or names no existing, non-hidden file.
void AddToListView(form::MainForm& frm, const std::string& Desc, const std::string& Item1,
                   const std::string& Item2, const std::string& Item3, const std::string& item4,
                   const std::string& Item5, int Icon, const std::string& Color);

void ListView1_ColumnClick(form::MainForm& frm, int columnIndex /* 1-based */);
void ListView1_ItemClick(form::MainForm& frm, std::size_t row /* 0-based */);
void ListView1_MouseUp(form::MainForm& frm, int button);
void tvMain_Collapse(form::MainForm& frm, std::size_t node);
void tvMain_Expand(form::MainForm& frm, std::size_t node);

}  // namespace arkstash::projectview
