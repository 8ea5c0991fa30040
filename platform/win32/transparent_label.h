#pragma once

// A text label that lies over other controls (the web view): it erases nothing and draws
// only its text, yet takes the mouse over its whole rectangle.

#include <windows.h>

#include "platform/win32/window_messages.h"

namespace nimbrel::win32 {

// A press goes to the label's parent as kLabelPressMessage.
enum LabelButton : WORD { kLeftButton = 0, kRightButton = 1 };

// The registered class (CS_DBLCLKS, so that a double click's second press is not a press).
const char* TransparentLabelClass();

}  // namespace nimbrel::win32
