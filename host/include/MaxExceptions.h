#pragma once
#include "WindowsDefines.h"
#include "maxheap.h"

namespace MaxSDK {
namespace Util {

// Not derived from std::exception, as in the host.
class UtilExport Exception : public MaxHeapOperators {
 public:
  explicit Exception(const MCHAR* message);
  Exception(const Exception& other);
  Exception& operator=(const Exception& other);
  virtual ~Exception();
  virtual const MCHAR* What() const;

 protected:
  Exception();
  MCHAR* mMessage;
};

class UtilExport OutOfRangeException : public Exception {
 public:
  explicit OutOfRangeException(const MCHAR* message);
  const MCHAR* What() const override;
};

}  // namespace Util
}  // namespace MaxSDK
