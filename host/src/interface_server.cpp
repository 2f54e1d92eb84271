#include "baseinterface.h"

InterfaceServer::~InterfaceServer() = default;

BaseInterface* InterfaceServer::GetInterface(Interface_ID) {
  return nullptr;
}
