// The viewport preview: edge distances exist only at render time, so the viewport gets a
// picture of the ramp instead, square, position 0 at the left, every row the same.
#include "bitmap.h"
#include "kelvane.h"
#include "ramp_preview.h"

BOOL Kelvane::SupportTexDisplay() {
  return TRUE;
}

void Kelvane::ActivateTexDisplay(BOOL onoff) {
  if (!onoff) DiscardTexHandle();
}

void Kelvane::DiscardTexHandle() {
  if (texHandle) {
    texHandle->DeleteThis();
    texHandle = nullptr;
  }
  texHandleValid.SetEmpty();
}

Bitmap* Kelvane::BuildPreviewBitmap(int size) {
  // BitmapInfo keeps 16-bit sides: a size it cannot hold gets no bitmap rather than one of
  // another size.
  if (size < 1 || size > 0xFFFF) return nullptr;
  BitmapInfo bi;
  bi.SetName(L"KelvaneTemp");
  bi.SetWidth(WORD(size));
  bi.SetHeight(WORD(size));
  bi.SetType(BMM_TRUE_32);
  Bitmap* bm = TheManager->Create(&bi);
  if (!bm) return nullptr;
  auto* row = static_cast<BMM_Color_64*>(MAX_calloc(size_t(size), sizeof(BMM_Color_64)));
  if (!row) {
    bm->DeleteThis();
    return nullptr;
  }
  // Every row is built the same way from ColorAt rather than copied from the first.
  for (int y = 0; y < size; ++y) {
    FillPreviewRow(ramp, size, row);
    bm->PutPixels(0, y, size, row);
  }
  MAX_free(row);
  return bm;
}

BITMAPINFO* Kelvane::GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid, BOOL,
                                     int forceW, int forceH) {
  Interval scratch = FOREVER;
  Update(t, scratch);
  Bitmap* bm = BuildPreviewBitmap(thmaker.Size());
  if (!bm) {
    // Nothing to show, and nothing that stays valid: the host asks again.
    valid.SetEmpty();
    return nullptr;
  }
  BITMAPINFO* dib = thmaker.BitmapToDIB(bm, uvGen ? uvGen->SymFlags() : 0, 0, forceW, forceH);
  bm->DeleteThis();
  if (dib)
    valid = FOREVER;
  else
    valid.SetEmpty();
  return dib;
}

DWORD_PTR Kelvane::GetActiveTexHandle(TimeValue t, TexHandleMaker& thmaker) {
  if (texHandle) {
    if (texHandleValid.InInterval(t)) return texHandle->GetHandle();
    DiscardTexHandle();
  }
  BITMAPINFO* dib = GetVPDisplayDIB(t, thmaker, texHandleValid);
  if (!dib) {
    // No bitmap could be made: the viewport gets no texture and we keep none, so the next
    // call tries again.
    DiscardTexHandle();
    return 0;
  }
  texHandle = thmaker.MakeHandle(dib);
  if (!texHandle) {
    texHandleValid.SetEmpty();
    return 0;
  }
  return texHandle->GetHandle();
}
