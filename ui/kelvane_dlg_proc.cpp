// The "Parameters" rollout's handler: the active marker's controls, the ramp control, the
// enable dependencies and the map buttons.
#include "kelvane_dlg_proc.h"

#include <cstdint>

#include "hold.h"
#include "igradient_ramp.h"
#include "kelvane.h"
#include "kelvane_class_desc.h"
#include "module.h"
#include "ramp_control_messages.h"
#include "ramp_drawing.h"
#include "resource.h"

namespace {

// The interpolation lists, in the order of the mode numbers.
constexpr int kModeStrings[] = {IDS_LINEAR, IDS_EXPONENTIAL, IDS_GAMMA, IDS_SOLID, IDS_NO};

// Limits of the Pos. spinner in its two modes.
constexpr float kRelativeMax = 1.0f;
constexpr float kAbsoluteMax = 10000000.0f;

const MCHAR* Text(int id) {
  const MCHAR* s = GetString(id);
  return s ? s : L"";
}

void FillModeList(HWND combo) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  // Inserting at the end, unlike adding, ignores the list's sort style: position = mode.
  for (int id : kModeStrings) SendMessageW(combo, CB_INSERTSTRING, WPARAM(-1), LPARAM(Text(id)));
}

}  // namespace

KelvaneDlgProc::KelvaneDlgProc(Kelvane* map, IMtlParams* imp)
    : ip(imp), theTex(map), dadMgr(static_cast<ParamDlg*>(this)) {}

KelvaneDlgProc::~KelvaneDlgProc() = default;

void KelvaneDlgProc::DeleteThis() {
  delete this;
}

Class_ID KelvaneDlgProc::ClassID() {
  return KELVANE_CLASS_ID;
}

ReferenceTarget* KelvaneDlgProc::GetThing() {
  return theTex;
}

void KelvaneDlgProc::SetTime(TimeValue t) {
  if (!theTex) return;
  Interval valid;
  theTex->Update(t, valid);
}

INT_PTR KelvaneDlgProc::DlgProc(TimeValue, IParamMap2*, HWND hDlg, UINT msg, WPARAM wParam,
                                LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      hWnd = hDlg;
      InitDialog();
      return TRUE;
    case WM_PAINT:
      if (!firstPaintDone) {
        firstPaintDone = 1;
        static_cast<ParamDlg*>(this)->ReloadDialog();
      }
      break;
    case WM_DESTROY:
      Destroy();
      break;
    case WM_COMMAND:
      Command(wParam, lParam);
      break;
    case CC_SPINNER_BUTTONDOWN:
      if (LOWORD(wParam) == IDC_POSITION_SPIN) BeginPositionGesture();
      break;
    case CC_SPINNER_CHANGE:
    case WM_CUSTEDIT_ENTER:
      SpinnerNotification(msg, wParam, lParam);
      break;
    case CC_SPINNER_BUTTONUP:
      SpinnerNotification(msg, wParam, lParam);
      if (LOWORD(wParam) == IDC_POSITION_SPIN) EndPositionGesture(HIWORD(wParam) != 0);
      break;
    case CC_COLOR_CHANGE:
    case CC_COLOR_CLOSE:
      ColorNotification(wParam, lParam);
      break;
    case WM_RAMP_MARKER_CHANGED:
    case WM_RAMP_MARKER_MOVED:
      RampNotification(msg, lParam);
      break;
  }
  return FALSE;
}

