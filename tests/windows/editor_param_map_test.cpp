// Parameter maps, master dialogs, the material editor's panel, the output rollout and the
// map buttons' drag-and-drop manager under Wine, with a test map class whose block description
// names the controls of the test dialog (editor_test_dialog.rc).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "custcont.h"
#include "editor_test_ids.h"
#include "editor_test_support.h"
#include "host_maps.h"
#include "host_mtl_editor.h"
#include "iparamb2.h"
#include "iparamm2.h"

namespace {

enum : ParamID { tp_float = 0, tp_int = 1, tp_check = 2, tp_radio = 3 };
const Class_ID kTestMapClass(0x7e57ab1e, 0x0ddba11);

class TestMapDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL = FALSE) override;
  const MCHAR* ClassName() override { return L"Test map"; }
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  Class_ID ClassID() override { return kTestMapClass; }
  const MCHAR* Category() override { return L""; }
  HINSTANCE HInstance() override { return GetModuleHandleW(nullptr); }
};
TestMapDesc testMapDesc;

// clang-format off
ParamBlockDesc2 testBlock(
    0, L"test", 0, &testMapDesc, P_AUTO_CONSTRUCT + P_AUTO_UI, 0,
    IDD_TEST_MAP, IDS_TEST_TITLE, 0, 0, nullptr,
    tp_float, L"float", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.5f, p_range, 0.0f, 10.0f,
        p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, IDC_T_FLOAT_EDIT, IDC_T_FLOAT_SPIN, 0.1f, p_end,
    tp_int, L"int", TYPE_INT, 0, 0,
        p_default, 3, p_range, 1, 100,
        p_ui, TYPE_SPINNER, EDITTYPE_INT, IDC_T_INT_EDIT, IDC_T_INT_SPIN, 1.0f, p_end,
    tp_check, L"check", TYPE_BOOL, 0, 0,
        p_default, TRUE, p_ui, TYPE_SINGLECHECKBOX, IDC_T_CHECK, p_end,
    tp_radio, L"radio", TYPE_INT, 0, 0,
        p_default, 1, p_range, 0, 2,
        p_ui, TYPE_RADIO, 3, IDC_T_RADIO_A, IDC_T_RADIO_B, IDC_T_RADIO_C, p_end,
    p_end);
// clang-format on

class TestMap;

// The test's dialog facet for the map buttons: button 1 is sub-map 0, button 2 sub-map 1.
class TestButtonsDlg : public ParamDlg {
 public:
  TestMap* map = nullptr;
  HWND hWnd = nullptr;
  Class_ID ClassID() override { return kTestMapClass; }
  void SetThing(ReferenceTarget*) override {}
  ReferenceTarget* GetThing() override;
  void SetTime(TimeValue) override {}
  void ReloadDialog() override {}
  void DeleteThis() override {}
  void ActivateDlg(BOOL) override {}
  int FindSubTexFromHWND(HWND w) override {
    if (w && w == GetDlgItem(hWnd, IDC_T_MAP1)) return 0;
    if (w && w == GetDlgItem(hWnd, IDC_T_MAP2)) return 1;
    return -1;
  }
};

// Records what the parameter map passes on, and what the bound controls showed when
// WM_INITDIALOG arrived.
class TestUserProc : public ParamMap2UserDlgProc {
 public:
  explicit TestUserProc(TestMap* m) {
    buttons.map = m;
    last = this;
    deleted = false;
  }
  INT_PTR DlgProc(TimeValue, IParamMap2*, HWND hWnd, UINT msg, WPARAM, LPARAM) override {
    messages.push_back(msg);
    if (msg == WM_INITDIALOG) {
      buttons.hWnd = hWnd;
      initFloat = GetISpinner(GetDlgItem(hWnd, IDC_T_FLOAT_SPIN))->GetFVal();
      initCheck = IsDlgButtonChecked(hWnd, IDC_T_CHECK) == BST_CHECKED;
      initRadioC = IsDlgButtonChecked(hWnd, IDC_T_RADIO_C) == BST_CHECKED;
      GetICustButton(GetDlgItem(hWnd, IDC_T_MAP1))->SetDADMgr(&dad);
      GetICustButton(GetDlgItem(hWnd, IDC_T_MAP2))->SetDADMgr(&dad);
      return TRUE;
    }
    return FALSE;
  }
  void DeleteThis() override {
    if (last == this) last = nullptr;
    deleted = true;
    delete this;
  }
  void SetThing(ReferenceTarget* m) override { thing = m; }

