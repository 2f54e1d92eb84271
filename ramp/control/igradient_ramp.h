#pragma once
#include "WindowsDefines.h"
#include "custcont.h"
#include "gradient_ramp.h"
#include "module_export.h"
#include "ramp_control_messages.h"
#include "ramp_edit_sink.h"

// The ramp control's object: binds a "CustGradientRamp" window to the ramp of the edited
// map. The rollout creates it for its control 501 with `new IGradientRamp(hwnd, &ramp, sink)`
// and deletes it when its dialog is destroyed; the control keeps no marker data of its own and
// tells the sink, if any, of every change it makes to the ramp.
// Allocated on the host's heap (MaxHeapOperators, through InterfaceServer).
//
// Exported so that the module's tests can bind a control; the module itself needs no export.
class KELVANE_EXPORT IGradientRamp : public ICustomControl {
 public:
  // Stores all three and puts this object's address into the window's user-data slot.
  IGradientRamp(HWND hWnd, GradientRamp* ramp, RampEditSink* sink = nullptr);
  // Clears the user-data slot and destroys the window.
  ~IGradientRamp() override;
  IGradientRamp(const IGradientRamp&) = delete;
  IGradientRamp& operator=(const IGradientRamp&) = delete;

  // ICustomControl, in the host's slot order. Enabling does not apply to the ramp control.
  HWND GetHwnd() override { return hWnd; }
  void Enable(BOOL) override {}
  void Disable() override {}
  BOOL IsEnabled() override { return TRUE; }
  void Enable2(BOOL) override {}
  void SetTooltip(bool, const MCHAR*) override {}

  GradientRamp* Ramp() const { return ramp; }
  RampEditSink* EditSink() const { return sink; }
  // The window is being destroyed before this object: forget it, so the destructor does not
  // destroy whatever window later gets the same handle.
  void ForgetWindow() { hWnd = nullptr; }

 private:
  HWND hWnd = nullptr;
  GradientRamp* ramp = nullptr;  // the edited map's; not owned
  RampEditSink* sink = nullptr;  // not owned
};

// The object bound to a ramp control window, or null.
IGradientRamp* BoundGradientRamp(HWND hWnd);