// Binds the controls and the ramp control when the dialog opens.
void KelvaneDlgProc::InitDialog() {
  RampMarker* marker = ActiveMarker();

  if (HWND in = GetDlgItem(hWnd, IDC_IN_MODE)) {
    FillModeList(in);
    if (marker) SendMessageW(in, CB_SETCURSEL, WPARAM(marker->inMode), 0);
  }
  if (HWND out = GetDlgItem(hWnd, IDC_OUT_MODE)) {
    FillModeList(out);
    if (marker) SendMessageW(out, CB_SETCURSEL, WPARAM(marker->outMode), 0);
  }

  colorMapButton = GetICustButton(GetDlgItem(hWnd, IDC_COLOR_MAP));
  if (colorMapButton) colorMapButton->SetDADMgr(&dadMgr);
  transparentMapButton = GetICustButton(GetDlgItem(hWnd, IDC_TRANSPARENT_MAP));
  if (transparentMapButton) transparentMapButton->SetDADMgr(&dadMgr);

  BindRampControl();

  if (marker) {
    if (SpinnerHandle spin = Spinner(IDC_POSITION_SPIN)) {
      spin->SetScale(0.01f);
      SetPositionMode(spin.get(), true);
      spin->SetValue(ShownPosition(*marker), TRUE);
    }
    // A notification above may have changed the ramp's records: look the marker up again.
    marker = ActiveMarker();
  }
  if (marker) {
    colorSwatch = GetIColorSwatch(GetDlgItem(hWnd, IDC_COLOR_SWATCH), RampColorRef(marker->color),
                                  Text(IDS_COLOR));
    transparentSwatch = GetIColorSwatch(GetDlgItem(hWnd, IDC_TRANSPARENT_SWATCH),
                                        RampColorRef(marker->transparentColor), Text(IDS_COLOR));
    CheckDlgButton(hWnd, IDC_COLOR_MAP_ON, marker->colorMapOn ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hWnd, IDC_TRANSPARENT_MAP_ON,
                   marker->transparentMapOn ? BST_CHECKED : BST_UNCHECKED);
  } else {
    colorSwatch = GetIColorSwatch(GetDlgItem(hWnd, IDC_COLOR_SWATCH), COLORREF(0), Text(IDS_COLOR));
    transparentSwatch =
        GetIColorSwatch(GetDlgItem(hWnd, IDC_TRANSPARENT_SWATCH), COLORREF(0), Text(IDS_COLOR));
  }

  if (SpinnerHandle distance = Spinner(IDC_DISTANCE_SPIN)) {
    distance->SetAutoScale(TRUE);
    distance->SetResetValue(0.1f);
  }

  // The parameter map has loaded the bound boxes before this message.
  bool matId = Checked(IDC_MATID);
  EnableSpinner(IDC_ANGLE_SPIN, Checked(IDC_COMPLANAR));
  EnableWindow(GetDlgItem(hWnd, IDC_SMOOTH_EQUALS), Checked(IDC_SMOOTH));
  EnableWindow(GetDlgItem(hWnd, IDC_SMOOTH_DIFFERENCE), Checked(IDC_SMOOTH));
  EnableWindow(GetDlgItem(hWnd, IDC_MATID_EQUALS), matId);
  EnableWindow(GetDlgItem(hWnd, IDC_MATID_DIFFERENCE), matId);
  EnableWindow(GetDlgItem(hWnd, IDC_MATID_RANGE), matId);
  EnableSpinner(IDC_MATID1_SPIN, matId && Checked(IDC_MATID_RANGE));
  EnableSpinner(IDC_MATID2_SPIN, matId && Checked(IDC_MATID_RANGE));
}

