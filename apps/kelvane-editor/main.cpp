// kelvane-editor: the material editor's "Parameters" rollout of a new Kelvane map in a window,
// for a person to try the editor (under Wine or on Windows). The program loads Kelvane.dlt
// from its own folder the way the host does, makes two maps through the class descriptor and
// opens the first in the host's material editor panel.
//
//   kelvane-editor.exe            the window, until it is closed
//   kelvane-editor.exe --check    opens the rollout, checks it is there, closes; exit 0 or 1
//   kelvane-editor.exe --check-undo
//                                 adds a marker with a click in the ramp control, takes it back
//                                 with Ctrl+Z and makes it again with Ctrl+Y; exit 0 or 1
//
// Edit > Undo / Redo (Ctrl+Z / Ctrl+Y) walk the host's undo stack, named by its steps.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host_maps.h"
#include "host_mtl_editor.h"
#include "host_undo.h"
#include "imtl.h"
#include "plugin_loader.h"

namespace {

constexpr Class_ID kKelvaneClassID(0x51DC051B, 0x866D966D);
constexpr int kRampControlId = 501;

enum MenuCommand { kMapOne = 100, kMapTwo, kReload, kExit, kUndo, kRedo };

struct Editor {
  HWND frame = nullptr;
  MtlEditorPanel* panel = nullptr;
  Texmap* maps[2] = {nullptr, nullptr};
};
Editor editor;

// A map button's message: offer the host's own maps for the slot, as the material/map
// browser would.
void ChooseSubMap(MtlEditorPanel* panel, ReferenceTarget* owner, int subMap, void*) {
  if (!owner || owner->SuperClassID() != TEXMAP_CLASS_ID) return;
  auto* map = static_cast<Texmap*>(owner);
  if (subMap < 0 || subMap >= map->NumSubTexmaps()) return;
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"Checker 3D");
  AppendMenuW(menu, MF_STRING, 2, L"Color");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, 3, L"None");
  POINT at;
  GetCursorPos(&at);
  int choice =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, panel->GetHWnd(), nullptr);
  DestroyMenu(menu);
  switch (choice) {
    case 1: {
      auto* checker = new CheckerMap;
      checker->color1 = AColor(0.9f, 0.9f, 0.9f, 1.0f);
      checker->color2 = AColor(0.2f, 0.2f, 0.2f, 1.0f);
      checker->size = 0.25f;
      map->SetSubTexmap(subMap, checker);
      break;
    }
    case 2: {
      auto* color = new ConstantColorMap;
      color->color = AColor(0.8f, 0.3f, 0.1f, 1.0f);
      map->SetSubTexmap(subMap, color);
      break;
    }
    case 3:
      map->SetSubTexmap(subMap, nullptr);
      break;
  }
}

// The frame fits the rollouts: the panel's pages and its scroll bar.
void FitFrame() {
  HWND page = editor.panel->GetRollupPage(0);
  if (!page) return;
  RECT rc;
  GetWindowRect(page, &rc);
  RECT want = {0, 0, rc.right - rc.left + 6 + GetSystemMetrics(SM_CXVSCROLL), 720};
  AdjustWindowRect(&want, WS_OVERLAPPEDWINDOW, TRUE);
  SetWindowPos(editor.frame, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
               SWP_NOMOVE | SWP_NOZORDER);
}

