// The native build has no material editor: the map makes no dialog and keeps no rollout.
#include "texmap_test_support.h"

#if !defined(_WIN32)
TEST(KelvaneWithoutEditor, CreateParamDlgReturnsNullAndChangesNothing) {
  Kelvane* map = NewKelvane();
  HWND editor = reinterpret_cast<HWND>(INT_PTR(0x1234));
  EXPECT_EQ(map->CreateParamDlg(editor, nullptr), nullptr);
  EXPECT_EQ(map->dlgProc, nullptr);
  EXPECT_EQ(map->hwMtlEdit, nullptr);
  EXPECT_EQ(map->NumRefs(), 9);
  EXPECT_EQ(map->pblock->Count(pb_marker_map), 6);
  EXPECT_FALSE(map->SetDlgThing(nullptr));
  // Sub-map assignments have no rollout to refresh.
  map->SetSubTexmap(0, NewColorMap(AColor(1.0f, 0.0f, 0.0f, 1.0f)));
  EXPECT_NE(map->GetSubTexmap(0), nullptr);
  map->DeleteMe();
}
#endif
