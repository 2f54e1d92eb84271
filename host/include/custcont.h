#pragma once
#include "WindowsDefines.h"
#include "acolor.h"
#include "baseinterface.h"
#include "maxtypes.h"
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
class ReferenceTarget;

// Window classes of the controls, registered by the host for every module's dialogs.
#define CUSTEDITWINDOWCLASS L"CustEdit"
#define SPINNERWINDOWCLASS L"SpinnerControl"
#define CUSTBUTTONWINDOWCLASS L"CustButton"
#define COLORSWATCHWINDOWCLASS L"ColorSwatch"

// What the controls send to their parent window. For the spinner messages the low word of
// wParam is the spinner's control ID and lParam its ISpinnerControl; the high word is TRUE
// while the user drags (CC_SPINNER_CHANGE) or when the change is accepted
// (CC_SPINNER_BUTTONUP). For the colour messages the low word is the swatch's ID and lParam
// its IColorSwatch. WM_CUSTEDIT_ENTER: the low word is the edit's ID, the high word FALSE
// for the Return key and TRUE when the edit lost the focus with changed text, lParam the
// edit's window.
#define CC_SPINNER_CHANGE (WM_USER + 600)
#define CC_SPINNER_BUTTONDOWN (WM_USER + 601)
#define CC_SPINNER_BUTTONUP (WM_USER + 602)
#define CC_COLOR_CHANGE (WM_USER + 603)
#define CC_COLOR_SEL (WM_USER + 604)
#define CC_COLOR_DROP (WM_USER + 605)
#define CC_COLOR_BUTTONDOWN (WM_USER + 606)
#define CC_COLOR_BUTTONUP (WM_USER + 607)
#define CC_COLOR_CLOSE (WM_USER + 608)
#define WM_CUSTEDIT_ENTER (WM_USER + 685)

// Notification codes of custom buttons, besides BN_CLICKED.
#define BN_BUTTONDOWN 8173
#define BN_BUTTONUP 8174
#define BN_RIGHTCLICK 8183

// Who owns the slot a drag-and-drop manager serves.
#define OWNER_MTL_TEX 2

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

// A one-line text field. A linked spinner (ISpinnerControl::LinkToEdit) takes the text typed
// into it when the user presses Return or leaves the field.
class ICustEdit : public ICustomControl {
 public:
  virtual void GetText(MCHAR* text, int ct) = 0;
  virtual void GetText(MSTR& text) const = 0;
  virtual int GetTextLength() const = 0;
  virtual void SetText(const MCHAR* text) = 0;
  virtual void SetText(int i) = 0;
  virtual void SetText(float f, int precision = 3) = 0;
  virtual int GetInt(BOOL* valid = nullptr) = 0;
  virtual float GetFloat(BOOL* valid = nullptr) = 0;
  virtual void SetLeading(int lead) = 0;
  virtual void WantReturn(BOOL yesNo) = 0;
  virtual BOOL GotReturn() = 0;
  virtual void GiveFocus() = 0;
  virtual BOOL HasFocus() = 0;
  virtual void WantDlgNextCtl(BOOL yesNo) = 0;
  virtual void SetNotifyOnKillFocus(BOOL onOff) = 0;
  virtual void SetBold(BOOL onOff) = 0;
};

// Up and down arrows that change a number: a click steps it by the scale, a vertical drag
// changes it continuously, a right click sets the reset value. User input is kept within
// the limits; SetValue is not.
class ISpinnerControl : public ICustomControl {
 public:
  virtual float GetFVal() = 0;
  virtual int GetIVal() = 0;
  virtual void SetAutoScale(BOOL on = TRUE) = 0;
  virtual void SetScale(float s) = 0;
  virtual void SetValue(float v, int notify) = 0;
  virtual void SetValue(int v, int notify) = 0;
  virtual void SetLimits(int min, int max, int limitCurValue = TRUE) = 0;
  virtual void SetLimits(float min, float max, int limitCurValue = TRUE) = 0;
  virtual void LinkToEdit(HWND hEdit, EditSpinnerType type) = 0;
  virtual void SetIndeterminate(BOOL i = TRUE) = 0;
  virtual BOOL IsIndeterminate() = 0;
  virtual void SetResetValue(float v) = 0;
  virtual void SetResetValue(int v) = 0;
  virtual void SetKeyBrackets(BOOL onOff) = 0;
};

enum CustButType { CBT_PUSH, CBT_CHECK };

class DADMgr;

