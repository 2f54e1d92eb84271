// The host's custom controls under Wine: real windows of the classes "CustEdit",
// "SpinnerControl", "CustButton" and "ColorSwatch", their interfaces, and what they tell their
// parent window.
#include <gtest/gtest.h>

#include "custcont.h"
#include "editor_test_support.h"
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

TEST(ControlClasses, AreGlobalClassesOfTheHost) {
  for (const wchar_t* cls :
       {CUSTEDITWINDOWCLASS, SPINNERWINDOWCLASS, CUSTBUTTONWINDOWCLASS, COLORSWATCHWINDOWCLASS}) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    // Found without naming the host's instance: any module's dialog can use them.
    EXPECT_TRUE(GetClassInfoExW(nullptr, cls, &wc)) << "class " << cls;
    EXPECT_TRUE(wc.style & CS_GLOBALCLASS);
  }
}

TEST_F(Controls, InterfacesBelongToTheirOwnClassesOnly) {
  EXPECT_NE(GetISpinner(spinner), nullptr);
  EXPECT_EQ(GetISpinner(edit), nullptr);
  EXPECT_NE(GetICustEdit(edit), nullptr);
  EXPECT_EQ(GetICustEdit(button), nullptr);
  EXPECT_NE(GetICustButton(button), nullptr);
  EXPECT_EQ(GetICustButton(swatch), nullptr);
  EXPECT_NE(GetIColorSwatch(swatch), nullptr);
  EXPECT_EQ(GetIColorSwatch(spinner), nullptr);
  EXPECT_EQ(GetISpinner(nullptr), nullptr);
  // The same object for every request: it lives with its window.
  ISpinnerControl* a = GetISpinner(spinner);
  EXPECT_EQ(GetISpinner(spinner), a);
  EXPECT_EQ(a->GetHwnd(), spinner);
  ReleaseISpinner(a);
  EXPECT_EQ(GetISpinner(spinner), a);
}

TEST_F(Controls, LinkedEditShowsTheValueInItsType) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->SetValue(0.05f, FALSE);
  spin->LinkToEdit(edit, EDITTYPE_UNIVERSE);
  EXPECT_EQ(WindowText(edit), L"0.05");
  spin->SetValue(1.0f, FALSE);
  EXPECT_EQ(WindowText(edit), L"1.0");
  spin->SetValue(12.3456f, FALSE);
  EXPECT_EQ(WindowText(edit), L"12.346");
  spin->LinkToEdit(edit, EDITTYPE_INT);
  spin->SetValue(3.6f, FALSE);
  EXPECT_EQ(spin->GetIVal(), 4);
  EXPECT_EQ(WindowText(edit), L"4");
  EXPECT_TRUE(TakeNotifications().empty()) << "notify FALSE sends nothing";
}

TEST_F(Controls, SetValueNotifiesOnlyWhenAsked) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->SetValue(2.5f, TRUE);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(n[0].id, 570);
  EXPECT_EQ(n[0].code, 0) << "not a drag";
  EXPECT_EQ(reinterpret_cast<ISpinnerControl*>(n[0].lParam), spin);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 2.5f);
}

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

TEST_F(Controls, TypedTextReachesTheSpinnerThenTheParent) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->LinkToEdit(edit, EDITTYPE_FLOAT);
  spin->SetLimits(0.0f, 100.0f, FALSE);
  TakeNotifications();
  TypeInto(edit, L"0.2");
  EXPECT_FLOAT_EQ(spin->GetFVal(), 0.2f);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(n[0].id, 570);
  EXPECT_EQ(n[1].msg, UINT(WM_CUSTEDIT_ENTER));
  EXPECT_EQ(n[1].id, 518);
  EXPECT_EQ(n[1].code, 0) << "Return, not a lost focus";
  EXPECT_EQ(HWND(n[1].lParam), edit);
  EXPECT_TRUE(GetICustEdit(edit)->GotReturn());
}

TEST_F(Controls, TextThatIsNoNumberLeavesTheValue) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->LinkToEdit(edit, EDITTYPE_FLOAT);
  spin->SetValue(0.5f, FALSE);
  TakeNotifications();
  TypeInto(edit, L"abc");
  EXPECT_FLOAT_EQ(spin->GetFVal(), 0.5f);
  EXPECT_EQ(WindowText(edit), L"0.5");
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 1u) << "only the edit's own notice";
  EXPECT_EQ(n[0].msg, UINT(WM_CUSTEDIT_ENTER));
}

