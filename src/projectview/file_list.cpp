#include "projectview/file_list.h"

namespace arkstash::projectview {

void AddToListView(form::MainForm&, const std::string&, const std::string&, const std::string&,
                   const std::string&, const std::string&, const std::string&, int,
                   const std::string&) {}
void ListView1_ColumnClick(form::MainForm&, int) {}
void ListView1_ItemClick(form::MainForm&, std::size_t) {}
void ListView1_MouseUp(form::MainForm&, int) {}
void tvMain_Collapse(form::MainForm&, std::size_t) {}
void tvMain_Expand(form::MainForm&, std::size_t) {}

}  // namespace arkstash::projectview
