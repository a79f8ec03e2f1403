// The per-project side file (.aks): the memo and the files added by hand.
//
// The file is lines of text: a memo block ("[Memo]", the memo's lines, "[End Memo]") when the
// memo is not empty, then one "[File]" + path line per user-added row of the file list. We write
// CR LF line ends; we read CR LF, CR or LF alike. Text is written in Windows-1252 when every
// character fits and in UTF-8 otherwise, and read as UTF-8 when it is valid UTF-8, else as
// Windows-1252, so nothing a user typed is lost and files from older installations still read.
// Every rewrite replaces the whole file in one step: a failed write leaves the old file whole.
#pragma once

#include <cstdint>
#include <string>

#include "form/main_form.h"

namespace arkstash::backup {

// Side files larger than this are not read at all (memo and user files then stay empty, and the
// next rewrite replaces the file). A memo box never holds anything near this much; a file this
// big is not one we wrote, and reading it whole would only cost memory.
inline constexpr std::uint64_t kSideFileReadLimit = 16u * 1024u * 1024u;

// The side file of the active project: the folder of its project file, the name shown in
// lblProject, ".aks". Empty when it cannot be formed: no environment, a project never saved, an
// empty name, or a name that would lead out of the folder.
std::string SideFilePath(form::MainForm& frm);
// The side file of the project the window shows: the one ProjectInfo formed (the memo and the
// user-added rows belong to it even after the environment's active project moved on); the one
// SideFilePath forms now when no project information was shown yet.
std::string ShownSideFile(form::MainForm& frm);

// Appends the memo of the side file at `filename` to the memo box and adds a user-added row for
// each listed file that still exists. The caller empties the memo box first.
void ReadAKS(form::MainForm& frm, const std::string& filename);
// Rewrites the side file at `filename` from the memo box and the user-added rows of the list.
void WriteAKS(form::MainForm& frm, const std::string& filename);
// Rewrites the side file at `filename` from the memo box, keeping the file entries the side file
// holds now. For saving a memo whose project's rows the file list no longer shows.
void SaveMemo(form::MainForm& frm, const std::string& filename);

// Lets the user pick a file, adds it as a user-added row and rewrites the side file.
void AddFile(form::MainForm& frm);
// The file-open dialog: the chosen file's full path, or empty when cancelled or failed. The
// filter is description|pattern pairs.
std::string fncGetFileNametoOpen(form::MainForm& frm, const std::string& strDialogTitle = {},
                                 const std::string& strFilter = {},
                                 const std::string& strDefaultExtention = {});
// A character key typed in txtMemo (letters, digits, punctuation, Enter 13, Backspace 8, control
// combinations; the arrow and Delete keys raise none). The view calls this AFTER the keystroke
// has changed the memo box's text: the side file rewritten here holds the memo including that
// keystroke's effect. A key code of 0 (a keystroke swallowed) rewrites nothing.
void txtMemo_KeyPress(form::MainForm& frm, int& keyAscii);
// Appends "[dddd, mmm d yyyy - hh:mm:ss]" and a line break to the memo (English names, 24-hour
// clock). The side file is not rewritten; the next rewrite saves the stamp.
void cmdAddDate_Click(form::MainForm& frm);
// The side-file half of the Remove command: drops the selected row when it is a user-added one
// and rewrites the side file. Any other row (or none) is left alone, whatever the state of the
// Remove tool says.
void RemoveUserFile(form::MainForm& frm);

}  // namespace arkstash::backup
