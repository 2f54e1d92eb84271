// A Kelvane map's rollout open in the host's material editor panel, as the rollout tests and
// the screenshot use it.
#pragma once
#include <gtest/gtest.h>

#include "custcont.h"
#include "host_mtl_editor.h"
#include "kelvane.h"
#include "kelvane_dlg_proc.h"
#include "module_exports.h"
#include "param_block.h"
#include "ramp_control_messages.h"
#include "resource.h"
#include "ui_test_support.h"

// A new map made the way the host makes one: through the module's class descriptor.
inline Kelvane* NewKelvane() {
  return static_cast<Kelvane*>(static_cast<ReferenceTarget*>(LibClassDesc(0)->Create(FALSE)));
}

class RolloutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1270, 1010);  // off the test windows: no real mouse input reaches them
    SetHeldKeys({});
    panel = MtlEditorPanel::Create(nullptr, 40, 20, 440, 760);
    ASSERT_NE(panel, nullptr);
    map = NewKelvane();
    ASSERT_NE(map, nullptr);
  }
  void TearDown() override {
    panel->Destroy();
    PumpAll();
    map->DeleteMe();
    if (other) other->DeleteMe();
  }
  // Opens the map's rollout in the panel and pumps the queue (the first paint).
  void Open() {
    dlg = panel->Edit(map);
    ASSERT_NE(dlg, nullptr);
    proc = map->dlgProc;
    ASSERT_NE(proc, nullptr);
    page = proc->hWnd;
    ASSERT_NE(page, nullptr);
    PumpAll();
  }
  HWND Item(int id) { return GetDlgItem(page, id); }
  bool Checked(int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
  // Whether a repaint of the ramp control is waiting in the queue; takes them all out.
  bool TakeRedraws() {
    MSG m;
    bool any = false;
    while (PeekMessageW(&m, Item(IDC_RAMP), WM_RAMP_REDRAW, WM_RAMP_REDRAW, PM_REMOVE)) any = true;
    return any;
  }
  RampMarker& Marker(int i) { return map->ramp.markers[size_t(i)]; }
  // Client x of ramp position t in the ramp control.
  int RampX(float t) {
    RECT rc;
    GetClientRect(Item(IDC_RAMP), &rc);
    int h = map->ramp.markerSize / 2;
    int d = (rc.right - h) - h + 1;
    return int(h + t * d + 0.5f);
  }
  // Selects list entry index as a user would: the list changes, then tells the rollout.
  void Choose(int list, int index) {
    SendMessageW(Item(list), CB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), LPARAM(Item(list)));
  }

  MtlEditorPanel* panel = nullptr;
  Kelvane* map = nullptr;
  Kelvane* other = nullptr;
  ParamDlg* dlg = nullptr;
  KelvaneDlgProc* proc = nullptr;
  HWND page = nullptr;
};
