// The "Output" rollout of the host's default output filter: invert, output amount, RGB offset
// and RGB level. It edits the filter it is given and follows SetThing to another one.
#include "../std_texture_output.h"
#include "editor_internal.h"
#include "host_editor_resource.h"

namespace {

class StdOutputDlg final : public ParamDlg {
 public:
  StdOutputDlg(StdTextureOutput* o, IMtlParams* ip) : out(o), imp(ip), outputClass(o->ClassID()) {}

  StdTextureOutput* out;
  IMtlParams* imp;
  Class_ID outputClass;
  HWND hwnd = nullptr;

  Class_ID ClassID() override { return outputClass; }
  void SetThing(ReferenceTarget* m) override {
    if (!m || m->SuperClassID() != TEXOUTPUT_CLASS_ID || m->ClassID() != outputClass) return;
    out = static_cast<StdTextureOutput*>(m);
    Load();
  }
  ReferenceTarget* GetThing() override { return out; }
  void SetTime(TimeValue) override {}
  void ReloadDialog() override { Load(); }
  void DeleteThis() override {
    HWND page = hwnd;
    hwnd = nullptr;
    if (page && imp) imp->DeleteRollupPage(page);
    if (page && IsWindow(page)) DestroyWindow(page);
    delete this;
  }
  void ActivateDlg(BOOL) override {}

  ISpinnerControl* Spinner(int id) { return GetISpinner(GetDlgItem(hwnd, id)); }

  void Init() {
    struct {
      int edit, spin;
      float lo, hi;
    } spinners[] = {{IDC_OUT_AMOUNT_EDIT, IDC_OUT_AMOUNT_SPIN, 0.0f, 1000000.0f},
                    {IDC_OUT_OFFSET_EDIT, IDC_OUT_OFFSET_SPIN, -1000000.0f, 1000000.0f},
                    {IDC_OUT_LEVEL_EDIT, IDC_OUT_LEVEL_SPIN, -1000000.0f, 1000000.0f}};
    for (const auto& s : spinners)
      if (ISpinnerControl* spin = Spinner(s.spin)) {
        spin->LinkToEdit(GetDlgItem(hwnd, s.edit), EDITTYPE_FLOAT);
        spin->SetLimits(s.lo, s.hi, FALSE);
        spin->SetScale(0.01f);
      }
    Load();
  }

  void Load() {
    if (!hwnd || !out) return;
    CheckDlgButton(hwnd, IDC_OUT_INVERT, out->invert ? BST_CHECKED : BST_UNCHECKED);
    if (ISpinnerControl* s = Spinner(IDC_OUT_AMOUNT_SPIN)) s->SetValue(out->outputAmount, FALSE);
    if (ISpinnerControl* s = Spinner(IDC_OUT_OFFSET_SPIN)) s->SetValue(out->rgbOffset, FALSE);
    if (ISpinnerControl* s = Spinner(IDC_OUT_LEVEL_SPIN)) s->SetValue(out->rgbLevel, FALSE);
  }

  void Changed() {
    out->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    if (imp) imp->MtlChanged();
  }

  static INT_PTR CALLBACK Proc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    StdOutputDlg* dlg = nullptr;
    if (msg == WM_INITDIALOG) {
      dlg = reinterpret_cast<StdOutputDlg*>(lParam);
      SetWindowLongPtrW(hDlg, DWLP_USER, LONG_PTR(dlg));
      dlg->hwnd = hDlg;
      dlg->Init();
      return TRUE;
    }
    dlg = reinterpret_cast<StdOutputDlg*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (!dlg || !dlg->out) return FALSE;
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wParam) == IDC_OUT_INVERT && HIWORD(wParam) == BN_CLICKED) {
          dlg->out->invert = IsDlgButtonChecked(hDlg, IDC_OUT_INVERT) == BST_CHECKED;
          dlg->Changed();
        }
        break;
      case CC_SPINNER_CHANGE: {
        auto* spin = reinterpret_cast<ISpinnerControl*>(lParam);
        if (!spin) break;
        switch (LOWORD(wParam)) {
          case IDC_OUT_AMOUNT_SPIN:
            dlg->out->outputAmount = spin->GetFVal();
            break;
          case IDC_OUT_OFFSET_SPIN:
            dlg->out->rgbOffset = spin->GetFVal();
            break;
          case IDC_OUT_LEVEL_SPIN:
            dlg->out->rgbLevel = spin->GetFVal();
            break;
          default:
            return FALSE;
        }
        dlg->Changed();
        break;
      }
      case WM_NCDESTROY:
        SetWindowLongPtrW(hDlg, DWLP_USER, 0);
        dlg->hwnd = nullptr;
        break;
    }
    return FALSE;
  }
};

}  // namespace

ParamDlg* StdTextureOutput::CreateParamDlg(HWND, IMtlParams* imp) {
  if (!imp) return nullptr;
  auto* dlg = new StdOutputDlg(this, imp);
  HWND page = imp->AddRollupPage(editor::HostInstance(), MAKEINTRESOURCEW(IDD_HOST_OUTPUT),
                                 StdOutputDlg::Proc, L"Output", LPARAM(dlg));
  if (!page) {
    delete dlg;
    return nullptr;
  }
  return dlg;
}
