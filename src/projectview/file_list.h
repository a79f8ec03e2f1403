// The file list's rows and the reactions of the list and the tree to the user.
#pragma once

#include <string>

#include "form/main_form.h"

namespace arkstash::projectview {

// Text colour of a user-added row (pure blue in the &HBBGGRR order); a click on a row of this
// colour treats it as user-added.
inline constexpr ui::Colour kUserAddedColour = 0xFF0000;

// Makes one file row, checked, with the cells Lines, Type, Size, Date and Saved and the colour
// of the token ("Black", "Green"; any other token leaves the list's default). Nothing when
// `Desc` is empty or names no existing, non-hidden file.
void AddToListView(form::MainForm& frm, const std::string& Desc, const std::string& Item1,
                   const std::string& Item2, const std::string& Item3, const std::string& item4,
                   const std::string& Item5, int Icon, const std::string& Color);

// Sorts by the clicked column (1-based), flipping the order on every click.
void ListView1_ColumnClick(form::MainForm& frm, int columnIndex /* 1-based */);
// A click on a row selects it (as the control does before it raises the event) and sets the
// file tools from the row's extension and colour.
void ListView1_ItemClick(form::MainForm& frm, std::size_t row /* 0-based */);
// Button 2 (right) over a list with rows opens the list's pop-up menu.
void ListView1_MouseUp(form::MainForm& frm, int button);
// The tree: a collapsed node loses the selection, an expanded one takes it.
void tvMain_Collapse(form::MainForm& frm, std::size_t node);
void tvMain_Expand(form::MainForm& frm, std::size_t node);

// Sets ID_ViewCode and ID_ViewObject from the last three characters of a row's text. The end
// of a scan leaves ".ctx" rows alone (`ctxIsBinary` false); a row click counts them as binary.
void SetViewToolsFromExtension(form::MainForm& frm, const std::string& rowText, bool ctxIsBinary);

}  // namespace arkstash::projectview
