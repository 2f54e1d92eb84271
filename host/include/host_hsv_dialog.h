#pragma once
// The stand-in's HSV colour picker as programs that stand in for the user see it: its
// controls, and a hook through which a test answers the picker. Not an SDK header.
#include "hsv.h"

#if defined(_WIN32)
// Control IDs of the picker's dialog. The edits hold whole numbers 0..255; typing into one
// updates the others and the swatch.
enum HSVDialogControl : int {
  HSVDLG_HUE = 1101,
  HSVDLG_SATURATION = 1102,
  HSVDLG_VALUE = 1103,
  HSVDLG_RED = 1104,
  HSVDLG_GREEN = 1105,
  HSVDLG_BLUE = 1106,
  HSVDLG_SWATCH = 1107,  // the colour as it stands (owner-drawn static)
};

// Called once a picker is up and its modal loop runs, with the dialog window and its title.
// The hook answers like a user would: types into the edits and presses OK or Cancel (for
// example with BM_CLICK on IDOK). A picker with no hook waits for a user.
typedef void (*HSVDialogHook)(HWND dialog, const MCHAR* title, void* context);
CoreExport void SetHSVDialogHook(HSVDialogHook hook, void* context);
#endif
