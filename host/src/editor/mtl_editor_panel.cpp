// The material editor's panel: rollup pages stacked top to bottom under caption bars, in the
// order of their categories, scrolled as one column.
#include <algorithm>
#include <string>
#include <vector>

#include "editor_internal.h"
#include "host_mtl_editor.h"

namespace {

constexpr wchar_t kPanelClass[] = L"HostMtlEditorPanel";
constexpr int kMargin = 3;
constexpr int kCaption = 16;
constexpr int kGap = 4;

struct Page {
  HWND dlg;
  std::wstring title;
  int category;
  int captionTop = 0;  // client y of its caption bar
};

}  // namespace

struct PanelData {
  HWND hwnd = nullptr;
  std::vector<Page> pages;
  ParamDlg* dlg = nullptr;
  MtlBase* edited = nullptr;
  TimeValue time = 0;
  int mtlChanged = 0;
  int scroll = 0;
  int contentHeight = 0;
  std::vector<MtlEditorPanel::TexmapButton> buttons;
  MtlEditorPanel::TexmapButtonHandler handler = nullptr;
  void* context = nullptr;
};

struct PanelWindow {
  static MtlEditorPanel* Of(HWND hwnd) {
    return reinterpret_cast<MtlEditorPanel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }

  static void Layout(MtlEditorPanel* panel) {
    PanelData& d = *panel->data;
    int y = kMargin - d.scroll;
    for (Page& page : d.pages) {
      page.captionTop = y;
      y += kCaption;
      RECT rc;
      GetWindowRect(page.dlg, &rc);
      SetWindowPos(page.dlg, nullptr, kMargin, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      y += (rc.bottom - rc.top) + kGap;
    }
    d.contentHeight = y + d.scroll + kMargin;
    RECT client;
    GetClientRect(d.hwnd, &client);
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = d.contentHeight > 0 ? d.contentHeight - 1 : 0;
    si.nPage = UINT(client.bottom);
    si.nPos = d.scroll;
    SetScrollInfo(d.hwnd, SB_VERT, &si, TRUE);
    InvalidateRect(d.hwnd, nullptr, TRUE);
  }

  static void ScrollTo(MtlEditorPanel* panel, int pos) {
    PanelData& d = *panel->data;
    RECT client;
    GetClientRect(d.hwnd, &client);
    int most = std::max(0, d.contentHeight - int(client.bottom));
    d.scroll = std::clamp(pos, 0, most);
    Layout(panel);
  }

  static void Paint(MtlEditorPanel* panel, HDC dc) {
    PanelData& d = *panel->data;
    RECT client;
    GetClientRect(d.hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const Page& page : d.pages) {
      RECT rc;
      GetWindowRect(page.dlg, &rc);
      RECT bar = {kMargin, page.captionTop, kMargin + (rc.right - rc.left),
                  page.captionTop + kCaption - 1};
      FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &bar, EDGE_RAISED, BF_RECT);
      std::wstring text = L"- " + page.title;
      DrawTextW(dc, text.c_str(), -1, &bar, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MtlEditorPanel* panel = Of(hwnd);
    switch (msg) {
      case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(cs->lpCreateParams));
        break;
      }
      case WM_TEXMAP_BUTTON:
        if (panel) {
          MtlEditorPanel::TexmapButton b = {int(wParam),
                                            reinterpret_cast<ReferenceTarget*>(lParam)};
          panel->data->buttons.push_back(b);
          if (panel->data->handler)
            panel->data->handler(panel, b.owner, b.subMap, panel->data->context);
        }
        return 0;
      case WM_VSCROLL:
        if (panel) {
          SCROLLINFO si = {};
          si.cbSize = sizeof(si);
          si.fMask = SIF_ALL;
          GetScrollInfo(hwnd, SB_VERT, &si);
          int pos = panel->data->scroll;
          switch (LOWORD(wParam)) {
            case SB_LINEUP:
              pos -= 16;
              break;
            case SB_LINEDOWN:
              pos += 16;
              break;
            case SB_PAGEUP:
              pos -= int(si.nPage);
              break;
            case SB_PAGEDOWN:
              pos += int(si.nPage);
              break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
              pos = si.nTrackPos;
              break;
          }
          ScrollTo(panel, pos);
        }
        return 0;
      case WM_MOUSEWHEEL:
        if (panel) ScrollTo(panel, panel->data->scroll - GET_WHEEL_DELTA_WPARAM(wParam) / 4);
        return 0;
      case WM_SIZE:
        if (panel) ScrollTo(panel, panel->data->scroll);
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (panel) Paint(panel, dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_NCDESTROY:
        if (panel) panel->data->hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  static void RegisterClassOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    editor::RegisterHostWindowClass(kPanelClass, Proc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
  }
};

MtlEditorPanel* MtlEditorPanel::Create(HWND parent, int x, int y, int width, int height) {
  PanelWindow::RegisterClassOnce();
  auto* panel = new MtlEditorPanel;
  panel->data = new PanelData;
  DWORD style =
      (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN;
  panel->data->hwnd =
      CreateWindowExW(parent ? 0 : WS_EX_CONTROLPARENT, kPanelClass, L"Material Editor", style, x,
                      y, width, height, parent, nullptr, editor::HostInstance(), panel);
  if (!panel->data->hwnd) {
    delete panel;
    return nullptr;
  }
  if (parent) SetWindowLongPtrW(panel->data->hwnd, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
  PanelWindow::Layout(panel);
  return panel;
}

MtlEditorPanel::~MtlEditorPanel() {
  delete data;
}

void MtlEditorPanel::Destroy() {
  Close();
  if (data->hwnd) DestroyWindow(data->hwnd);
  delete this;
}

HWND MtlEditorPanel::GetHWnd() {
  return data->hwnd;
}

ParamDlg* MtlEditorPanel::Edit(MtlBase* mtl) {
  if (!mtl) {
    Close();
    return nullptr;
  }
  if (data->dlg && data->edited && data->dlg->ClassID() == mtl->ClassID()) {
    data->edited = mtl;
    data->dlg->SetThing(mtl);
    return data->dlg;
  }
  Close();
  data->edited = mtl;
  data->dlg = mtl->CreateParamDlg(data->hwnd, this);
  if (!data->dlg) data->edited = nullptr;
  return data->dlg;
}

void MtlEditorPanel::Close() {
  ParamDlg* dlg = data->dlg;
  data->dlg = nullptr;
  data->edited = nullptr;
  if (dlg) dlg->DeleteThis();
}

ParamDlg* MtlEditorPanel::GetParamDlg() {
  return data->dlg;
}

MtlBase* MtlEditorPanel::GetEdited() {
  return data->edited;
}

void MtlEditorPanel::SetTime(TimeValue t) {
  data->time = t;
  if (data->dlg) data->dlg->SetTime(t);
}

int MtlEditorPanel::MtlChangedCount() {
  return data->mtlChanged;
}

int MtlEditorPanel::NumRollupPages() {
  return int(data->pages.size());
}

HWND MtlEditorPanel::GetRollupPage(int i) {
  return i >= 0 && i < int(data->pages.size()) ? data->pages[size_t(i)].dlg : nullptr;
}

int MtlEditorPanel::CaptionHeight() {
  return kCaption;
}

int MtlEditorPanel::NumTexmapButtons() {
  return int(data->buttons.size());
}

MtlEditorPanel::TexmapButton MtlEditorPanel::GetTexmapButton(int i) {
  if (i < 0 || i >= int(data->buttons.size())) return {-1, nullptr};
  return data->buttons[size_t(i)];
}

void MtlEditorPanel::ClearTexmapButtons() {
  data->buttons.clear();
}

void MtlEditorPanel::SetTexmapButtonHandler(TexmapButtonHandler handler, void* context) {
  data->handler = handler;
  data->context = context;
}

void MtlEditorPanel::MtlChanged() {
  ++data->mtlChanged;
}

HWND MtlEditorPanel::AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                                   const MCHAR* title, LPARAM param, DWORD, int category) {
  if (!data->hwnd) return nullptr;
  HWND dlg = CreateDialogParamW(hInst, dlgTemplate, data->hwnd, dlgProc, param);
  if (!dlg) return nullptr;
  auto at = std::find_if(data->pages.begin(), data->pages.end(),
                         [&](const Page& p) { return p.category > category; });
  data->pages.insert(at, Page{dlg, title ? title : L"", category});
  PanelWindow::Layout(this);
  ShowWindow(dlg, SW_SHOW);
  return dlg;
}

void MtlEditorPanel::DeleteRollupPage(HWND hRollup) {
  auto it = std::find_if(data->pages.begin(), data->pages.end(),
                         [&](const Page& p) { return p.dlg == hRollup; });
  if (it == data->pages.end()) return;
  data->pages.erase(it);
  if (IsWindow(hRollup)) DestroyWindow(hRollup);
  if (data->hwnd) PanelWindow::Layout(this);
}

HWND MtlEditorPanel::ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                                       DLGPROC dlgProc, const MCHAR* title, LPARAM param,
                                       DWORD flags, int category) {
  DeleteRollupPage(hOldRollup);
  return AddRollupPage(hInst, dlgTemplate, dlgProc, title, param, flags, category);
}

TimeValue MtlEditorPanel::GetTime() {
  return data->time;
}

BOOL MtlEditorPanel::IsRollupPanelOpen(HWND hwnd) {
  for (const Page& p : data->pages)
    if (p.dlg == hwnd) return TRUE;
  return FALSE;
}

int MtlEditorPanel::GetRollupScrollPos() {
  return data->scroll;
}

void MtlEditorPanel::SetRollupScrollPos(int spos) {
  if (data->hwnd) PanelWindow::ScrollTo(this, spos);
}