  std::vector<UINT> messages;
  float initFloat = -1.0f;
  bool initCheck = false;
  bool initRadioC = false;
  ReferenceTarget* thing = nullptr;
  TestButtonsDlg buttons;
  TexDADMgr dad{&buttons};

  static TestUserProc* last;
  static bool deleted;
};
TestUserProc* TestUserProc::last = nullptr;
bool TestUserProc::deleted = false;

class TestMap : public Texmap {
 public:
  TestMap() { testMapDesc.MakeAutoParamBlocks(this); }
  IParamBlock2* pblock = nullptr;
  Texmap* maps[2] = {nullptr, nullptr};

  AColor EvalColor(ShadeContext&) override { return AColor(0.0f, 0.0f, 0.0f, 1.0f); }
  Point3 EvalNormalPerturb(ShadeContext&) override { return Point3(0.0f, 0.0f, 0.0f); }
  void Update(TimeValue, Interval&) override {}
  void Reset() override {}
  Interval Validity(TimeValue) override { return FOREVER; }
  ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override {
    IAutoMParamDlg* master = testMapDesc.CreateParamDlgs(hwMtlEdit, imp, this);
    testBlock.SetUserDlgProc(new TestUserProc(this));
    return master;
  }
  Class_ID ClassID() override { return kTestMapClass; }
  int NumRefs() override { return 3; }
  RefTargetHandle GetReference(int i) override {
    if (i == 0) return pblock;
    return i > 0 && i < 3 ? maps[i - 1] : nullptr;
  }
  int NumSubTexmaps() override { return 2; }
  Texmap* GetSubTexmap(int i) override { return i >= 0 && i < 2 ? maps[i] : nullptr; }
  void SetSubTexmap(int i, Texmap* m) override {
    if (i >= 0 && i < 2) ReplaceReference(i + 1, m);
  }
  IParamBlock2* GetParamBlockByID(BlockID id) override { return id == 0 ? pblock : nullptr; }
  RefTargetHandle Clone(RemapDir&) override { return nullptr; }

 protected:
  void SetReference(int i, RefTargetHandle r) override {
    if (i == 0) pblock = static_cast<IParamBlock2*>(r);
    if (i == 1 || i == 2) maps[i - 1] = static_cast<Texmap*>(r);
  }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
};

void* TestMapDesc::Create(BOOL) {
  return new TestMap;
}

ReferenceTarget* TestButtonsDlg::GetThing() {
  return map;
}

class ParamMaps : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1270, 1010);
    // Clear of the other test programs' windows: a drop finds its target with WindowFromPoint.
    panel = MtlEditorPanel::Create(nullptr, 820, 20, 380, 420);
    ASSERT_NE(panel, nullptr);
    map = new TestMap;
    ASSERT_NE(map->pblock, nullptr);
  }
  void TearDown() override {
    panel->Destroy();
    PumpAll();
    map->DeleteMe();
    if (other) other->DeleteMe();
  }
  HWND Page() { return panel->GetRollupPage(0); }
  HWND Item(int id) { return GetDlgItem(Page(), id); }

  MtlEditorPanel* panel = nullptr;
  TestMap* map = nullptr;
  TestMap* other = nullptr;
};

TEST_F(ParamMaps, LoadTheControlsBeforeTheUserProcSeesInitDialog) {
  map->pblock->SetValue(tp_float, 0, 0.75f);
  map->pblock->SetValue(tp_int, 0, 7);
  map->pblock->SetValue(tp_check, 0, 0);
  map->pblock->SetValue(tp_radio, 0, 2);
  ParamDlg* dlg = panel->Edit(map);
  ASSERT_NE(dlg, nullptr);
  PumpAll();
  ASSERT_EQ(panel->NumRollupPages(), 1);
  TestUserProc* user = TestUserProc::last;
  ASSERT_NE(user, nullptr);
  ASSERT_FALSE(user->messages.empty());
  EXPECT_EQ(user->messages.front(), UINT(WM_INITDIALOG))
      << "a handler attached after the page was made starts with WM_INITDIALOG";
  EXPECT_FLOAT_EQ(user->initFloat, 0.75f);
  EXPECT_FALSE(user->initCheck);
  EXPECT_TRUE(user->initRadioC);
  EXPECT_EQ(WindowText(Item(IDC_T_FLOAT_EDIT)), L"0.75");
  EXPECT_EQ(WindowText(Item(IDC_T_INT_EDIT)), L"7");
  EXPECT_EQ(IsDlgButtonChecked(Page(), IDC_T_RADIO_B), UINT(BST_UNCHECKED));
  // Ranges and scale from the description.
  ISpinnerControl* spin = GetISpinner(Item(IDC_T_INT_SPIN));
  TypeInto(Item(IDC_T_INT_EDIT), L"500");
  EXPECT_EQ(spin->GetIVal(), 100);
  EXPECT_EQ(testMapDesc.GetMParamDlg(), dlg);
  EXPECT_EQ(testMapDesc.GetParamMap(0)->GetHWnd(), Page());
  EXPECT_EQ(testMapDesc.GetParamMap(&testBlock, 0)->GetUserDlgProc(), user);
}

