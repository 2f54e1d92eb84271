// The host's custom controls under Wine: real windows of the classes "CustEdit",
// "SpinnerControl", "CustButton" and "ColorSwatch", their interfaces, and what they tell their
// parent window.
#include <gtest/gtest.h>

#include "custcont.h"
#include "editor_test_support.h"
#include "host_maps.h"
#include "ui_test_support.h"

namespace {

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    parent = CreateRecordingParent(400, 200);
    ASSERT_NE(parent, nullptr);
    edit = Child(CUSTEDITWINDOWCLASS, L"", 10, 10, 60, 16, 518);
    spinner = Child(SPINNERWINDOWCLASS, L"", 72, 10, 10, 16, 570);
    button = Child(CUSTBUTTONWINDOWCLASS, L"None", 10, 40, 150, 20, 537);
    swatch = Child(COLORSWATCHWINDOWCLASS, L"Color", 10, 70, 50, 20, 533);
    PumpAll();
    TakeNotifications();
  }
  void TearDown() override {
    DestroyWindow(parent);
    PumpAll();
  }
  HWND Child(const wchar_t* cls, const wchar_t* text, int x, int y, int w, int h, int id) {
    HWND c =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                        reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(c, nullptr) << "window class registered by the host";
    return c;
  }

  HWND parent = nullptr, edit = nullptr, spinner = nullptr, button = nullptr, swatch = nullptr;
};

TEST_F(Controls, SetValueIgnoresTheLimitsButUserInputKeepsThem) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->LinkToEdit(edit, EDITTYPE_FLOAT);
  spin->SetLimits(0.0f, 1.0f, FALSE);
  spin->SetValue(2.0f, FALSE);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 2.0f);
  TypeInto(edit, L"7.5");
  EXPECT_FLOAT_EQ(spin->GetFVal(), 1.0f);
  EXPECT_EQ(WindowText(edit), L"1.0");
  spin->SetValue(-3.0f, FALSE);
  spin->SetLimits(-1.0f, 1.0f, TRUE);
  EXPECT_FLOAT_EQ(spin->GetFVal(), -1.0f) << "limitCurValue clamps the current value";
}

TEST_F(Controls, DraggingUpRaisesTheValueAndARightClickCancelsOrResets) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->SetScale(0.1f);
  spin->SetValue(1.0f, FALSE);
  SendMessageW(spinner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 8));
  SendMessageW(spinner, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, -2));
  EXPECT_NEAR(spin->GetFVal(), 2.0f, 1e-5f);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[1].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(n[1].code, 1) << "dragging";
  SendMessageW(spinner, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(5, -2));
  EXPECT_FLOAT_EQ(spin->GetFVal(), 1.0f);
  n = TakeNotifications();
  ASSERT_FALSE(n.empty());
  EXPECT_EQ(n.back().msg, UINT(CC_SPINNER_BUTTONUP));
  EXPECT_EQ(n.back().code, 0) << "cancelled";
  SendMessageW(spinner, WM_RBUTTONUP, 0, MAKELPARAM(5, -2));
  EXPECT_FLOAT_EQ(spin->GetFVal(), 1.0f) << "the release of a cancel is no reset";
  // A right click alone sets the reset value.
  spin->SetResetValue(0.1f);
  RightClickAt(spinner, 5, 5);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 0.1f);
}

// A drag-and-drop manager for the tests' buttons: one slot holds a map; drops are recorded.
struct Slots : DADMgr {
  HWND full = nullptr;
  ReferenceTarget* held = nullptr;
  ReferenceTarget* dropped = nullptr;
  HWND droppedOn = nullptr;
  SClass_ID GetDragType(HWND, POINT) override { return TEXMAP_CLASS_ID; }
  BOOL OkToDrop(ReferenceTarget*, HWND, HWND, POINT, SClass_ID, BOOL) override { return TRUE; }
  ReferenceTarget* GetInstance(HWND w, POINT, SClass_ID) override {
    return w == full ? held : nullptr;
  }
  void Drop(ReferenceTarget* m, HWND to, POINT, SClass_ID, DADMgr*, BOOL) override {
    dropped = m;
    droppedOn = to;
  }
};

TEST_F(Controls, DraggingFromAButtonDropsItsMapOnTheButtonUnderThePointer) {
  HWND target = Child(CUSTBUTTONWINDOWCLASS, L"None", 170, 40, 150, 20, 538);
  auto* checker = new CheckerMap;
  Slots slots;
  slots.full = button;
  slots.held = checker;
  for (HWND b : {button, target}) GetICustButton(b)->SetDADMgr(&slots);
  // The drop goes to the window under the pointer: keep ours above the windows of tests that
  // run beside this one on the same display.
  SetWindowPos(parent, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Presses on one button, moves onto the middle of the other and lets go.
  auto drag = [](HWND from, HWND to) {
    RECT r;
    GetWindowRect(to, &r);
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ScreenToClient(from, &at);
    SendMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    SendMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(from, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  };
  TakeNotifications();
  drag(target, button);  // an empty slot drags nothing
  EXPECT_EQ(slots.dropped, nullptr);
  drag(button, target);
  EXPECT_EQ(slots.dropped, checker);
  EXPECT_EQ(slots.droppedOn, target);
  EXPECT_TRUE(TakeNotifications().empty()) << "a drag is no click";
  checker->DeleteThis();
}

TEST_F(Controls, SwatchesShowAndReportTheirColour) {
  IColorSwatch* s = GetIColorSwatch(swatch, RGB(255, 0, 0), L"Color");
  ASSERT_NE(s, nullptr);
  PumpAll();
  EXPECT_EQ(RgbOf(PixelAt(swatch, 25, 10)), RgbOf(RGB(255, 0, 0)));
  TakeNotifications();
  s->SetAColor(AColor(0.0f, 0.5f, 1.0f, 0.25f), TRUE);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, UINT(CC_COLOR_CHANGE));
  EXPECT_EQ(n[0].id, 533);
  EXPECT_EQ(reinterpret_cast<IColorSwatch*>(n[0].lParam), s);
  EXPECT_EQ(s->GetAColor(), AColor(0.0f, 0.5f, 1.0f, 0.25f)) << "all four components";
  EXPECT_EQ(s->GetColor(), RGB(0, 128, 255));
  s->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), FALSE);
  EXPECT_TRUE(TakeNotifications().empty());
  PumpAll();
  EXPECT_EQ(RgbOf(PixelAt(swatch, 25, 10)), RgbOf(RGB(0, 0, 0)));
}

}  // namespace
