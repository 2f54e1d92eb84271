// The ramp control under Wine: a parent window with a 300-pixel-wide "CustGradientRamp" child
// bound to a ramp, driven by real mouse messages; the notifications are read from the
// parent's queue and the drawing back from the screen's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "host_hsv_dialog.h"
#include "host_maps.h"
#include "igradient_ramp.h"
#include "ramp_control_geometry.h"
#include "ramp_drawing.h"
#include "ui_test_support.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 40;
constexpr int kBandY = kHeight / 2;       // a row between the glyphs
const COLORREF kRed = RGB(255, 0, 0);     // default active glyph
const COLORREF kCyan = RGB(0, 255, 255);  // default reactive glyph

// A ramp of grey markers at these positions (grey of their own position), none active.
void SetMarkers(GradientRamp& ramp, std::initializer_list<float> positions) {
  ramp.markers.clear();
  for (float p : positions) {
    RampMarker m;
    m.position = p;
    m.color = AColor(p, p, p, 1.0f);
    ramp.markers.push_back(m);
  }
}

class RampControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(KelvaneModule(), nullptr);
    ramp.InitDefault();
    parent = CreateTestParent(kWidth + 40, kHeight + 40);
    ASSERT_NE(parent, nullptr);
    control =
        CreateWindowExW(0, L"CustGradientRamp", L"", WS_CHILD | WS_VISIBLE, 20, 20, kWidth, kHeight,
                        parent, reinterpret_cast<HMENU>(501), KelvaneModule(), nullptr);
    ASSERT_NE(control, nullptr);
    bound = new IGradientRamp(control, &ramp);
    SetHeldKeys({});
    Redraw();
    TakeRampMessages(parent);
    TakeDispatchedRampMessages();
  }
  void TearDown() override {
    SetHeldKeys({});
    SetHSVDialogHook(nullptr, nullptr);
    delete bound;
    DestroyWindow(parent);
    PumpMessages();
    EXPECT_TRUE(TakeDispatchedRampMessages().empty());
  }

  // Posts a mouse message to the control and lets the thread's queue run it.
  void Mouse(UINT msg, WPARAM keys, int x, int y = kBandY) {
    PostMessageW(control, msg, keys, MAKELPARAM(x, y));
    PumpMessages();
  }
  void Redraw() {
    PostMessageW(control, WM_RAMP_REDRAW, 0, 0);
    PumpMessages();
  }
  std::vector<PostedMessage> Posted() { return TakeRampMessages(parent); }

  COLORREF Pixel(int x, int y) { return PixelAt(control, x, y); }
  // The band's colour in column x as DrawRamp computes it.
  COLORREF BandColour(int x) {
    RampGeometry g(ramp.markerSize, 0, kWidth);
    return RampColorRef(ramp.ColorAt(g.ColumnAt(x).position));
  }
  // Inside both triangles of the glyph whose apex is in column x.
  void ExpectGlyph(int apex, COLORREF colour) {
    EXPECT_EQ(RgbOf(Pixel(apex, 1)), RgbOf(colour)) << "top glyph at " << apex;
    EXPECT_EQ(RgbOf(Pixel(apex, kHeight - 2)), RgbOf(colour)) << "bottom glyph at " << apex;
  }
  void ExpectBand(int x) {
    EXPECT_EQ(RgbOf(Pixel(x, 1)), RgbOf(BandColour(x))) << "band top at " << x;
    EXPECT_EQ(RgbOf(Pixel(x, kBandY)), RgbOf(BandColour(x))) << "band at " << x;
    EXPECT_EQ(RgbOf(Pixel(x, kHeight - 2)), RgbOf(BandColour(x))) << "band bottom at " << x;
  }
  LPARAM Record(size_t i) { return reinterpret_cast<LPARAM>(&ramp.markers[i]); }
  void ExpectOnly(UINT message, LPARAM record) {
    std::vector<PostedMessage> posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, message);
    EXPECT_EQ(posted[0].wParam, reinterpret_cast<WPARAM>(control));
    EXPECT_EQ(posted[0].lParam, record);
  }

  GradientRamp ramp;
  HWND parent = nullptr;
  HWND control = nullptr;
  IGradientRamp* bound = nullptr;
};

