// The host's HSV colour picker: a real modal dialog, answered through the host's hook the way
// a user would answer it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host_hsv_dialog.h"
#include "ui_test_support.h"

namespace {

struct Answer {
  std::function<void(HWND)> act;
  std::wstring title;
  bool sawDialog = false;
};

void Respond(HWND dialog, const MCHAR* title, void* context) {
  auto* a = static_cast<Answer*>(context);
  a->title = title;
  wchar_t name[64] = {};
  GetClassNameW(dialog, name, 64);
  a->sawDialog = std::wstring(name) == L"#32770" && IsWindowVisible(dialog);
  a->act(dialog);
}

UINT Number(HWND dialog, int id) {
  return GetDlgItemInt(dialog, id, nullptr, FALSE);
}

void Press(HWND dialog, int id) {
  SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

class HSVDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = CreateTestParent(200, 100);
    SetHSVDialogHook(Respond, &answer);
  }
  void TearDown() override {
    SetHSVDialogHook(nullptr, nullptr);
    DestroyWindow(owner);
    PumpMessages();
  }
  HWND owner = nullptr;
  Answer answer;
};

}  // namespace

TEST_F(HSVDialog, ShowsTheColourAndOkStoresWhatWasTyped) {
  AColor color(1.0f, 0.0f, 0.0f, 0.25f);
  bool ownerEnabled = true;
  answer.act = [&](HWND dialog) {
    ownerEnabled = IsWindowEnabled(owner) != FALSE;
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
    EXPECT_EQ(Number(dialog, HSVDLG_RED), 255u);
    // The ramp control's tests type RGB; HSV is the stand-in's own and not relied on.
    SetDlgItemInt(dialog, HSVDLG_RED, 128, FALSE);
    SetDlgItemInt(dialog, HSVDLG_GREEN, 128, FALSE);
    SetDlgItemInt(dialog, HSVDLG_BLUE, 64, FALSE);
    Press(dialog, IDOK);
  };
  EXPECT_EQ(HSVDlg_Do(owner, &color, nullptr, nullptr, L"Pick one"), TRUE);
  EXPECT_TRUE(answer.sawDialog);
  EXPECT_EQ(answer.title, L"Pick one");
  EXPECT_FALSE(ownerEnabled);  // modal
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(color, AColor(128.0f / 255.0f, 128.0f / 255.0f, 64.0f / 255.0f, 0.25f));
}

TEST_F(HSVDialog, CancelOrCloseLeavesTheColour) {
  for (bool close : {false, true}) {
    AColor color(0.2f, 0.3f, 0.4f, 1.0f);
    answer.act = [close](HWND dialog) {
      SetDlgItemInt(dialog, HSVDLG_GREEN, 200, FALSE);
      if (close)
        SendMessageW(dialog, WM_CLOSE, 0, 0);
      else
        Press(dialog, IDCANCEL);
    };
    EXPECT_EQ(HSVDlg_Do(owner, &color, nullptr, nullptr, L"Other"), FALSE);
    EXPECT_EQ(color, AColor(0.2f, 0.3f, 0.4f, 1.0f));
  }
}

TEST_F(HSVDialog, AnUntouchedColourComesBackExactly) {
  AColor color(0.328f, 0.1234f, 0.9876f, 0.5f);
  answer.act = [](HWND dialog) {
    EXPECT_EQ(Number(dialog, HSVDLG_RED), 84u);  // shown rounded
    Press(dialog, IDOK);
  };
  EXPECT_EQ(HSVDlg_Do(owner, &color, nullptr, nullptr, L""), TRUE);
  EXPECT_EQ(color, AColor(0.328f, 0.1234f, 0.9876f, 0.5f));
}
