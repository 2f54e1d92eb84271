// The ramp control under Wine: a parent window with a 300-pixel-wide "CustGradientRamp" child
// bound to a ramp, driven by real mouse messages; the notifications are read from the
// parent's queue and the drawing back from the screen's pixels.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "host_hsv_dialog.h"
#include "igradient_ramp.h"
#include "png_file.h"
#include "ramp_control_geometry.h"
#include "ramp_drawing.h"
#include "ui_test_support.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 40;
constexpr int kBandY = kHeight / 2;       // a row between the glyphs
const COLORREF kRed = RGB(255, 0, 0);     // default active glyph
const COLORREF kCyan = RGB(0, 255, 255);  // default reactive glyph
const float kAt150 = 146.0f / 293.0f;
const float kAt100 = 96.0f / 293.0f;
constexpr unsigned kDragging = MarkerActive | MarkerDragging;

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

  void Mouse(UINT msg, WPARAM keys, int x) {
    PostMessageW(control, msg, keys, MAKELPARAM(x, kBandY));
    PumpMessages();
  }
  void Redraw() {
    PostMessageW(control, WM_RAMP_REDRAW, 0, 0);
    PumpMessages();
  }
  std::vector<PostedMessage> Posted() { return TakeRampMessages(parent); }
  void PaintWhite() {
    HDC dc = GetDC(control);
    RECT client = {0, 0, kWidth, kHeight};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(control, dc);
  }

  COLORREF Pixel(int x, int y) { return PixelAt(control, x, y); }
  // Inside both triangles of the glyph whose apex is in column x.
  void ExpectGlyph(int apex, COLORREF colour) {
    EXPECT_EQ(RgbOf(Pixel(apex, 1)), RgbOf(colour)) << "top glyph at " << apex;
    EXPECT_EQ(RgbOf(Pixel(apex, kHeight - 2)), RgbOf(colour)) << "bottom glyph at " << apex;
  }
  // Column x shows the ramp's colour there, as DrawRamp computes it, from top to bottom.
  void ExpectBand(int x) {
    RampGeometry g(ramp.markerSize, 0, kWidth);
    Rgb band = RgbOf(RampColorRef(ramp.ColorAt(g.ColumnAt(x).position)));
    for (int y : {1, kBandY, kHeight - 2}) EXPECT_EQ(RgbOf(Pixel(x, y)), band) << x << ", " << y;
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

}  // namespace

TEST_F(RampControl, DrawsTheBandAndAGlyphPerMarkerAlsoWhenPainted) {
  for (auto [x, colour] : {std::pair{4, kRed}, {150, kCyan}, {297, kCyan}}) ExpectGlyph(x, colour);
  for (int x : {20, 75, 200, 280}) ExpectBand(x);
  // A window repaint erases the background with the ramp.
  PaintWhite();
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
  PumpMessages();
  for (int x : {50, 250}) ExpectBand(x);
  ExpectGlyph(150, kCyan);
}

// A press on a marker selects it for a drag and tells nobody; the release moves it to the
// pixel's position and posts the change. A press between markers adds one there.
TEST_F(RampControl, LeftClickSelectsOrAddsAMarkerAndTheReleaseTellsTheParent) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers.size(), 3u);
  EXPECT_EQ(std::tuple(ramp.markers[0].flags, ramp.markers[1].flags), std::tuple(0u, kDragging));
  EXPECT_TRUE(GetCapture() == control && Posted().empty());
  Mouse(WM_LBUTTONUP, 0, 150);
  EXPECT_EQ(std::tuple(ramp.markers[1].position, ramp.markers[1].flags),
            std::tuple(kAt150, unsigned(MarkerActive)));
  EXPECT_NE(GetCapture(), control);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  ExpectGlyph(150, kRed);  // at px = 146: apex 150, now active

  AColor shown = ramp.ColorAt(kAt100);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);
  ASSERT_EQ(ramp.markers.size(), 4u);
  EXPECT_EQ(std::tuple(ramp.markers[1].position, ramp.markers[1].color, ramp.markers[1].flags),
            std::tuple(kAt100, shown, kDragging));
  EXPECT_TRUE(Posted().empty());
  Mouse(WM_LBUTTONUP, 0, 100);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  ExpectGlyph(100, kRed);
  ExpectBand(130);
}

