#pragma once
// The material editor as the application offers it to the dialogs of materials and maps: a
// window that stacks their rollup pages, each under a caption bar, and that receives their
// map-button messages; and the IMtlParams interface the dialogs call. Not an SDK header:
// programs and tests that stand in for the application use it. Windows only.
#include "imtl.h"

#if defined(_WIN32)
class CoreExport MtlEditorPanel : public IMtlParams {
 public:
  // A panel window with the given outer rectangle, a child of parent, or a top-level window
  // when parent is null. Shown at once.
  static MtlEditorPanel* Create(HWND parent, int x, int y, int width, int height);
  // Closes the open dialog, then destroys the window and the panel.
  void Destroy();

  // The material editor window: what a dialog's owner gets as hwMtlEdit.
  HWND GetHWnd();

  // Shows mtl: an open dialog of the same class takes it (SetThing), as the editor reuses its
  // rollouts for another object of the class; otherwise the open dialog is deleted and mtl's
  // CreateParamDlg makes a new one. Returns the open dialog, null if mtl has none.
  ParamDlg* Edit(MtlBase* mtl);
  // Deletes the open dialog (ParamDlg::DeleteThis), which closes its rollup pages.
  void Close();
  ParamDlg* GetParamDlg();
  MtlBase* GetEdited();

  // The editor's time: the open dialog is told (ParamDlg::SetTime).
  void SetTime(TimeValue t);
  // How often a dialog has called MtlChanged.
  int MtlChangedCount();

  // The rollup pages, top to bottom; a page's caption bar is the strip above its dialog.
  int NumRollupPages();
  HWND GetRollupPage(int i);
  int CaptionHeight();

  // WM_TEXMAP_BUTTON messages the window received, in order: the sub-map number and the
  // object that owns the button. An application may also be told of each at once.
  struct TexmapButton {
    int subMap;
    ReferenceTarget* owner;
  };
  int NumTexmapButtons();
  TexmapButton GetTexmapButton(int i);
  void ClearTexmapButtons();
  typedef void (*TexmapButtonHandler)(MtlEditorPanel* panel, ReferenceTarget* owner, int subMap,
                                      void* context);
  void SetTexmapButtonHandler(TexmapButtonHandler handler, void* context);

  // IMtlParams.
  void MtlChanged() override;
  HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc, const MCHAR* title,
                     LPARAM param = 0, DWORD flags = 0,
                     int category = ROLLUP_CAT_STANDARD) override;
  void DeleteRollupPage(HWND hRollup) override;
  HWND ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                         DLGPROC dlgProc, const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                         int category = ROLLUP_CAT_STANDARD) override;
  TimeValue GetTime() override;
  IRollupWindow* GetMtlEditorRollup() override { return nullptr; }
  BOOL IsRollupPanelOpen(HWND hwnd) override;
  int GetRollupScrollPos() override;
  void SetRollupScrollPos(int spos) override;

 private:
  MtlEditorPanel() = default;
  ~MtlEditorPanel() override;
  friend struct PanelWindow;
  struct PanelData* data = nullptr;
};
#endif
