#pragma once
#include "WindowsDefines.h"

// Window messages between the ramp control and the parameter rollout. The values are the
// module's interface with its dialog (WM_USER = 0x400): never renumber them.

// Rollout -> control, posted after the rollout changed the ramp: repaint.
inline constexpr UINT WM_RAMP_REDRAW = 0x0400;  // WM_USER
// Control -> parent, posted at the end of a drag and after every right-button release.
// wParam: the control's window. lParam: the RampMarker record of the dragged marker (end of a
// drag) or of the active marker after a right click (0 when none is active). A record's
// address holds only until the ramp next changes: read it when the message is handled.
inline constexpr UINT WM_RAMP_MARKER_CHANGED = 0x0404;  // WM_USER + 4
// Control -> parent, posted after every drag step; lParam: the dragged marker's record.
inline constexpr UINT WM_RAMP_MARKER_MOVED = 0x0405;  // WM_USER + 5