const float kAt150 = 146.0f / 293.0f;
const float kAt100 = 96.0f / 293.0f;

}  // namespace

TEST_F(RampControl, DrawsTheBandAndAGlyphPerMarker) {
  ExpectGlyph(4, kRed);  // marker 0, active
  ExpectGlyph(150, kCyan);
  ExpectGlyph(297, kCyan);
  for (int x : {20, 75, 100, 200, 250, 280}) ExpectBand(x);
  // The band is the ramp's colour: at column 75, ColorAt(71.5 / 293) = 0.24403 grey.
  EXPECT_EQ(RgbOf(Pixel(75, kBandY)), RgbOf(RGB(62, 62, 62)));
  EXPECT_EQ(RgbOf(Pixel(150, kBandY)), RgbOf(RampColorRef(ramp.ColorAt(146.5f / 293.0f))));
}

TEST_F(RampControl, ClickSelectsTheMiddleMarkerAndTheReleaseMovesIt) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_EQ(ramp.markers[0].flags, 0u);
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[1].position, 0.5f);
  EXPECT_EQ(GetCapture(), control);
  EXPECT_TRUE(Posted().empty());  // selecting alone tells nobody

  Mouse(WM_LBUTTONUP, 0, 150);
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_EQ(ramp.markers[1].position, kAt150);
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
  EXPECT_NE(GetCapture(), control);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  ExpectGlyph(150, kRed);  // at px = 146: apex 150, now active
  ExpectGlyph(4, kCyan);
}

TEST_F(RampControl, ClickBetweenMarkersAddsOneWithTheRampsColourThere) {
  AColor shown = ramp.ColorAt(kAt100);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);
  ASSERT_EQ(ramp.markers.size(), 4u);
  const RampMarker& added = ramp.markers[1];
  EXPECT_EQ(added.position, kAt100);
  EXPECT_EQ(added.color, shown);
  EXPECT_NEAR(added.color.r, 0.328f, 0.0005f);
  EXPECT_NEAR(added.color.g, 0.328f, 0.0005f);
  EXPECT_NEAR(added.color.b, 0.328f, 0.0005f);
  EXPECT_EQ(added.color.a, 1.0f);
  EXPECT_EQ(added.flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[0].flags, 0u);
  EXPECT_TRUE(Posted().empty());

  Mouse(WM_LBUTTONUP, 0, 100);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
  ExpectGlyph(100, kRed);
  ExpectGlyph(4, kCyan);
  for (int x : {50, 130, 200}) ExpectBand(x);
}

TEST_F(RampControl, LeftMarginIsAbsoluteOnClickAndZeroOnDrag) {
  SetMarkers(ramp, {0.5f, 0.7f, 1.0f});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 0);  // nothing within reach: a marker is added
  ASSERT_EQ(ramp.markers.size(), 4u);
  EXPECT_EQ(ramp.markers[0].position, 4.0f / 293.0f);
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive | MarkerDragging);

  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 0);
  EXPECT_EQ(ramp.markers[0].position, 0.0f);
  ExpectOnly(WM_RAMP_MARKER_MOVED, Record(0));
  Mouse(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(ramp.markers[0].position, 0.0f);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  ExpectGlyph(4, kRed);
}

