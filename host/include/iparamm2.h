#pragma once
// Parameter maps: the host's binding of a parameter block to the controls of a rollout, built
// from the p_ui entries of the block's description, with a module's own dialog procedure for
// whatever the block does not hold. The material editor exists only in the Windows build.
#include "WindowsDefines.h"
#include "baseinterface.h"
#include "custcont.h"
#include "imtl.h"
#include "interval.h"
#include "iparamb2.h"

// A spinner scale of p_ui that lets the spinner choose its step from its value.
#define SPIN_AUTOSCALE -1.0f

#if defined(_WIN32)
class IParamMap2;
class ClassDesc2;
class TexDADMgr;
class MtlDADMgr;

#define REDRAW_NORMAL 1

// A module's handler of a parameter map's rollout. The map passes it every message of the
// rollout window after its own handling (at WM_INITDIALOG the bound controls already show
// the block's values) and calls DeleteThis when the map goes.
class ParamMap2UserDlgProc : public MaxHeapOperators {
 public:
  virtual ~ParamMap2UserDlgProc() {}
  virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                          LPARAM lParam) = 0;
  virtual void DeleteThis() = 0;
  virtual void SetThing(ReferenceTarget*) {}
  virtual void Update(TimeValue t, Interval& /*valid*/, IParamMap2* /*pmap*/) { Update(t); }
  virtual void Update(TimeValue) {}
  virtual void SetParamBlock(IParamBlock2*) {}
};

// One rollout bound to a parameter block. Controls of the block's parameters show its values
// and write the user's edits into it; a change of the block (scripting, another control)
// reloads the controls of that parameter.
class IParamMap2 : public InterfaceServer {
 public:
  virtual void Invalidate() = 0;
  virtual void Validate() = 0;
  virtual void Invalidate(ParamID id, int tabIndex = 0) = 0;
  virtual void UpdateUI(TimeValue t) = 0;
  virtual void RedrawViews(TimeValue t, DWORD flag = REDRAW_NORMAL) = 0;
  virtual Interval& Validity() = 0;
  virtual void SetParamBlock(IParamBlock2* pb) = 0;
  virtual MapID GetMapID() = 0;
  // Attaching a handler to a map whose rollout exists sends the handler WM_INITDIALOG.
  virtual void SetUserDlgProc(ParamMap2UserDlgProc* proc = nullptr) = 0;
  virtual ParamMap2UserDlgProc* GetUserDlgProc() = 0;
  virtual HWND GetHWnd() = 0;
  virtual IParamBlock2* GetParamBlock() = 0;
  virtual BOOL DlgActive() = 0;
  virtual ParamBlockDesc2* GetDesc() = 0;
  virtual void ActivateDlg(BOOL onOff) = 0;
  virtual int FindSubTexFromHWND(HWND hw) = 0;
  virtual int FindSubMtlFromHWND(HWND hw) = 0;
  virtual void Enable(ParamID id, BOOL onOff, int tabIndex = 0) = 0;
  virtual void SetText(ParamID id, const MCHAR* txt, int tabIndex = 0) = 0;
  virtual void SetTooltip(ParamID id, bool bEnable, const MCHAR* txt, int tabIndex = 0) = 0;
  virtual void SetRange(ParamID id, float low, float high, int tabIndex = 0) = 0;
  virtual void Show(ParamID id, BOOL showHide, int tabIndex = 0) = 0;
  virtual void SetThing(ReferenceTarget* m) = 0;
};

// The master dialog of an object in the material editor: its parameter maps plus the
// secondary dialogs added to it (a map's output rollout, for instance). Deleting it deletes
// them all.
class IAutoMParamDlg : public ParamDlg {
 public:
  virtual void InvalidateUI() = 0;
  virtual void MtlChanged() = 0;
  virtual int NumDlgs() = 0;
  virtual void AddDlg(ParamDlg* dlg) = 0;
  virtual ParamDlg* GetDlg(int i) = 0;
  virtual void SetDlg(int i, ParamDlg* dlg) = 0;
  virtual void DeleteDlg(ParamDlg* dlg) = 0;
  virtual IParamMap2* GetMap() = 0;
};

// A parameter map of block pb in a new rollup page of the material editor ip, from the dialog
// template in hInst.
PB2Export IParamMap2* CreateMParamMap2(MapID map_id, IParamBlock2* pb, IMtlParams* ip,
                                       HINSTANCE hInst, HWND hmedit, TexDADMgr* tdad,
                                       MtlDADMgr* mdad, const MCHAR* dlgTemplate,
                                       const MCHAR* title, DWORD flags,
                                       ParamMap2UserDlgProc* dlgProc = nullptr,
                                       HWND hOldRollup = nullptr,
                                       int category = ROLLUP_CAT_STANDARD);
// Closes the map's rollup page and deletes the map and its user dialog procedure.
PB2Export void DestroyMParamMap2(IParamMap2* m);
#endif
