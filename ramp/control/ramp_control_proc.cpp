// The ramp control's window procedure: the mouse gestures that select, add, duplicate, move
// and delete markers and set the glyph colours, and the repaints.
#include <windowsx.h>

#include "hold.h"
#include "hsv.h"
#include "igradient_ramp.h"
#include "module.h"
#include "ramp_control_class.h"
#include "ramp_drag.h"
#include "ramp_drawing.h"
#include "ramp_edit_sink.h"
#include "resource.h"

namespace {

bool KeyHeld(int key) {
  // The thread's keyboard state, not the mouse message's flags.
  return (GetKeyState(key) & 0x8000) != 0;
}

RampGeometry GeometryOf(HWND hWnd, const GradientRamp& ramp) {
  RECT client;
  GetClientRect(hWnd, &client);
  return RampGeometry(ramp.markerSize, client.left, client.right);
}

void PostToParent(HWND hWnd, UINT msg, const RampMarker* marker) {
  // A control without a parent has no one to tell; PostMessageW(NULL, ...) would post a
  // thread message instead.
  if (HWND parent = GetParent(hWnd))
    PostMessageW(parent, msg, reinterpret_cast<WPARAM>(hWnd), reinterpret_cast<LPARAM>(marker));
}

// One gesture of the mouse is one undo step: the hold begun at the press (unless the host was
// already holding) is accepted at the release, or when the capture goes, under the name of
// what the press did. The step's name ID waits in a window property meanwhile.
constexpr const wchar_t* kHeldGesture = L"KelvaneRampGesture";

void BeginGesture(HWND hWnd, int nameId) {
  if (theHold.Holding()) return;
  theHold.Begin();
  SetPropW(hWnd, kHeldGesture, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(nameId)));
}

void EndGesture(HWND hWnd) {
  HANDLE held = RemovePropW(hWnd, kHeldGesture);
  if (!held) return;
  const MCHAR* name = GetString(int(reinterpret_cast<INT_PTR>(held)));
  theHold.Accept(name ? name : L"");
}

// Tells the ramp's owner of a change made here, before anything is drawn or posted. The owner
// only brings its own state in step: the ramp's records stay where they are.
void Edited(HWND hWnd) {
  if (IGradientRamp* control = BoundGradientRamp(hWnd))
    if (RampEditSink* sink = control->EditSink()) sink->RampEdited();
}

// Ctrl+click: edit the glyph colour of the marker under the mouse in the host's colour picker,
// then give every marker both glyph colours. The selection stays as it was.
void EditGlyphColors(HWND hWnd, GradientRamp& ramp, RampMarker& marker) {
  // The picker runs a modal message loop, in which the ramp may change (the rollout handles
  // its messages) or the control may go away: it edits copies, and the ramp is looked up
  // again afterwards.
  AColor active = marker.activeGlyphColor;
  AColor reactive = marker.reactiveGlyphColor;
  if (marker.flags & MarkerActive)
    HSVDlg_Do(hWnd, &active, nullptr, nullptr, L"Setup active marker color");
  else
    HSVDlg_Do(hWnd, &reactive, nullptr, nullptr, L"Setup reactive marker color");
  if (!IsWindow(hWnd)) return;
  IGradientRamp* control = BoundGradientRamp(hWnd);
  if (!control || control->Ramp() != &ramp) return;
  BeginGesture(hWnd, IDS_UNDO_GLYPH_COLORS);
  ramp.SetGlyphColors(active, reactive);
  Edited(hWnd);
  EndGesture(hWnd);
  DrawRamp(hWnd, ramp);
}

void OnLeftButtonDown(HWND hWnd, GradientRamp& ramp, int x) {
  SetCapture(hWnd);
  for (RampMarker& m : ramp.markers) m.flags &= ~MarkerDragging;
  RampGeometry geometry = GeometryOf(hWnd, ramp);
  float t = geometry.ClickPosition(x);

  EndGesture(hWnd);  // a press whose release never came
  if (KeyHeld(VK_SHIFT)) {
    BeginGesture(hWnd, IDS_UNDO_COPY_MARKER);
    // A copy of the active marker, maps included, which the drag then moves (once Shift is
    // released: a drag step wants the left button alone). Like every drag, it merges only
    // where it is dropped, so a copy made on the original does not vanish into it.
    if (StartCopyDrag(ramp, t)) Edited(hWnd);
    return;
  }
  if (KeyHeld(VK_CONTROL)) {
    RampMarker* m = ramp.HitTestMarker(t, geometry.HitTolerance());
    if (m)
      EditGlyphColors(hWnd, ramp, *m);
    else
      DrawRamp(hWnd, ramp);
    return;
  }
  ramp.ClearMarkerFlags();
  if (RampMarker* m = ramp.HitTestMarker(t, geometry.HitTolerance())) {
    m->flags |= MarkerActive | MarkerDragging;
    BeginGesture(hWnd, IDS_UNDO_MOVE_MARKER);
    return;
  }
  BeginGesture(hWnd, IDS_UNDO_ADD_MARKER);
  StartNewMarkerDrag(ramp, t);
  Edited(hWnd);
}

