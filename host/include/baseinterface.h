#pragma once
#include "WindowsDefines.h"
#include "maxheap.h"

// Interface identity for GetInterface. The stand-in serves no extension interfaces, so the
// base answers null for every id; the type exists so plug-in code keeps the SDK's shape.
class Interface_ID {
 public:
  constexpr Interface_ID() = default;
  constexpr Interface_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr bool operator==(const Interface_ID& o) const { return a_ == o.a_ && b_ == o.b_; }
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }

 private:
  ULONG a_ = 0xffffffff;
  ULONG b_ = 0xffffffff;
};

class BaseInterface;

class UtilExport InterfaceServer : public MaxHeapOperators {
 public:
  virtual ~InterfaceServer();
  virtual BaseInterface* GetInterface(Interface_ID id);
};
