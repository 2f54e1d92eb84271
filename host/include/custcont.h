#pragma once
#include "WindowsDefines.h"
#include "baseinterface.h"
#include "strclass.h"

// The material editor's custom controls. Spinner edit types are named by parameter-block
// descriptions, so they come first.

enum EditSpinnerType {
  EDITTYPE_INT = 0,
  EDITTYPE_FLOAT = 1,
  EDITTYPE_UNIVERSE = 2,
  EDITTYPE_POS_INT = 3,
  EDITTYPE_POS_FLOAT = 4,
  EDITTYPE_POS_UNIVERSE = 5,
  EDITTYPE_TIME = 6
};

#if defined(_WIN32)
class Animatable;

// Base of every custom control: a window plus its enable state. The vtable order after
// InterfaceServer's two slots is the SDK's.
class ICustomControl : public InterfaceServer {
 public:
  virtual HWND GetHwnd() = 0;
  virtual void Enable(BOOL onOff = TRUE) = 0;
  virtual void Disable() = 0;
  virtual BOOL IsEnabled() = 0;
  virtual void Enable2(BOOL onOff = TRUE) = 0;
  virtual INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) { return 0; }
  virtual void SetTooltip(bool bEnable, const MCHAR* text) = 0;
};
#endif