TEST_F(RampControl, ShiftClickDuplicatesTheActiveMarkerWithItsMaps) {
  auto* colorMap = new ConstantColorMap;
  auto* transparentMap = new CheckerMap;
  RampMarker& source = ramp.markers[0];
  source.color = AColor(0.2f, 0.4f, 0.6f, 1.0f);
  source.transparentColor = AColor(0.1f, 0.1f, 0.1f, 0.0f);
  source.colorMap = colorMap;
  source.transparentMap = transparentMap;
  source.transparentMapOn = false;
  source.inMode = 2;
  source.outMode = 3;

  // Shift is in the keyboard state, not in the message's flags: the control asks GetKeyState.
  SetHeldKeys({VK_SHIFT, VK_LSHIFT});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);
  ASSERT_EQ(ramp.markers.size(), 4u);
  const RampMarker& copy = ramp.markers[1];
  EXPECT_EQ(copy.position, kAt100);
  EXPECT_EQ(copy.color, AColor(0.2f, 0.4f, 0.6f, 1.0f));
  EXPECT_EQ(copy.transparentColor, AColor(0.1f, 0.1f, 0.1f, 0.0f));
  EXPECT_EQ(copy.colorMap, colorMap);
  EXPECT_EQ(copy.transparentMap, transparentMap);
  EXPECT_TRUE(copy.colorMapOn);
  EXPECT_FALSE(copy.transparentMapOn);
  EXPECT_EQ(copy.inMode, 2);
  EXPECT_EQ(copy.outMode, 3);
  EXPECT_EQ(copy.flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.markers[0].flags, 0u);
  EXPECT_TRUE(Posted().empty());

  // While Shift is held the drag waits.
  Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 130);
  EXPECT_EQ(ramp.markers[1].position, kAt100);
  EXPECT_TRUE(Posted().empty());
  SetHeldKeys({});
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 130);
  EXPECT_EQ(ramp.markers[1].position, 126.0f / 293.0f);
  ExpectOnly(WM_RAMP_MARKER_MOVED, Record(1));
  EXPECT_EQ(ramp.markers[1].colorMap, colorMap);
  Mouse(WM_LBUTTONUP, 0, 130);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  ExpectGlyph(130, kRed);

  for (RampMarker& m : ramp.markers) m.colorMap = m.transparentMap = nullptr;
  colorMap->DeleteThis();
  transparentMap->DeleteThis();
}

TEST_F(RampControl, OtherButtonsOrKeysHeldStopTheDrag) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  for (WPARAM keys : {WPARAM(0), WPARAM(MK_LBUTTON | MK_CONTROL), WPARAM(MK_LBUTTON | MK_RBUTTON),
                      WPARAM(MK_RBUTTON)}) {
    Mouse(WM_MOUSEMOVE, keys, 250);
    EXPECT_EQ(ramp.markers[1].position, 0.5f);
  }
  EXPECT_TRUE(Posted().empty());
  Mouse(WM_LBUTTONUP, 0, 150);
  Posted();
  // Without a dragging marker, a move does nothing either.
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 250);
  EXPECT_EQ(ramp.markers[1].position, kAt150);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(RampControl, LosingTheCaptureMidDragEndsItAndTellsTheParent) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);  // adds a marker
  ASSERT_EQ(ramp.markers.size(), 4u);
  EXPECT_TRUE(Posted().empty());
  SetCapture(parent);  // the release will not come to the control
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
  EXPECT_EQ(ramp.markers[1].position, kAt100);
  ReleaseCapture();
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 200);
  Mouse(WM_LBUTTONUP, 0, 200);
  EXPECT_EQ(ramp.markers[1].position, kAt100);
  EXPECT_TRUE(Posted().empty());
  ExpectGlyph(100, kRed);
}

TEST_F(RampControl, AnEmptyRampDrawsBlackAndTakesAClick) {
  ramp.markers.clear();
  Redraw();
  EXPECT_EQ(RgbOf(Pixel(150, kBandY)), RgbOf(RGB(0, 0, 0)));
  SetHeldKeys({VK_SHIFT});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);  // nothing to duplicate
  EXPECT_TRUE(ramp.markers.empty());
  Mouse(WM_LBUTTONUP, 0, 150);
  EXPECT_TRUE(Posted().empty());
  SetHeldKeys({});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers.size(), 1u);
  EXPECT_EQ(ramp.markers[0].position, kAt150);
  Mouse(WM_LBUTTONUP, 0, 150);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  Mouse(WM_RBUTTONUP, 0, 150);
  EXPECT_EQ(ramp.markers.size(), 1u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
}

namespace {

// Answers the colour picker: remembers what it was shown and what state the ramp was in,
// then types and presses a button like a user.
struct PickerAnswer {
  std::function<void(HWND)> answer;
  std::wstring title;
  std::wstring dialogClass;
  bool ownerEnabled = true;
  int calls = 0;
};

void AnswerPicker(HWND dialog, const MCHAR* title, void* context) {
  auto* a = static_cast<PickerAnswer*>(context);
  ++a->calls;
  a->title = title;
  wchar_t name[64] = {};
  GetClassNameW(dialog, name, 64);
  a->dialogClass = name;
  a->ownerEnabled = IsWindowEnabled(GetWindow(dialog, GW_OWNER)) != FALSE;
  a->answer(dialog);
}

}  // namespace