// Which fields a copy takes is the model's (pinned natively); here, that Shift comes from the
// keyboard state and holds the drag.
TEST_F(RampControl, ShiftClickDuplicatesTheActiveMarkerAndTheDragWaitsForShift) {
  ramp.markers[0].color = AColor(0.2f, 0.4f, 0.6f, 1.0f);
  // Shift is in the keyboard state, not in the message's flags: the control asks GetKeyState.
  SetHeldKeys({VK_SHIFT, VK_LSHIFT});
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);
  ASSERT_EQ(ramp.markers.size(), 4u);
  EXPECT_EQ(ramp.markers[1].color, ramp.markers[0].color) << "a copy of the active marker";

  Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 130);
  EXPECT_EQ(ramp.markers[1].position, kAt100) << "the drag waits while Shift is held";
  SetHeldKeys({});
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 130);
  ExpectOnly(WM_RAMP_MARKER_MOVED, Record(1));
  Mouse(WM_LBUTTONUP, 0, 130);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
}

TEST_F(RampControl, OtherButtonsKeysOrALostCaptureStopTheDrag) {
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  for (WPARAM keys : {WPARAM(0), WPARAM(MK_LBUTTON | MK_CONTROL)}) {
    Mouse(WM_MOUSEMOVE, keys, 250);
    EXPECT_EQ(ramp.markers[1].position, 0.5f);
  }
  EXPECT_TRUE(Posted().empty());
  Mouse(WM_LBUTTONUP, 0, 150);
  Posted();
  // Losing the capture mid-drag ends the drag and tells the parent; later moves do nothing.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 100);  // adds a marker
  ASSERT_EQ(ramp.markers.size(), 4u);
  SetCapture(parent);  // the release will not come to the control
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(1));
  EXPECT_EQ(ramp.markers[1].flags, MarkerActive);
  ReleaseCapture();
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, 200);
  Mouse(WM_LBUTTONUP, 0, 200);
  EXPECT_TRUE(ramp.markers[1].position == kAt100 && Posted().empty());
}

namespace {

// Answers the colour picker as a user would: cyan shown, green set to 128, OK.
void AnswerPicker(HWND dialog, const MCHAR* title, void* titles) {
  static_cast<std::vector<std::wstring>*>(titles)->push_back(title);
  EXPECT_EQ(std::tuple(GetDlgItemInt(dialog, HSVDLG_RED, nullptr, FALSE),
                       GetDlgItemInt(dialog, HSVDLG_GREEN, nullptr, FALSE)),
            std::tuple(0u, 255u));
  SetDlgItemInt(dialog, HSVDLG_GREEN, 128, FALSE);
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

}  // namespace

TEST_F(RampControl, CtrlClickOpensThePickerAndKeepsTheSelection) {
  std::vector<std::wstring> titles;
  SetHSVDialogHook(AnswerPicker, &titles);
  SetHeldKeys({VK_CONTROL, VK_LCONTROL});

  // On the middle marker, which is not active: its reactive colour, for every marker.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 150);
  EXPECT_EQ(titles, std::vector<std::wstring>{L"Setup reactive marker color"});
  const AColor reactive(0.0f, 128.0f / 255.0f, 1.0f, 0.0f);
  for (const RampMarker& m : ramp.markers) EXPECT_EQ(m.reactiveGlyphColor, reactive);
  EXPECT_EQ(std::tuple(ramp.markers[0].flags, ramp.markers[1].flags, ramp.markers[1].position),
            std::tuple(unsigned(MarkerActive), 0u, 0.5f))
      << "no selection changed";
  for (int x : {150, 297}) ExpectGlyph(x, RGB(0, 128, 255));
  Mouse(WM_LBUTTONUP, 0, 150);  // nothing was dragged: nothing to tell
  EXPECT_TRUE(Posted().empty());

  // Away from every marker: no picker and no new marker.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 100);
  Mouse(WM_LBUTTONUP, 0, 100);
  EXPECT_EQ(std::tuple(titles.size(), ramp.markers.size(), Posted().size()),
            std::tuple(size_t(1), size_t(3), size_t(0)));
}

TEST_F(RampControl, DraggingPastANeighbourReordersAndNamesTheDraggedMarker) {
  ramp.AddMarker(0.7f, AColor(0.7f, 0.7f, 0.7f, 1.0f));  // markers at 0, 0.5, 0.7 and 1
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 150);
  ASSERT_EQ(ramp.markers[1].flags, kDragging);
  const AColor dragged = ramp.markers[1].color;

