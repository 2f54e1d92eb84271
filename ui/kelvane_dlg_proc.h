#pragma once
// The "Parameters" rollout of a Kelvane map in the material editor. Windows only.
#include "WindowsDefines.h"
#include "custcont.h"
#include "imtl.h"
#include "iparamm2.h"
#include "ramp_edit_sink.h"
#include "spinner_handle.h"

class Kelvane;
class IGradientRamp;
struct RampMarker;

// The handler of parameter map 0's rollout. The host's parameter map drives every control bound
// to the parameter block; this adds what the block does not hold: the ramp control, the active
// marker's controls, the enable dependencies of the "Work on" group and the two map buttons.
// Its ParamDlg facet is what the map buttons' drag-and-drop manager asks for the sub-map behind
// a button. The ramp control reports its edits to it (RampEditSink), and it passes them, with
// its own edits of the active marker, to the map's MarkersEdited.
class KelvaneDlgProc : public ParamMap2UserDlgProc, public ParamDlg, public RampEditSink {
 public:
  // Both bases bring the host's heap operators; they are the same.
  using ParamMap2UserDlgProc::operator new;
  using ParamMap2UserDlgProc::operator delete;

  KelvaneDlgProc(Kelvane* map, IMtlParams* ip);
  ~KelvaneDlgProc() override;
  KelvaneDlgProc(const KelvaneDlgProc&) = delete;
  KelvaneDlgProc& operator=(const KelvaneDlgProc&) = delete;

  // ParamMap2UserDlgProc. DlgProc answers TRUE for WM_INITDIALOG, FALSE for the rest.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                  LPARAM lParam) override;
  // Destroys the whole object (both facets).
  void DeleteThis() override;
  // Moves the rollout to another map: the rollout pointer moves, the captions refresh, the
  // ramp control is bound to the new map's ramp (whenever a Kelvane map is given, also after
  // none or an object of another class was), the marker controls show its active marker, and
  // the map takes the editor window of the map it replaces (for its map buttons' messages), so
  // no edit lands in a map no longer shown.
  void SetThing(ReferenceTarget* m) override;

  // ParamDlg.
  Class_ID ClassID() override;
  ReferenceTarget* GetThing() override;
  void SetTime(TimeValue t) override;
  void ReloadDialog() override;
  void ActivateDlg(BOOL) override {}
  int FindSubTexFromHWND(HWND w) override;
  int FindSubMtlFromHWND(HWND) override { return -1; }
  INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) override { return 0; }

  // Captions of the two map buttons: the active marker's sub-maps' names, or "None".
  void UpdateSubTexNames();

  // RampEditSink: the ramp control changed the edited map's ramp.
  void RampEdited() override;

  HWND hWnd = nullptr;     // the rollout window, from WM_INITDIALOG
  int firstPaintDone = 0;  // 1 once the first WM_PAINT has been seen
  IMtlParams* ip = nullptr;
  ICustButton* colorMapButton = nullptr;        // 537
  ICustButton* transparentMapButton = nullptr;  // 546
  Kelvane* theTex = nullptr;                    // the edited map; not owned
  IColorSwatch* colorSwatch = nullptr;          // 533
  IColorSwatch* transparentSwatch = nullptr;    // 547
  IGradientRamp* rampControl = nullptr;         // 501; owned
  TexDADMgr dadMgr;                             // of both map buttons, bound to the ParamDlg facet

 private:
  // The material editor the rollout lives in, carried to each map SetThing shows.
  HWND editorWindow = nullptr;
  // Set while LoadMarkerControls fills the swatches.
  bool loadingControls = false;
  // True between a press on the Pos. spinner and its release, while this rollout holds.
  bool positionGesture = false;

  void InitDialog();
  void Command(WPARAM wParam, LPARAM lParam);
  void SpinnerNotification(UINT msg, WPARAM wParam, LPARAM lParam);
  void BeginPositionGesture();
  void EndPositionGesture(bool accepted);
  void ColorNotification(WPARAM wParam, LPARAM lParam);
  void RampNotification(UINT msg, LPARAM lParam);
  void Destroy();
  // Binds the ramp control window to the edited map's ramp, or leaves it inert without a map.
  void BindRampControl();

  RampMarker* ActiveMarker();
  // The record that lParam of a ramp notification names, if it is one of the edited ramp's.
  RampMarker* MarkerOfRamp(LPARAM lParam);
  bool AbsolutePosition();
  // What the Pos. spinner shows for m: its position, or in absolute mode Distance times it (0
  // while Distance is not above 0, when an absolute position means nothing).
  float ShownPosition(const RampMarker& m);
  // The Pos. spinner's edit link and limits for the mode of check box 545, in the order of
  // WM_INITDIALOG (limits first) or of a click on 545 (link first).
  void SetPositionMode(ISpinnerControl* spin, bool limitsFirst = false);
  SpinnerHandle Spinner(int id);
  bool Checked(int id);
  void EnableSpinner(int id, bool on);
  void PostRedraw(WPARAM wParam, LPARAM lParam);
  // Every per-marker control from marker m (WM_RAMP_MARKER_CHANGED).
  void LoadMarkerControls(const RampMarker& m);
  // Brings the map in step after a rollout edit of the active marker, as an undo step named
  // by the string stepNameId.
  void MarkerFieldEdited(int stepNameId);
};
