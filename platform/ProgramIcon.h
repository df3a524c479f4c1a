#pragma once
// The program's icon and the name the desktop knows the program by.
#include <QIcon>

// The id of the desktop entry, the AppStream data and the icon in the icon
// theme: the desktop matches the program's windows to its menu entry by it.
inline const char* const DesktopFileId = "org.quintara.Quintara";

// The program's icon at each size it is drawn in (16 to 256 pixels), from
// the pictures compiled into the program; empty where they are not.
QIcon ProgramIcon();