  // The neighbour passed moves down a place; the message names the dragged marker's record.
  for (auto [x, index] : {std::pair{230, size_t(2)}, {120, size_t(1)}, {260, size_t(2)}}) {
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, x);
    ExpectOnly(WM_RAMP_MARKER_MOVED, Record(index));
    EXPECT_EQ(ramp.markers[index].color, dragged) << "step to " << x;
  }
  EXPECT_EQ(ramp.markers[1].position, 0.7f);

  Mouse(WM_LBUTTONUP, 0, 260);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(2));
  EXPECT_EQ(ramp.markers[2].flags, MarkerActive);
  ExpectGlyph(260, kRed);
}

// A right click deletes the marker under it (which may go is the model's) and, whether one went
// or not, repaints and tells the parent, naming the active marker or none.
TEST_F(RampControl, RightClickDeletesAMarkerRepaintsAndTellsTheParent) {
  Mouse(WM_RBUTTONUP, 0, 100);  // away from every marker: nothing is deleted
  EXPECT_EQ(ramp.markers.size(), 3u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  PaintWhite();
  Mouse(WM_RBUTTONUP, 0, 150);
  ASSERT_EQ(ramp.markers.size(), 2u);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, Record(0));
  for (int x : {50, 150, 250}) ExpectBand(x);  // the middle glyph is gone
  ramp.ClearMarkerFlags();
  Mouse(WM_RBUTTONUP, 0, 150);
  ExpectOnly(WM_RAMP_MARKER_CHANGED, 0);

  ramp.markers.clear();  // an empty ramp draws black and takes clicks
  Redraw();
  EXPECT_EQ(RgbOf(Pixel(150, kBandY)), RgbOf(RGB(0, 0, 0)));
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP})
    Mouse(msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, 150);
  EXPECT_EQ(ramp.markers.size(), 1u);
}

// A picture of the control for the README, as drawn on the screen and read back, written as a
// PNG beside the test program (docs/images/ramp-control.png is a copy): warm light at the
// edge, through brown, to a dark blue, with a marker added between and the middle one selected.
TEST_F(RampControl, WritesThePictureOfTheControl) {
  ramp.markers[0].color = AColor(1.0f, 0.8f, 0.3f, 1.0f);
  ramp.markers[1].position = 0.3f;
  ramp.markers[1].color = AColor(0.6f, 0.2f, 0.05f, 1.0f);
  ramp.markers[1].outMode = 1;  // Exponential
  ramp.markers[2].color = AColor(0.1f, 0.15f, 0.25f, 1.0f);
  ramp.AddMarker(0.75f, AColor(0.25f, 0.45f, 0.7f, 1.0f));
  ramp.SetActiveMarker(1);
  Redraw();
  int width = 0, height = 0;
  std::vector<unsigned char> rgb = CaptureClient(control, width, height);
  ASSERT_TRUE(width == kWidth && height == kHeight);
  // The capture shows the band and the active glyph.
  for (int x : {10, 60, 150, 200, 280}) {
    const unsigned char* p = &rgb[(size_t(kBandY) * kWidth + x) * 3];
    EXPECT_EQ(RgbOf(RGB(p[0], p[1], p[2])), RgbOf(Pixel(x, kBandY))) << "column " << x;
  }
  ExpectBand(150);
  const unsigned char* glyph =
      &rgb[(size_t(1) * kWidth + RampGeometry(8, 0, kWidth).GlyphAt(0.3f).apex) * 3];
  EXPECT_EQ(RgbOf(RGB(glyph[0], glyph[1], glyph[2])), RgbOf(kRed));
  EXPECT_TRUE(WritePng(ProgramFolder() + L"ramp-control.png", width, height, rgb));
}