// Clicks and list selections, by control.
void KelvaneDlgProc::Command(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  switch (id) {
    case IDC_COMPLANAR:
      EnableSpinner(IDC_ANGLE_SPIN, Checked(IDC_COMPLANAR));
      return;
    case IDC_SMOOTH:
      EnableWindow(GetDlgItem(hWnd, IDC_SMOOTH_EQUALS), Checked(IDC_SMOOTH));
      EnableWindow(GetDlgItem(hWnd, IDC_SMOOTH_DIFFERENCE), Checked(IDC_SMOOTH));
      return;
    case IDC_MATID: {
      bool on = Checked(IDC_MATID);
      EnableWindow(GetDlgItem(hWnd, IDC_MATID_EQUALS), on);
      EnableWindow(GetDlgItem(hWnd, IDC_MATID_DIFFERENCE), on);
      EnableWindow(GetDlgItem(hWnd, IDC_MATID_RANGE), on);
      EnableSpinner(IDC_MATID1_SPIN, on && Checked(IDC_MATID_RANGE));
      EnableSpinner(IDC_MATID2_SPIN, on && Checked(IDC_MATID_RANGE));
      return;
    }
    case IDC_MATID_RANGE:
      EnableSpinner(IDC_MATID1_SPIN, Checked(IDC_MATID_RANGE));
      EnableSpinner(IDC_MATID2_SPIN, Checked(IDC_MATID_RANGE));
      return;
    case IDC_IN_MODE:
    case IDC_OUT_MODE: {
      RampMarker* marker = ActiveMarker();
      bool changed = false;
      if (marker) {
        if (HIWORD(wParam) != CBN_SELCHANGE) return;
        LRESULT sel = SendMessageW(GetDlgItem(hWnd, id), CB_GETCURSEL, 0, 0);
        int mode = sel == CB_ERR ? 0 : int(sel);
        int& field = id == IDC_IN_MODE ? marker->inMode : marker->outMode;
        changed = field != mode;
        field = mode;
      }
      PostRedraw(wParam, lParam);
      if (!theTex) return;
      if (changed)
        MarkerFieldEdited(IDS_UNDO_MARKER_CURVE);
      else
        theTex->DiscardTexHandle();
      return;
    }
    case IDC_COLOR_MAP:
    case IDC_TRANSPARENT_MAP:
      if (theTex && theTex->hwMtlEdit) {
        int index = theTex->ramp.ActiveMarkerIndex(MarkerActive);
        int subMap = 2 * index + (id == IDC_TRANSPARENT_MAP ? 1 : 0);
        PostMessageW(theTex->hwMtlEdit, WM_TEXMAP_BUTTON, WPARAM(subMap), LPARAM(theTex));
      }
      return;
    case IDC_COLOR_MAP_ON:
    case IDC_TRANSPARENT_MAP_ON:
      // The ramp control draws marker colours only: nothing to redraw there, but the map
      // renders differently.
      if (RampMarker* marker = ActiveMarker()) {
        bool& on = id == IDC_COLOR_MAP_ON ? marker->colorMapOn : marker->transparentMapOn;
        if (on != Checked(id)) {
          on = Checked(id);
          MarkerFieldEdited(IDS_UNDO_MARKER_MAP_ON);
        }
      }
      return;
    case IDC_ABSOLUTE_POSITION:
      if (RampMarker* marker = ActiveMarker())
        if (SpinnerHandle spin = Spinner(IDC_POSITION_SPIN)) {
          SetPositionMode(spin.get());
          spin->SetValue(ShownPosition(*marker), TRUE);
        }
      return;
  }
}

// Spinner and edit changes: Distance and the marker position.
void KelvaneDlgProc::SpinnerNotification(UINT msg, WPARAM wParam, LPARAM lParam) {
  RampMarker* marker = ActiveMarker();
  if (!marker || !theTex) return;
  int id = LOWORD(wParam);
  if (msg != WM_CUSTEDIT_ENTER && (id == IDC_DISTANCE_SPIN || id == IDC_POSITION_SPIN)) {
    auto* spin = reinterpret_cast<ISpinnerControl*>(lParam);
    SpinnerHandle looked;
    if (!spin) {
      looked = Spinner(id);
      spin = looked.get();
    }
    if (spin && id == IDC_DISTANCE_SPIN) {
      theTex->distance = spin->GetFVal();
      if (SpinnerHandle pos = Spinner(IDC_POSITION_SPIN))
        pos->SetValue(ShownPosition(*marker), FALSE);
    } else if (spin) {
      // Stored as typed, unclamped and unsorted: the repaint posted below clamps it. Without a
      // Distance above 0 an absolute position has no meaning and nothing is written (0 / 0
      // would become 1 at the repaint).
      float v = spin->GetFVal();
      bool absolute = AbsolutePosition();
      if (!absolute || theTex->distance > 0.0f) {
        float position = absolute ? v / theTex->distance : v;
        if (marker->position != position) {
          marker->position = position;
          MarkerFieldEdited(IDS_UNDO_MARKER_POSITION);
        }
      }
    }
  }
  PostRedraw(0, 0);
}