void OnMouseMove(HWND hWnd, GradientRamp& ramp, WPARAM keys, int x) {
  // The left button alone: no other button, no Shift, no Ctrl.
  if (keys != MK_LBUTTON || !ramp.FindMarkerByFlag(MarkerDragging)) return;
  RampMarker* m = MoveDraggedMarker(ramp, GeometryOf(hWnd, ramp).DragPosition(x));
  Edited(hWnd);
  DrawRamp(hWnd, ramp);
  PostToParent(hWnd, WM_RAMP_MARKER_MOVED, m);
}

void OnLeftButtonUp(HWND hWnd, GradientRamp& ramp, int x) {
  if (ramp.FindMarkerByFlag(MarkerDragging)) {
    RampMarker* m = EndMarkerDrag(ramp, GeometryOf(hWnd, ramp).DragPosition(x));
    Edited(hWnd);
    DrawRamp(hWnd, ramp);
    PostToParent(hWnd, WM_RAMP_MARKER_CHANGED, m);
  }
  EndGesture(hWnd);
  ReleaseCapture();
}

// The capture went elsewhere before the button came up (another window took it, or the
// system did): the release will not reach the control. The marker is dropped where it stands
// and the parent told, which must learn of a marker the press may have added.
void OnCaptureLost(HWND hWnd, GradientRamp& ramp) {
  RampMarker* m = DropDraggedMarker(ramp);
  if (!m) {
    EndGesture(hWnd);
    return;  // the release already ended the drag
  }
  Edited(hWnd);
  EndGesture(hWnd);
  DrawRamp(hWnd, ramp);
  PostToParent(hWnd, WM_RAMP_MARKER_CHANGED, m);
}

void OnRightButtonUp(HWND hWnd, GradientRamp& ramp, int x) {
  // Mid-drag a right click deletes nothing: the deletion would move the active flag and the
  // records under the marker being dragged.
  if (GetCapture() == hWnd && ramp.FindMarkerByFlag(MarkerDragging)) return;
  RampGeometry geometry = GeometryOf(hWnd, ramp);
  const size_t before = ramp.markers.size();
  BeginGesture(hWnd, IDS_UNDO_DELETE_MARKER);
  // Unclamped: a click in a margin reaches only a marker within a glyph's width of it.
  ramp.DeleteMarkerAt(geometry.PositionAt(x), geometry.HitTolerance());
  if (ramp.markers.size() != before) Edited(hWnd);
  EndGesture(hWnd);
  DrawRamp(hWnd, ramp);
  PostToParent(hWnd, WM_RAMP_MARKER_CHANGED, ramp.FindMarkerByFlag(MarkerActive));
}

}  // namespace

LRESULT CALLBACK RampControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  IGradientRamp* control = BoundGradientRamp(hWnd);
  if (control && msg == WM_NCDESTROY) {
    // The window goes before its object: unbind, and let the default handling finish.
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    EndGesture(hWnd);
    control->ForgetWindow();
    control = nullptr;
  }
  GradientRamp* ramp = control ? control->Ramp() : nullptr;
  // Inert until a rollout binds a ramp to the window.
  if (!ramp) return DefWindowProcW(hWnd, msg, wParam, lParam);

  const int x = GET_X_LPARAM(lParam);
  switch (msg) {
    case WM_ERASEBKGND:
    case WM_RAMP_REDRAW:
      DrawRamp(hWnd, *ramp);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(hWnd, *ramp, x);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(hWnd, *ramp, wParam, x);
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp(hWnd, *ramp, x);
      return 0;
    case WM_RBUTTONUP:
      OnRightButtonUp(hWnd, *ramp, x);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hWnd) OnCaptureLost(hWnd, *ramp);
      break;
  }
  return DefWindowProcW(hWnd, msg, wParam, lParam);
}