TEST_F(Controls, AnEditWithoutSpinnerParsesNumbers) {
  ICustEdit* e = GetICustEdit(edit);
  e->SetText(L" 42 ");
  BOOL valid = FALSE;
  EXPECT_EQ(e->GetInt(&valid), 42);
  EXPECT_TRUE(valid);
  e->SetText(L"x");
  e->GetFloat(&valid);
  EXPECT_FALSE(valid);
  e->SetText(2.5f, 2);
  EXPECT_EQ(WindowText(edit), L"2.50");
}

TEST_F(Controls, ClicksOnTheArrowsStepByTheScale) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->LinkToEdit(edit, EDITTYPE_FLOAT);
  spin->SetScale(0.25f);
  spin->SetValue(1.0f, FALSE);
  RECT rc;
  GetClientRect(spinner, &rc);
  ClickAt(spinner, rc.right / 2, 1);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 1.25f);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 3u);
  EXPECT_EQ(n[0].msg, UINT(CC_SPINNER_BUTTONDOWN));
  EXPECT_EQ(n[1].msg, UINT(CC_SPINNER_CHANGE));
  EXPECT_EQ(n[2].msg, UINT(CC_SPINNER_BUTTONUP));
  EXPECT_EQ(n[2].code, 1) << "accepted";
  ClickAt(spinner, rc.right / 2, rc.bottom - 2);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 1.0f);
  EXPECT_EQ(WindowText(edit), L"1.0");
}

TEST_F(Controls, DraggingUpRaisesTheValueAndARightClickCancels) {
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
}

TEST_F(Controls, RightClickSetsTheResetValue) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->SetValue(5.0f, FALSE);
  RightClickAt(spinner, 5, 5);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 0.0f);
  spin->SetResetValue(0.1f);
  spin->SetValue(5.0f, FALSE);
  RightClickAt(spinner, 5, 5);
  EXPECT_FLOAT_EQ(spin->GetFVal(), 0.1f);
}

TEST_F(Controls, DisablingASpinnerDisablesItsEdit) {
  ISpinnerControl* spin = GetISpinner(spinner);
  spin->LinkToEdit(edit, EDITTYPE_FLOAT);
  spin->Enable(FALSE);
  EXPECT_FALSE(IsWindowEnabled(spinner));
  EXPECT_FALSE(IsWindowEnabled(edit));
  EXPECT_FALSE(spin->IsEnabled());
  spin->Enable(TRUE);
  EXPECT_TRUE(IsWindowEnabled(edit));
}

TEST_F(Controls, ButtonsKeepTheirCaptionAndSayWhenClicked) {
  ICustButton* b = GetICustButton(button);
  MSTR text;
  b->GetText(text);
  EXPECT_EQ(std::wstring(text.data()), L"None") << "the template's caption";
  b->SetText(L"Map #1 (Checker)");
  EXPECT_EQ(WindowText(button), L"Map #1 (Checker)");
  TakeNotifications();
  ClickAt(button, 20, 10);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, UINT(WM_COMMAND));
  EXPECT_EQ(n[0].id, 537);
  EXPECT_EQ(n[0].code, BN_CLICKED);
  // A press released outside the button is no click.
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 100));
  EXPECT_TRUE(TakeNotifications().empty());
}

TEST_F(Controls, SwatchesShowAndReportTheirColour) {
  IColorSwatch* s = GetIColorSwatch(swatch, RGB(255, 0, 0), L"Color");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetColor(), RGB(255, 0, 0));
  PumpAll();
  EXPECT_EQ(RgbOf(PixelAt(swatch, 25, 10)), RgbOf(RGB(255, 0, 0)));
  TakeNotifications();
  AColor previous = s->SetAColor(AColor(0.0f, 0.5f, 1.0f, 0.25f), TRUE);
  EXPECT_FLOAT_EQ(previous.r, 1.0f);
  auto n = TakeNotifications();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, UINT(CC_COLOR_CHANGE));
  EXPECT_EQ(n[0].id, 533);
  EXPECT_EQ(reinterpret_cast<IColorSwatch*>(n[0].lParam), s);
  AColor c = s->GetAColor();
  EXPECT_FLOAT_EQ(c.g, 0.5f);
  EXPECT_FLOAT_EQ(c.a, 0.25f) << "all four components";
  EXPECT_EQ(s->GetColor(), RGB(0, 128, 255));
  s->SetAColor(AColor(0.0f, 0.0f, 0.0f, 1.0f), FALSE);
  EXPECT_TRUE(TakeNotifications().empty());
  PumpAll();
  EXPECT_EQ(RgbOf(PixelAt(swatch, 25, 10)), RgbOf(RGB(0, 0, 0)));
}

}  // namespace
