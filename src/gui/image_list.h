// The window's image list: the pictures the tree, the lists and two tools show, known by the
// indexes the scan gives them (component kinds 1 to 11, project types 12 to 15, folder 16 and
// open folder 17, reference 18, group 19, add and remove 20 and 21, user-added file 22). They are
// drawn as SVG and rendered for every size and screen scale asked for, so they stay sharp.
#pragma once

#include <QIcon>

namespace arkstash::gui {

// A null icon for 0 or an index the list does not have.
QIcon imageListIcon(int index);
// The picture of `index`, showing `selectedIndex` while its item is selected (0: the same).
QIcon imageListIcon(int index, int selectedIndex);

}  // namespace arkstash::gui