// Swatch changes: the active marker's colours.
void KelvaneDlgProc::ColorNotification(WPARAM wParam, LPARAM lParam) {
  // The swatches' answers to LoadMarkerControls are no edit: the colours shown may be those of
  // a marker other than the active one.
  if (loadingControls) {
    PostRedraw(wParam, lParam);
    return;
  }
  if (RampMarker* marker = ActiveMarker()) {
    int id = LOWORD(wParam);
    auto* swatch = reinterpret_cast<IColorSwatch*>(lParam);
    if (!swatch) swatch = GetIColorSwatch(GetDlgItem(hWnd, id));
    AColor* field = id == IDC_COLOR_SWATCH         ? &marker->color
                    : id == IDC_TRANSPARENT_SWATCH ? &marker->transparentColor
                                                   : nullptr;
    // Loading the controls sets the swatches to what the marker holds: no edit then.
    if (swatch && field && *field != swatch->GetAColor()) {
      *field = swatch->GetAColor();
      MarkerFieldEdited(IDS_UNDO_MARKER_COLOR);
    }
  }
  PostRedraw(wParam, lParam);
}

// The ramp control's notifications. The control has already told the map of its edits
// (RampEdited); lParam is read only if it is still one of the edited ramp's records. A drag
// step only shows the marker's position: the control has placed the marker, and a value
// written back would go to the active marker, not necessarily the one the message names.
void KelvaneDlgProc::RampNotification(UINT msg, LPARAM lParam) {
  RampMarker* marker = MarkerOfRamp(lParam);
  if (!marker) return;
  if (msg == WM_RAMP_MARKER_CHANGED) {
    LoadMarkerControls(*marker);
  } else if (SpinnerHandle spin = Spinner(IDC_POSITION_SPIN)) {
    spin->SetValue(ShownPosition(*marker), FALSE);
  }
}

// A field of the active marker, set from the rollout: one undo step of its own, unless the
// host is already holding (then the step is the host's).
void KelvaneDlgProc::MarkerFieldEdited(int stepNameId) {
  if (!theTex) return;
  bool begun = !theHold.Holding();
  if (begun) theHold.Begin();
  theTex->MarkersEdited();
  if (begun) theHold.Accept(Text(stepNameId));
}

void KelvaneDlgProc::RampEdited() {
  if (theTex) theTex->MarkersEdited();
}

void KelvaneDlgProc::LoadMarkerControls(const RampMarker& source) {
  // The swatches answer SetAColor with a colour notification, which must not write the colours
  // into the active marker: work from a copy, with those notifications only redrawing.
  RampMarker m = source;
  loadingControls = true;
  if (colorSwatch) colorSwatch->SetAColor(m.color, TRUE);
  if (transparentSwatch) transparentSwatch->SetAColor(m.transparentColor, TRUE);
  loadingControls = false;
  if (SpinnerHandle spin = Spinner(IDC_POSITION_SPIN)) spin->SetValue(ShownPosition(m), FALSE);
  SendDlgItemMessageW(hWnd, IDC_IN_MODE, CB_SETCURSEL, WPARAM(m.inMode), 0);
  SendDlgItemMessageW(hWnd, IDC_OUT_MODE, CB_SETCURSEL, WPARAM(m.outMode), 0);
  SendDlgItemMessageW(hWnd, IDC_COLOR_MAP_ON, BM_SETCHECK,
                      m.colorMapOn ? BST_CHECKED : BST_UNCHECKED, 0);
  SendDlgItemMessageW(hWnd, IDC_TRANSPARENT_MAP_ON, BM_SETCHECK,
                      m.transparentMapOn ? BST_CHECKED : BST_UNCHECKED, 0);
  UpdateSubTexNames();
}

