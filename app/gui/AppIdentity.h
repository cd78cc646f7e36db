#pragma once

// What the window program shows of itself: its icon and the caption of its message boxes.

#include <QIcon>
#include <QString>

#include <string_view>

namespace velcor::app {

// The application icon in every size the resources hold.
QIcon applicationIcon();

// The application's name, the executable's file name without extension: the caption of every
// message box.
QString applicationTitle();

// A Windows-1251 text as Unicode, for a widget.
QString fromCp1251(std::string_view text);

}  // namespace velcor::app
