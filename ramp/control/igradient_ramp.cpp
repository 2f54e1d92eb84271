#include "igradient_ramp.h"

IGradientRamp::IGradientRamp(HWND hWnd, GradientRamp* ramp, RampEditSink* sink)
    : hWnd(hWnd), ramp(ramp), sink(sink) {
  SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

IGradientRamp::~IGradientRamp() {
  if (hWnd && IsWindow(hWnd)) {
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
    DestroyWindow(hWnd);
  }
  hWnd = nullptr;
  ramp = nullptr;
  sink = nullptr;
}

IGradientRamp* BoundGradientRamp(HWND hWnd) {
  return reinterpret_cast<IGradientRamp*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}