// A push or check button with a caption; it sends BN_CLICKED in WM_COMMAND to its parent and
// can be the source and target of drag and drop through a DADMgr.
class ICustButton : public ICustomControl {
 public:
  virtual void GetText(MCHAR* text, int ct) = 0;
  virtual void SetText(const MCHAR* text) = 0;
  virtual void GetText(MSTR& text) const = 0;
  virtual int GetTextLength() const = 0;
  virtual void SetType(CustButType type) = 0;
  virtual BOOL IsChecked() = 0;
  virtual void SetCheck(BOOL checked) = 0;
  virtual void SetCheckHighlight(BOOL highlight) = 0;
  virtual void SetButtonDownNotify(BOOL notify) = 0;
  virtual void SetRightClickNotify(BOOL notify) = 0;
  virtual void SetHighlightColor(COLORREF clr) = 0;
  virtual COLORREF GetHighlightColor() = 0;
  virtual void SetDADMgr(DADMgr* dad) = 0;
  virtual DADMgr* GetDADMgr() = 0;
};

// A field of colour; a click opens the colour picker. SetAColor and SetColor send
// CC_COLOR_CHANGE when notify is set.
class IColorSwatch : public ICustomControl {
 public:
  virtual COLORREF SetColor(COLORREF c, int notify = FALSE) = 0;
  virtual AColor SetAColor(AColor c, int notify = FALSE) = 0;  // returns the previous colour
  virtual COLORREF InitColor(COLORREF c, int notify = FALSE) = 0;
  virtual AColor InitAColor(AColor c, int notify = FALSE) = 0;
  virtual void SetUseAlpha(BOOL onOff) = 0;
  virtual BOOL GetUseAlpha() = 0;
  virtual COLORREF GetColor() = 0;
  virtual AColor GetAColor() = 0;
  virtual void ForceDitherMode(BOOL onOff) = 0;
  virtual void SetModal() = 0;
  virtual void Activate(int onOff) = 0;
  virtual void EditThis(BOOL startNew = TRUE) = 0;
  virtual void SetKeyBrackets(BOOL onOff) = 0;
  virtual void SetNotifyAfterAccept(BOOL onOff) = 0;
  virtual BOOL GetNotifyAfterAccept() = 0;
};

// The interfaces of control windows; null for a window of another class. An interface lives
// as long as its window; Release tells the host the caller is done with it.
CoreExport ICustEdit* GetICustEdit(HWND hCtrl);
CoreExport void ReleaseICustEdit(ICustEdit* ice);
CoreExport ISpinnerControl* GetISpinner(HWND hCtrl);
CoreExport void ReleaseISpinner(ISpinnerControl* isc);
CoreExport ICustButton* GetICustButton(HWND hCtrl);
CoreExport void ReleaseICustButton(ICustButton* icb);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl, COLORREF col, const MCHAR* name);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl, AColor col, const MCHAR* name);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl);
CoreExport void ReleaseIColorSwatch(IColorSwatch* ics);

// Drag and drop between controls. A custom button with a manager starts a drag when the
// mouse leaves it with the left button down over an instance the manager gives; the target
// button's manager decides whether and how it takes the drop.
class DADMgr : public InterfaceServer {
 public:
  virtual SClass_ID GetDragType(HWND hwnd, POINT p) = 0;
  virtual BOOL IsNew(HWND, POINT, SClass_ID) { return FALSE; }
  virtual BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                        BOOL isNew = FALSE) = 0;
  virtual HCURSOR DropCursor(ReferenceTarget*, HWND, HWND, POINT, SClass_ID, BOOL = FALSE) {
    return nullptr;
  }
  virtual int SlotOwner() { return OWNER_MTL_TEX; }
  virtual ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) = 0;
  virtual ReferenceTarget* GetDestinationInstance(HWND hwnd, POINT p, SClass_ID type) {
    return GetInstance(hwnd, p, type);
  }
  virtual void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
                    DADMgr* srcMgr = nullptr, BOOL bSrcClone = FALSE) = 0;
  virtual void SameWinDragAndDrop(HWND, POINT, POINT) {}
  // A manager that answers TRUE handles drags between two of its own windows itself.
  virtual BOOL LetMeHandleLocalDAD() { return FALSE; }
  virtual void LocalDragAndDrop(HWND, HWND, POINT, POINT) {}
  virtual BOOL AutoTooltip() { return FALSE; }
  virtual BOOL CopyOnly(HWND, POINT, SClass_ID) { return FALSE; }
  virtual BOOL AlwaysSendButtonMsgsOnDrop() { return FALSE; }
  virtual INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) { return 0; }
  virtual BOOL OkToDropInstance(ReferenceTarget*, HWND, HWND, POINT, SClass_ID) { return TRUE; }
};
#endif