// "Undo <step>" and "Redo <step>", greyed when there is none.
void UpdateEditMenu(HMENU bar) {
  auto item = [bar](UINT id, const wchar_t* verb, int steps, const MSTR& step,
                    const wchar_t* keys) {
    std::wstring text = verb;
    if (steps && step.Length()) text += std::wstring(L" ") + step.data();
    text += keys;
    ModifyMenuW(bar, id, MF_BYCOMMAND | MF_STRING | (steps ? MF_ENABLED : MF_GRAYED), id,
                text.c_str());
  };
  item(kUndo, L"&Undo", HostUndoCount(), HostUndoDescription(), L"\tCtrl+Z");
  item(kRedo, L"&Redo", HostRedoCount(), HostRedoDescription(), L"\tCtrl+Y");
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      if (editor.panel)
        MoveWindow(editor.panel->GetHWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kMapOne:
        case kMapTwo:
          // Another map of the class: the open rollout shows it (SetThing).
          editor.panel->Edit(editor.maps[LOWORD(wParam) - kMapOne]);
          CheckMenuRadioItem(GetMenu(hwnd), kMapOne, kMapTwo, LOWORD(wParam), MF_BYCOMMAND);
          return 0;
        case kUndo:
          HostUndo();
          return 0;
        case kRedo:
          HostRedo();
          return 0;
        case kReload:
          if (ParamDlg* dlg = editor.panel->GetParamDlg()) dlg->ReloadDialog();
          return 0;
        case kExit:
          SendMessageW(hwnd, WM_CLOSE, 0, 0);
          return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      UpdateEditMenu(GetMenu(hwnd));
      return 0;
    case WM_CLOSE:
      // The rollouts go before their window does.
      editor.panel->Close();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HMENU MakeMenu() {
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kReload, L"&Reload dialog");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kExit, L"E&xit");
  HMENU maps = CreatePopupMenu();
  AppendMenuW(maps, MF_STRING, kMapOne, L"Map &1");
  AppendMenuW(maps, MF_STRING, kMapTwo, L"Map &2");
  CheckMenuRadioItem(maps, kMapOne, kMapTwo, kMapOne, MF_BYCOMMAND);
  HMENU edit = CreatePopupMenu();
  AppendMenuW(edit, MF_STRING | MF_GRAYED, kUndo, L"&Undo\tCtrl+Z");
  AppendMenuW(edit, MF_STRING | MF_GRAYED, kRedo, L"&Redo\tCtrl+Y");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, UINT_PTR(file), L"&File");
  AppendMenuW(bar, MF_POPUP, UINT_PTR(edit), L"&Edit");
  AppendMenuW(bar, MF_POPUP, UINT_PTR(maps), L"&Map");
  return bar;
}

HACCEL MakeAccelerators() {
  ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'Z', kUndo}, {FCONTROL | FVIRTKEY, 'Y', kRedo}};
  return CreateAcceleratorTableW(keys, 2);
}
HACCEL accelerators = nullptr;