TEST_F(RampControl, CtrlClickOpensThePickerAndKeepsTheSelection) {
  PickerAnswer answer;
  answer.answer = [](HWND dialog) {
    EXPECT_EQ(GetDlgItemInt(dialog, HSVDLG_RED, nullptr, FALSE), 0u);  // cyan as it stands
    EXPECT_EQ(GetDlgItemInt(dialog, HSVDLG_GREEN, nullptr, FALSE), 255u);
    EXPECT_EQ(GetDlgItemInt(dialog, HSVDLG_BLUE, nullptr, FALSE), 255u);
    SetDlgItemInt(dialog, HSVDLG_GREEN, 128, FALSE);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  };
  SetHSVDialogHook(AnswerPicker, &answer);
  SetHeldKeys({VK_CONTROL, VK_LCONTROL});

  // On the middle marker, which is not active: its reactive colour.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 150);
  EXPECT_EQ(answer.calls, 1);
  EXPECT_EQ(answer.title, L"Setup reactive marker color");
  EXPECT_EQ(answer.dialogClass, L"#32770");  // a real dialog of the host
  EXPECT_FALSE(answer.ownerEnabled);         // and modal
  const AColor reactive(0.0f, 128.0f / 255.0f, 1.0f, 0.0f);
  for (const RampMarker& m : ramp.markers) {
    EXPECT_EQ(m.reactiveGlyphColor, reactive);
    EXPECT_EQ(m.activeGlyphColor, AColor(1.0f, 0.0f, 0.0f, 0.0f));
  }
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);  // no selection changed
  EXPECT_EQ(ramp.markers[1].flags, 0u);
  EXPECT_EQ(ramp.markers[2].flags, 0u);
  EXPECT_EQ(ramp.markers[1].position, 0.5f);
  ExpectGlyph(150, RGB(0, 128, 255));
  ExpectGlyph(297, RGB(0, 128, 255));
  ExpectGlyph(4, kRed);
  Mouse(WM_LBUTTONUP, 0, 150);  // nothing was dragged: nothing to tell
  EXPECT_TRUE(Posted().empty());

  // On the active marker: its active colour; Cancel keeps it.
  answer.answer = [](HWND dialog) {
    EXPECT_EQ(GetDlgItemInt(dialog, HSVDLG_RED, nullptr, FALSE), 255u);
    SetDlgItemInt(dialog, HSVDLG_BLUE, 255, FALSE);
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
  };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 4);
  EXPECT_EQ(answer.calls, 2);
  EXPECT_EQ(answer.title, L"Setup active marker color");
  for (const RampMarker& m : ramp.markers) {
    EXPECT_EQ(m.activeGlyphColor, AColor(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(m.reactiveGlyphColor, reactive);
  }
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);
  Mouse(WM_LBUTTONUP, 0, 4);

  // The active colour, changed with OK.
  answer.answer = [](HWND dialog) {
    SetDlgItemInt(dialog, HSVDLG_GREEN, 255, FALSE);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  };
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 4);
  EXPECT_EQ(answer.calls, 3);
  for (const RampMarker& m : ramp.markers)
    EXPECT_EQ(m.activeGlyphColor, AColor(1.0f, 1.0f, 0.0f, 0.0f));
  ExpectGlyph(4, RGB(255, 255, 0));
  Mouse(WM_LBUTTONUP, 0, 4);

  // Away from every marker: no picker, only a repaint.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 100);
  EXPECT_EQ(answer.calls, 3);
  EXPECT_EQ(ramp.markers.size(), 3u);
  Mouse(WM_LBUTTONUP, 0, 100);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);
}

