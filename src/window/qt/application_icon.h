// The program's icon, drawn from the same SVG as the icons the packages
// install and built into the program, so that the window, its dialogs and
// the task bar show it wherever the program runs.
#ifndef MIRLOT_WINDOW_QT_APPLICATION_ICON_H_
#define MIRLOT_WINDOW_QT_APPLICATION_ICON_H_

#include <QIcon>

namespace mirlot {

// The icon at every size built in (16 to 256 pixels). An empty icon only when
// the program was built without them.
QIcon ApplicationIcon();

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_APPLICATION_ICON_H_