// One message as the frame's loop handles it: the menu's keys first, then the rollout's
// dialog keys.
void Dispatch(MSG& msg) {
  if (accelerators && TranslateAcceleratorW(editor.frame, accelerators, &msg)) return;
  HWND page = editor.panel ? editor.panel->GetRollupPage(0) : nullptr;
  if (page && IsDialogMessageW(page, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Dispatch(msg);
}

// Ctrl with key, as a person types it, through the frame's message loop.
void TypeCtrl(HWND target, WORD key) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  Pump();
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

// A click in the middle of the ramp control adds a marker; Ctrl+Z takes it back, Ctrl+Y makes
// it again, and the Edit menu names the step.
bool CheckUndo() {
  Texmap* map = editor.maps[0];
  HWND page = editor.panel->GetRollupPage(0);
  HWND ramp = page ? GetDlgItem(page, kRampControlId) : nullptr;
  if (!ramp) return false;
  RECT rc;
  GetClientRect(ramp, &rc);
  LPARAM at = MAKELPARAM((rc.right * 3) / 10, rc.bottom / 2);
  int before = map->NumSubTexmaps();
  SendMessageW(ramp, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(ramp, WM_LBUTTONUP, 0, at);
  Pump();
  int added = map->NumSubTexmaps();
  UpdateEditMenu(GetMenu(editor.frame));
  wchar_t text[128] = {};
  GetMenuStringW(GetMenu(editor.frame), kUndo, text, 128, MF_BYCOMMAND);
  TypeCtrl(ramp, 'Z');
  int undone = map->NumSubTexmaps();
  TypeCtrl(ramp, 'Y');
  int redone = map->NumSubTexmaps();
  std::printf("kelvane-editor: sub-maps %d, click %d, Ctrl+Z %d, Ctrl+Y %d; menu \"%ls\"\n", before,
              added, undone, redone, text);
  return added == before + 2 && undone == before && redone == added &&
         std::wstring(text).find(L"Add marker") != std::wstring::npos;
}

int Fail(const char* what) {
  std::fprintf(stderr, "kelvane-editor: %s\n", what);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  std::wstring args = commandLine ? commandLine : L"";
  bool checkUndo = args.find(L"--check-undo") != std::wstring::npos;
  bool check = !checkUndo && args.find(L"--check") != std::wstring::npos;

  std::wstring module = std::wstring(GetExecutableDirectory().data()) + L"\\Kelvane.dlt";
  PluginLoadStatus status;
  MSTR message;
  PluginLibrary* library = LoadPluginLibrary(module.c_str(), &status, &message);
  if (!library) return Fail("cannot load Kelvane.dlt beside the program");
  ClassDesc* cd = GetClassDirectory().FindClass(TEXMAP_CLASS_ID, kKelvaneClassID);
  if (!cd) return Fail("Kelvane.dlt registered no Kelvane class");
  for (Texmap*& map : editor.maps)
    map = static_cast<Texmap*>(static_cast<ReferenceTarget*>(cd->Create(FALSE)));
  if (!editor.maps[0] || !editor.maps[1]) return Fail("the class descriptor made no map");
  editor.maps[0]->SetName(L"Map #1");
  editor.maps[1]->SetName(L"Map #2");

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"KelvaneEditorFrame";
  RegisterClassExW(&wc);
  editor.frame =
      CreateWindowExW(0, wc.lpszClassName, L"Kelvane - Material Editor", WS_OVERLAPPEDWINDOW, 40,
                      20, 420, 720, nullptr, MakeMenu(), instance, nullptr);
  if (!editor.frame) return Fail("cannot create the window");
  RECT client;
  GetClientRect(editor.frame, &client);
  editor.panel = MtlEditorPanel::Create(editor.frame, 0, 0, client.right, client.bottom);
  if (!editor.panel) return Fail("cannot create the material editor panel");
  editor.panel->SetTexmapButtonHandler(ChooseSubMap, nullptr);
  if (!editor.panel->Edit(editor.maps[0])) return Fail("the map gave no dialog");
  FitFrame();
  accelerators = MakeAccelerators();
  ShowWindow(editor.frame, check || checkUndo ? SW_SHOWNOACTIVATE : show);
  UpdateWindow(editor.frame);

  int result = 0;
  if (check) {
    Pump();
    HWND page = editor.panel->GetRollupPage(0);
    wchar_t cls[64] = {};
    if (page) GetClassNameW(GetDlgItem(page, kRampControlId), cls, 64);
    bool ok = editor.panel->NumRollupPages() == 3 && lstrcmpiW(cls, L"CustGradientRamp") == 0 &&
              editor.panel->MtlChangedCount() == 1;
    std::printf("kelvane-editor: %d rollups, ramp control %ls, %s\n",
                editor.panel->NumRollupPages(), cls, ok ? "open" : "NOT open");
    result = ok ? 0 : 1;
    SendMessageW(editor.frame, WM_CLOSE, 0, 0);
    Pump();
  } else if (checkUndo) {
    Pump();
    result = CheckUndo() ? 0 : 1;
    SendMessageW(editor.frame, WM_CLOSE, 0, 0);
    Pump();
  } else {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  }

  editor.panel->Destroy();  // its window went with the frame
  DestroyAcceleratorTable(accelerators);
  // The steps' restore objects are the module's code and hold the maps: they go first.
  HostClearUndo();
  for (Texmap* map : editor.maps) map->DeleteMe();
  UnloadPluginLibrary(library);
  return result;
}