TEST_F(RampControl, DraggingPastANeighbourReordersAndNamesTheDraggedMarker) {
  SetMarkers(ramp, {0.0f, 0.5f, 0.7f, 1.0f});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers[1].flags, MarkerActive | MarkerDragging);
  const AColor dragged = ramp.markers[1].color;

  struct Step {
    int x;
    size_t index;  // where the dragged marker stands after the step
  };
  for (Step step : {Step{180, 1}, Step{230, 2}, Step{260, 2}, Step{220, 2}, Step{120, 1}}) {
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, step.x);
    std::vector<PostedMessage> posted = Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, WM_RAMP_MARKER_MOVED);
    ASSERT_EQ(posted[0].lParam, Record(step.index)) << "step to " << step.x;
    const auto* m = reinterpret_cast<const RampMarker*>(posted[0].lParam);
    EXPECT_EQ(m->color, dragged);  // the dragged marker, never the neighbour
    EXPECT_EQ(m->position, float(step.x - 4) / 293.0f);
    EXPECT_EQ(m->flags, MarkerActive | MarkerDragging);
  }
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 260);
  Posted();
  ASSERT_EQ(ramp.markers[2].color, dragged);
  EXPECT_EQ(ramp.markers[1].position, 0.7f);

  Mouse(WM_LBUTTONUP, 0, 260);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(2));
  EXPECT_EQ(ramp.markers[2].flags, MarkerActive);
  ExpectGlyph(260, kRed);
  // The neighbour's glyph: 0.7 is centred at 4 + 205.1.
  ExpectGlyph(RampGeometry(8, 0, kWidth).GlyphAt(0.7f).apex, kCyan);
}

TEST_F(RampControl, DraggingOntoAnotherMarkerMergesAndTheSurvivorCarriesOn) {
  // A marker just below where x = 100 lands: the dragged marker sorts after it and the merge
  // removes the dragged one.
  const float below = kAt100 - 0.00005f;
  SetMarkers(ramp, {0.0f, below, 0.5f, 1.0f});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers[2].flags, MarkerActive | MarkerDragging);

  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 100);
  ASSERT_EQ(ramp.markers.size(), 3u);
  ExpectOnly(WM_RAMP_MARKER_MOVED, Record(1));
  EXPECT_EQ(ramp.markers[1].position, below);
  EXPECT_EQ(ramp.markers[1].color, AColor(below, below, below, 1.0f));  // the survivor
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive | MarkerDragging);
  EXPECT_EQ(ramp.FindMarkerByFlag(MarkerActive), &ramp.markers[1]);

  // The drag goes on with the survivor.
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 200);
  ExpectOnly(WM_RAMP_MARKER_MOVED, Record(1));
  EXPECT_EQ(ramp.markers[1].position, 196.0f / 293.0f);
  Mouse(WM_LBUTTONUP, 0, 200);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
  ExpectGlyph(200, kRed);
}

TEST_F(RampControl, DraggingExactlyOntoAnotherMarkerMerges) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 2);  // position 0, where marker 0 stands
  ASSERT_EQ(ramp.markers.size(), 2u);
  std::vector<PostedMessage> posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_RAMP_MARKER_MOVED);
  // Which of two equal positions survives is the sort's choice; the record named is alive.
  EXPECT_TRUE(posted[0].lParam == Record(0));
  EXPECT_EQ(ramp.markers[0].position, 0.0f);
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive | MarkerDragging);
  Mouse(WM_LBUTTONUP, 0, 2);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  EXPECT_EQ(ramp.markers[1].position, 1.0f);
}