// Brings the map to the editor's time and tells the editor it changed.
void KelvaneDlgProc::ReloadDialog() {
  if (!theTex || !ip) return;
  Interval valid;
  theTex->Update(ip->GetTime(), valid);
  UpdateSubTexNames();
  // After an undo the markers may be others: show the active one and repaint the ramp.
  if (RampMarker* marker = ActiveMarker()) LoadMarkerControls(*marker);
  PostRedraw(0, 0);
  ip->MtlChanged();
}

// Lets go of the controls and the ramp control when the dialog closes.
// A press on the Pos. spinner starts a gesture that ends at its release: the whole drag is one
// undo step, and a right click during the drag cancels it (back to the value at the press).
void KelvaneDlgProc::BeginPositionGesture() {
  if (positionGesture || theHold.Holding()) return;
  theHold.Begin();
  positionGesture = true;
}

void KelvaneDlgProc::EndPositionGesture(bool accepted) {
  if (!positionGesture) return;
  positionGesture = false;
  if (accepted)
    theHold.Accept(Text(IDS_UNDO_MARKER_POSITION));
  else
    theHold.Cancel();
}

void KelvaneDlgProc::Destroy() {
  // A rollout closed mid-drag keeps what was dragged, as a release would.
  EndPositionGesture(true);
  if (theTex && theTex->dlgProc == this) theTex->dlgProc = nullptr;
  ReleaseIColorSwatch(colorSwatch);
  ReleaseIColorSwatch(transparentSwatch);
  ReleaseICustButton(colorMapButton);
  ReleaseICustButton(transparentMapButton);
  colorSwatch = transparentSwatch = nullptr;
  colorMapButton = transparentMapButton = nullptr;
  delete rampControl;
  rampControl = nullptr;
}

// The map buttons' captions: the active marker's maps, or "None".
void KelvaneDlgProc::UpdateSubTexNames() {
  RampMarker* marker = ActiveMarker();
  if (!marker) return;
  struct {
    ICustButton* button;
    Texmap* map;
  } buttons[] = {{colorMapButton, marker->colorMap},
                 {transparentMapButton, marker->transparentMap}};
  for (const auto& b : buttons) {
    if (!b.button) continue;
    if (b.map) {
      MSTR name = b.map->GetFullName(true);
      b.button->SetText(name.data());
    } else {
      b.button->SetText(Text(IDS_NONE));
    }
  }
}

// The sub-map behind a map button, for drag and drop.
int KelvaneDlgProc::FindSubTexFromHWND(HWND w) {
  if (!theTex) return -1;
  int index = theTex->ramp.ActiveMarkerIndex(MarkerActive);
  if (!w || !hWnd) return -1;
  if (w == GetDlgItem(hWnd, IDC_COLOR_MAP)) return 2 * index;
  if (w == GetDlgItem(hWnd, IDC_TRANSPARENT_MAP)) return 2 * index + 1;
  return -1;
}

// Shows another map: the rollout pointer moves, and the ramp control and the per-marker
// controls follow the new map so that no edit lands in the one no longer shown.
void KelvaneDlgProc::SetThing(ReferenceTarget* m) {
  Kelvane* map = m && m->ClassID() == KELVANE_CLASS_ID ? static_cast<Kelvane*>(m) : nullptr;
  Kelvane* old = theTex;
  if (theTex && theTex->dlgProc == this) theTex->dlgProc = nullptr;
  theTex = map;
  if (theTex) theTex->dlgProc = this;
  // The rollout stays in the editor it was opened in: a map shown by SetThing that was never
  // opened itself has no editor window for its map buttons' messages. Remembered here, so it
  // survives a spell without a map.
  if (old && old->hwMtlEdit) editorWindow = old->hwMtlEdit;
  if (theTex && theTex != old && editorWindow) theTex->hwMtlEdit = editorWindow;

  if (hWnd) BindRampControl();
  if (map != old && hWnd) {
    // The marker controls show the new map's active marker, without writing into it.
    if (RampMarker* marker = ActiveMarker()) {
      if (SpinnerHandle spin = Spinner(IDC_POSITION_SPIN)) {
        spin->SetScale(0.01f);
        SetPositionMode(spin.get());
      }
      LoadMarkerControls(*marker);
    } else {
      if (colorSwatch) colorSwatch->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), FALSE);
      if (transparentSwatch) transparentSwatch->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), FALSE);
    }
  }
  UpdateSubTexNames();
}

