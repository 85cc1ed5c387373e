// Names and descriptions for assistive technology (screen readers) where a
// control's own text does not say what it does.
#ifndef MIRLOT_WINDOW_WIN32_ACCESSIBILITY_H_
#define MIRLOT_WINDOW_WIN32_ACCESSIBILITY_H_

#include <windows.h>

#include "window/control_texts.h"

namespace mirlot {

// Gives `control` the accessible name and description of `texts`, each
// only when it has one, through the system's annotation service. Needs COM
// on the calling thread. A system without the service shows the control's
// text instead, which is all it can do: nothing to report.
void Annotate(HWND control, const ControlTexts& texts);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_ACCESSIBILITY_H_