TEST_F(ParamMaps, WriteTheUsersEditsIntoTheBlock) {
  panel->Edit(map);
  PumpAll();
  TypeInto(Item(IDC_T_FLOAT_EDIT), L"2.5");
  EXPECT_FLOAT_EQ(map->pblock->GetFloat(tp_float), 2.5f);
  TypeInto(Item(IDC_T_INT_EDIT), L"500");
  EXPECT_EQ(map->pblock->GetInt(tp_int), 100) << "the spinner keeps the range";
  SendMessageW(Item(IDC_T_CHECK), BM_CLICK, 0, 0);
  EXPECT_EQ(map->pblock->GetInt(tp_check), 0);
  SendMessageW(Item(IDC_T_RADIO_A), BM_CLICK, 0, 0);
  EXPECT_EQ(map->pblock->GetInt(tp_radio), 0);
  SendMessageW(Item(IDC_T_RADIO_C), BM_CLICK, 0, 0);
  EXPECT_EQ(map->pblock->GetInt(tp_radio), 2);
  // A drag on the spinner writes every step.
  ISpinnerControl* spin = GetISpinner(Item(IDC_T_FLOAT_SPIN));
  SendMessageW(spin->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 8));
  SendMessageW(spin->GetHwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(spin->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_NEAR(map->pblock->GetFloat(tp_float), 3.0f, 1e-5f);
}

TEST_F(ParamMaps, FollowChangesOfTheBlock) {
  panel->Edit(map);
  PumpAll();
  map->pblock->SetValue(tp_float, 0, 3.0f);
  EXPECT_EQ(WindowText(Item(IDC_T_FLOAT_EDIT)), L"3.0");
  map->pblock->SetValue(tp_check, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(Page(), IDC_T_CHECK), UINT(BST_UNCHECKED));
  map->pblock->SetValue(tp_radio, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(Page(), IDC_T_RADIO_A), UINT(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(Page(), IDC_T_RADIO_B), UINT(BST_UNCHECKED));
  map->pblock->ResetAll();
  EXPECT_EQ(WindowText(Item(IDC_T_FLOAT_EDIT)), L"0.5");
  EXPECT_EQ(IsDlgButtonChecked(Page(), IDC_T_CHECK), UINT(BST_CHECKED));
}

TEST_F(ParamMaps, ShowAnotherObjectOfTheClassAfterSetThing) {
  other = new TestMap;
  other->pblock->SetValue(tp_float, 0, 9.0f);
  ParamDlg* dlg = panel->Edit(map);
  PumpAll();
  TestUserProc* user = TestUserProc::last;
  EXPECT_EQ(panel->Edit(other), dlg) << "the editor reuses the dialog of the class";
  EXPECT_EQ(user->thing, other);
  EXPECT_EQ(dlg->GetThing(), other);
  EXPECT_EQ(WindowText(Item(IDC_T_FLOAT_EDIT)), L"9.0");
  TypeInto(Item(IDC_T_FLOAT_EDIT), L"1.5");
  EXPECT_FLOAT_EQ(other->pblock->GetFloat(tp_float), 1.5f);
  EXPECT_FLOAT_EQ(map->pblock->GetFloat(tp_float), 0.5f);
  map->pblock->SetValue(tp_float, 0, 4.0f);
  EXPECT_EQ(WindowText(Item(IDC_T_FLOAT_EDIT)), L"1.5") << "the old block no longer drives it";
}

TEST_F(ParamMaps, DeleteTheirUserProcWhenTheDialogGoes) {
  panel->Edit(map);
  PumpAll();
  TestUserProc* user = TestUserProc::last;
  ASSERT_NE(user, nullptr);
  HWND page = Page();
  panel->Close();
  EXPECT_TRUE(TestUserProc::deleted);
  EXPECT_FALSE(IsWindow(page));
  EXPECT_EQ(panel->NumRollupPages(), 0);
  EXPECT_EQ(testBlock.GetUserDlgProc(0), nullptr) << "the next map must not get a deleted one";
  EXPECT_EQ(testMapDesc.GetMParamDlg(), nullptr);
  // The block no longer reaches a map.
  map->pblock->SetValue(tp_float, 0, 2.0f);
  // A second opening works the same.
  panel->Edit(map);
  PumpAll();
  ASSERT_NE(TestUserProc::last, nullptr);
  EXPECT_FLOAT_EQ(TestUserProc::last->initFloat, 2.0f);
}

TEST_F(ParamMaps, TheUserProcSeesEveryMessageOfThePage) {
  panel->Edit(map);
  PumpAll();
  TestUserProc* user = TestUserProc::last;
  user->messages.clear();
  SendMessageW(Item(IDC_T_CHECK), BM_CLICK, 0, 0);
  TypeInto(Item(IDC_T_FLOAT_EDIT), L"1");
  std::vector<UINT> seen = user->messages;
  auto count = [&](UINT m) { return std::count(seen.begin(), seen.end(), m); };
  EXPECT_GE(count(WM_COMMAND), 1);
  EXPECT_EQ(count(CC_SPINNER_CHANGE), 1);
  EXPECT_EQ(count(WM_CUSTEDIT_ENTER), 1);
  user->messages.clear();
  HWND page = Page();
  panel->Close();
  (void)page;
}

TEST_F(ParamMaps, MasterDialogHoldsSecondaryDialogsAndDeletesThem) {
  auto* master = static_cast<IAutoMParamDlg*>(panel->Edit(map));
  PumpAll();
  TextureOutput* out = GetNewDefaultTextureOutput();
  ParamDlg* outDlg = out->CreateParamDlg(panel->GetHWnd(), panel);
  ASSERT_NE(outDlg, nullptr);
  master->AddDlg(outDlg);
  EXPECT_EQ(master->NumDlgs(), 1);
  EXPECT_EQ(master->GetDlg(0), outDlg);
  EXPECT_EQ(panel->NumRollupPages(), 2);
  master->MtlChanged();
  EXPECT_EQ(panel->MtlChangedCount(), 1);
  panel->Close();
  EXPECT_EQ(panel->NumRollupPages(), 0);
  out->MaybeAutoDelete();
}

TEST_F(ParamMaps, PanelStacksPagesUnderCaptionsAndKeepsTheTime) {
  panel->SetTime(320);
  EXPECT_EQ(panel->GetTime(), 320);
  panel->Edit(map);
  PumpAll();
  RECT page;
  GetWindowRect(Page(), &page);
  POINT origin = {0, 0};
  ClientToScreen(panel->GetHWnd(), &origin);
  EXPECT_EQ(page.top - origin.y, 3 + panel->CaptionHeight());
  // Clicking a map button tells the editor window.
  PostMessageW(panel->GetHWnd(), WM_TEXMAP_BUTTON, 1, LPARAM(map));
  PumpAll();
  ASSERT_EQ(panel->NumTexmapButtons(), 1);
  EXPECT_EQ(panel->GetTexmapButton(0).subMap, 1);
  EXPECT_EQ(panel->GetTexmapButton(0).owner, map);
}

TEST_F(ParamMaps, OutputRolloutEditsTheOutputItShows) {
  TextureOutput* out = GetNewDefaultTextureOutput();
  TextureOutput* out2 = GetNewDefaultTextureOutput();
  out2->SetOutputLevel(0, 2.0f);
  ParamDlg* dlg = out->CreateParamDlg(panel->GetHWnd(), panel);
  ASSERT_NE(dlg, nullptr);
  PumpAll();
  HWND page = Page();
  // Control IDs of host.dll's output rollout (host/src/editor/host_editor_resource.h).
  constexpr int kInvert = 3010, kAmountEdit = 3011;
  EXPECT_EQ(WindowText(GetDlgItem(page, kAmountEdit)), L"1.0");
  TypeInto(GetDlgItem(page, kAmountEdit), L"0.5");
  EXPECT_FLOAT_EQ(out->GetOutputLevel(0), 0.5f);
  SendMessageW(GetDlgItem(page, kInvert), BM_CLICK, 0, 0);
  EXPECT_TRUE(out->GetInvert());
  EXPECT_EQ(dlg->GetThing(), out);
  dlg->SetThing(out2);
  EXPECT_EQ(WindowText(GetDlgItem(page, kAmountEdit)), L"2.0");
  EXPECT_EQ(IsDlgButtonChecked(page, kInvert), UINT(BST_UNCHECKED));
  TypeInto(GetDlgItem(page, kAmountEdit), L"3");
  EXPECT_FLOAT_EQ(out2->GetOutputLevel(0), 3.0f);
  EXPECT_FLOAT_EQ(out->GetOutputLevel(0), 0.5f);
  dlg->SetThing(map);  // not an output: ignored
  EXPECT_EQ(dlg->GetThing(), out2);
  dlg->DeleteThis();
  EXPECT_EQ(panel->NumRollupPages(), 0);
  out->MaybeAutoDelete();
  out2->MaybeAutoDelete();
}

class MapButtons : public ParamMaps {
 protected:
  void SetUp() override {
    ParamMaps::SetUp();
    checker = new CheckerMap;
    map->SetSubTexmap(0, checker);
    panel->Edit(map);
    PumpAll();
    user = TestUserProc::last;
    ASSERT_NE(user, nullptr);
  }
  CheckerMap* checker = nullptr;
  TestUserProc* user = nullptr;
  POINT p = {5, 5};
};

TEST_F(MapButtons, ManagerAnswersForTheDialogsSubMaps) {
  TexDADMgr& dad = user->dad;
  EXPECT_EQ(dad.GetDragType(Item(IDC_T_MAP1), p), SClass_ID(TEXMAP_CLASS_ID));
  EXPECT_EQ(dad.SlotOwner(), OWNER_MTL_TEX);
  EXPECT_TRUE(dad.AutoTooltip());
  EXPECT_EQ(dad.GetInstance(Item(IDC_T_MAP1), p, TEXMAP_CLASS_ID), checker);
  EXPECT_EQ(dad.GetInstance(Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID), nullptr);
  EXPECT_EQ(dad.GetInstance(Item(IDC_T_OTHER), p, TEXMAP_CLASS_ID), nullptr);
  EXPECT_EQ(dad.GetInstance(Item(IDC_T_MAP1), p, MATERIAL_CLASS_ID), nullptr);
  EXPECT_TRUE(dad.OkToDrop(checker, Item(IDC_T_MAP1), Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, Item(IDC_T_MAP2), Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, Item(IDC_T_MAP1), Item(IDC_T_OTHER), p, TEXMAP_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(checker, Item(IDC_T_MAP1), Item(IDC_T_MAP2), p, MATERIAL_CLASS_ID));
  EXPECT_FALSE(dad.OkToDrop(map, Item(IDC_T_MAP1), Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID))
      << "a map into itself";
  // A map that already holds the edited one would close a loop.
  other = new TestMap;
  other->SetSubTexmap(0, map);
  EXPECT_FALSE(dad.OkToDrop(other, nullptr, Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID));
}

TEST_F(MapButtons, DropAssignsAnInstanceOrACopy) {
  TexDADMgr& dad = user->dad;
  auto* constant = new ConstantColorMap;
  dad.Drop(constant, Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID);
  EXPECT_EQ(map->GetSubTexmap(1), constant);
  dad.Drop(checker, Item(IDC_T_MAP2), p, TEXMAP_CLASS_ID, nullptr, TRUE);
  ASSERT_NE(map->GetSubTexmap(1), nullptr);
  EXPECT_NE(map->GetSubTexmap(1), checker);
  EXPECT_EQ(map->GetSubTexmap(1)->ClassID(), checker->ClassID());
}

TEST_F(MapButtons, DraggingBetweenTwoButtonsOfTheDialogInstancesTheMap) {
  HWND from = Item(IDC_T_MAP1), to = Item(IDC_T_MAP2);
  RECT a, b;
  GetWindowRect(from, &a);
  GetWindowRect(to, &b);
  POINT target = {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  ScreenToClient(from, &target);
  TakeNotifications();
  SendMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  SendMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target.x, target.y));
  SendMessageW(from, WM_LBUTTONUP, 0, MAKELPARAM(target.x, target.y));
  EXPECT_EQ(map->GetSubTexmap(1), checker);
  EXPECT_EQ(map->GetSubTexmap(0), checker) << "the source keeps its map";
  EXPECT_EQ(std::count(user->messages.begin(), user->messages.end(), UINT(WM_COMMAND)), 0)
      << "a drag is no click";
}

TEST_F(MapButtons, DraggingAnEmptySlotDragsNothing) {
  HWND from = Item(IDC_T_MAP2), to = Item(IDC_T_MAP1);
  RECT b;
  GetWindowRect(to, &b);
  POINT target = {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  ScreenToClient(from, &target);
  SendMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  SendMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target.x, target.y));
  SendMessageW(from, WM_LBUTTONUP, 0, MAKELPARAM(target.x, target.y));
  EXPECT_EQ(map->GetSubTexmap(0), checker);
}

}  // namespace
