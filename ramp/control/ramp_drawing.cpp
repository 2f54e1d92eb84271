#include "ramp_drawing.h"

namespace {

void FillTriangle(HDC dc, const POINT (&points)[4], COLORREF color) {
  HRGN region = CreatePolygonRgn(points, 4, ALTERNATE);
  HBRUSH brush = CreateSolidBrush(color);
  if (region && brush) FillRgn(dc, region, brush);
  if (brush) DeleteObject(brush);
  if (region) DeleteObject(region);
}

}  // namespace

void DrawMarkerGlyph(HDC dc, const RECT& client, const RampGeometry& geometry, RampMarker& marker) {
  marker.position = ClampGlyphPosition(marker.position);
  const AColor& fill =
      (marker.flags & MarkerActive) ? marker.activeGlyphColor : marker.reactiveGlyphColor;
  COLORREF color = RampColorRef(fill);
  RampGeometry::Glyph g = geometry.GlyphAt(marker.position);
  const int s = geometry.markerSize;
  const POINT lower[4] = {{g.left, client.bottom},
                          {g.right, client.bottom},
                          {g.apex, client.bottom - s},
                          {g.left, client.bottom}};
  FillTriangle(dc, lower, color);
  const POINT upper[4] = {
      {g.left, client.top}, {g.right, client.top}, {g.apex, client.top + s}, {g.left, client.top}};
  FillTriangle(dc, upper, color);
}

void DrawRamp(HWND hWnd, GradientRamp& ramp) {
  HDC dc = GetDC(hWnd);
  if (!dc) return;
  RECT client;
  GetClientRect(hWnd, &client);
  RampGeometry geometry(ramp.markerSize, client.left, client.right);

  // One pen per column: the colour changes from column to column.
  const int columns = geometry.ColumnCount();
  for (int i = 0; i < columns; ++i) {
    RampGeometry::Column column = geometry.ColumnAt(i);
    HPEN pen = CreatePen(PS_SOLID, 1, RampColorRef(ramp.ColorAt(column.position)));
    if (!pen) continue;
    HGDIOBJ previous = SelectObject(dc, pen);
    // LineTo leaves out its end point: from the bottom to one above the top covers the height.
    MoveToEx(dc, column.x, client.bottom, nullptr);
    LineTo(dc, column.x, client.top - 1);
    SelectObject(dc, previous);
    DeleteObject(pen);
  }

  for (RampMarker& marker : ramp.markers) DrawMarkerGlyph(dc, client, geometry, marker);
  ReleaseDC(hWnd, dc);
}