void KelvaneDlgProc::BindRampControl() {
  GradientRamp* ramp = theTex ? &theTex->ramp : nullptr;
  if (rampControl && rampControl->Ramp() == ramp) return;
  // The window outlives the objects bound to it: only the binding changes.
  HWND rampWindow = GetDlgItem(hWnd, IDC_RAMP);
  if (rampControl) {
    rampControl->ForgetWindow();
    delete rampControl;
    rampControl = nullptr;
  }
  if (!rampWindow) return;
  if (!ramp) {
    SetWindowLongPtrW(rampWindow, GWLP_USERDATA, 0);  // inert until a map is shown
    return;
  }
  rampControl = new IGradientRamp(rampWindow, ramp, this);
  DrawRamp(rampWindow, *ramp);
}

RampMarker* KelvaneDlgProc::ActiveMarker() {
  return theTex ? theTex->ramp.FindMarkerByFlag(MarkerActive) : nullptr;
}

RampMarker* KelvaneDlgProc::MarkerOfRamp(LPARAM lParam) {
  if (!theTex || !lParam) return nullptr;
  auto& markers = theTex->ramp.markers;
  if (markers.empty()) return nullptr;
  auto p = uintptr_t(lParam);
  auto base = reinterpret_cast<uintptr_t>(markers.data());
  if (p < base) return nullptr;
  uintptr_t offset = p - base;
  if (offset % sizeof(RampMarker) != 0 || offset / sizeof(RampMarker) >= markers.size())
    return nullptr;
  return &markers[offset / sizeof(RampMarker)];
}

bool KelvaneDlgProc::AbsolutePosition() {
  return Checked(IDC_ABSOLUTE_POSITION);
}

float KelvaneDlgProc::ShownPosition(const RampMarker& m) {
  if (!AbsolutePosition() || !theTex) return m.position;
  return theTex->distance > 0.0f ? theTex->distance * m.position : 0.0f;
}

void KelvaneDlgProc::SetPositionMode(ISpinnerControl* spin, bool limitsFirst) {
  bool absolute = AbsolutePosition();
  float most = absolute ? kAbsoluteMax : kRelativeMax;
  if (limitsFirst) spin->SetLimits(0.0f, most, FALSE);
  spin->LinkToEdit(GetDlgItem(hWnd, IDC_POSITION_EDIT),
                   absolute ? EDITTYPE_UNIVERSE : EDITTYPE_FLOAT);
  if (!limitsFirst) spin->SetLimits(0.0f, most, FALSE);
}

SpinnerHandle KelvaneDlgProc::Spinner(int id) {
  return SpinnerHandle(hWnd ? GetDlgItem(hWnd, id) : nullptr);
}

bool KelvaneDlgProc::Checked(int id) {
  return hWnd && IsDlgButtonChecked(hWnd, id) == BST_CHECKED;
}

void KelvaneDlgProc::EnableSpinner(int id, bool on) {
  if (SpinnerHandle spin = Spinner(id)) spin->Enable(on ? TRUE : FALSE);
}

void KelvaneDlgProc::PostRedraw(WPARAM wParam, LPARAM lParam) {
  if (HWND rampWindow = hWnd ? GetDlgItem(hWnd, IDC_RAMP) : nullptr)
    PostMessageW(rampWindow, WM_RAMP_REDRAW, wParam, lParam);
}
