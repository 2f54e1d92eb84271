#include <cwchar>
#include "MaxExceptions.h"

namespace MaxSDK {
namespace Util {
namespace {
MCHAR* Copy(const MCHAR* s) {
  if (!s) return nullptr;
  size_t n = std::wcslen(s) + 1;
  MCHAR* out = new MCHAR[n];
  std::wmemcpy(out, s, n);
  return out;
}
}  // namespace

Exception::Exception() : mMessage(nullptr) {}
Exception::Exception(const MCHAR* message) : mMessage(Copy(message)) {}
Exception::Exception(const Exception& other) : mMessage(Copy(other.mMessage)) {}
Exception& Exception::operator=(const Exception& other) {
  if (this != &other) {
    MCHAR* copy = Copy(other.mMessage);
    delete[] mMessage;
    mMessage = copy;
  }
  return *this;
}
Exception::~Exception() {
  delete[] mMessage;
}
const MCHAR* Exception::What() const {
  return mMessage ? mMessage : L"";
}

OutOfRangeException::OutOfRangeException(const MCHAR* message) : Exception(message) {}
const MCHAR* OutOfRangeException::What() const {
  return Exception::What();
}

}  // namespace Util
}  // namespace MaxSDK