TEST_F(RampControl, RightClickDeletesOnThreeMarkersAndOnlyRepaintsAndPostsOnTwo) {
  ramp.markers[0].flags = 0;
  ramp.markers[2].flags = MarkerActive;
  Redraw();
  Mouse(WM_RBUTTONUP, 0, 150);
  ASSERT_EQ(ramp.markers.size(), 2u);
  EXPECT_EQ(ramp.markers[0].position, 0.0f);
  EXPECT_EQ(ramp.markers[1].position, 1.0f);
  EXPECT_EQ(ramp.markers[0].flags, MarkerActive);  // the one before the deleted marker
  EXPECT_EQ(ramp.markers[1].flags, 0u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  ExpectBand(150);  // the middle glyph is gone
  ExpectGlyph(4, kRed);
  ExpectGlyph(297, kCyan);

  // Two markers: nothing is deleted, but the control repaints and tells the parent.
  HDC dc = GetDC(control);
  RECT client = {0, 0, kWidth, kHeight};
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(control, dc);
  EXPECT_EQ(RgbOf(Pixel(150, kBandY)), RgbOf(RGB(255, 255, 255)));
  Mouse(WM_RBUTTONUP, 0, 4);
  ASSERT_EQ(ramp.markers.size(), 2u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  for (int x : {50, 150, 250}) ExpectBand(x);
  ExpectGlyph(4, kRed);

  // With no marker active the message carries 0.
  ramp.ClearMarkerFlags();
  Mouse(WM_RBUTTONUP, 0, 150);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, 0);
}

TEST_F(RampControl, RightClickAwayFromMarkersDeletesNothing) {
  Mouse(WM_RBUTTONUP, 0, 100);
  EXPECT_EQ(ramp.markers.size(), 3u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  // Left of the band the position stays negative: x = -20 is -24 / 293, out of marker 0's
  // reach (clamped to 0 it would be on it); x = 0 is -4 / 293, within it.
  Mouse(WM_RBUTTONUP, 0, -20);
  EXPECT_EQ(ramp.markers.size(), 3u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  Mouse(WM_RBUTTONUP, 0, 0);
  ASSERT_EQ(ramp.markers.size(), 2u);
  EXPECT_EQ(ramp.markers[0].position, 0.5f);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
}

TEST_F(RampControl, APositionAboveOneIsDrawnAtTheRightEndAndStoredAsOne) {
  SetMarkers(ramp, {0.0f, 0.3f, 1.5f});
  ramp.markers[0].flags = MarkerActive;
  Redraw();
  EXPECT_EQ(ramp.markers[2].position, 1.0f);
  ExpectGlyph(297, kCyan);  // px = 293: apex 297
  ExpectGlyph(RampGeometry(8, 0, kWidth).GlyphAt(0.3f).apex, kCyan);
  ExpectGlyph(4, kRed);
  // A position below 0 goes to the left end.
  ramp.markers[0].position = -0.25f;
  Redraw();
  EXPECT_EQ(ramp.markers[0].position, 0.0f);
  ExpectGlyph(4, kRed);
}

TEST_F(RampControl, PaintingErasesTheBackgroundWithTheRamp) {
  HDC dc = GetDC(control);
  RECT client = {0, 0, kWidth, kHeight};
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(control, dc);
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
  PumpMessages();
  for (int x : {50, 100, 250}) ExpectBand(x);
  ExpectGlyph(150, kCyan);
}

TEST(RampControlObject, SlotsAndLifetime) {
  ASSERT_NE(KelvaneModule(), nullptr);
  HWND parent = CreateTestParent(200, 60);
  HWND window = CreateWindowExW(0, L"CustGradientRamp", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 30,
                                parent, nullptr, KelvaneModule(), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);

  // Unbound, the window is inert: a click changes nothing and posts nothing.
  GradientRamp ramp;
  ramp.InitDefault();
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(75, 10));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(75, 10));
  PumpMessages();
  EXPECT_TRUE(TakeRampMessages(parent).empty());

  ICustomControl* control = new IGradientRamp(window, &ramp);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(control));
  EXPECT_EQ(control->GetHwnd(), window);
  EXPECT_TRUE(control->IsEnabled());
  control->Disable();
  control->Enable(FALSE);
  control->Enable2(FALSE);
  control->SetTooltip(true, L"tip");
  EXPECT_TRUE(control->IsEnabled());
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_EQ(control->Execute(1, 2, 3, 4), 0);
  EXPECT_EQ(control->GetInterface(Interface_ID(1, 2)), nullptr);
  EXPECT_EQ(static_cast<IGradientRamp*>(control)->Ramp(), &ramp);

  // Deleting the object takes the window with it.
  delete control;
  EXPECT_FALSE(IsWindow(window));

  // A window destroyed before its object: the object lets go of it, and its deletion
  // destroys nothing else.
  window = CreateWindowExW(0, L"CustGradientRamp", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 30,
                           parent, nullptr, KelvaneModule(), nullptr);
  auto* orphan = new IGradientRamp(window, &ramp);
  DestroyWindow(window);
  EXPECT_EQ(orphan->GetHwnd(), nullptr);
  HWND other = CreateWindowExW(0, L"CustGradientRamp", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 30,
                               parent, nullptr, KelvaneModule(), nullptr);
  delete orphan;
  EXPECT_TRUE(IsWindow(other));
  DestroyWindow(parent);
  PumpMessages();
}
