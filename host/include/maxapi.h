#pragma once
#include "WindowsDefines.h"
#include "hostexport.h"
#include "inode.h"

// The host's core interface: the scene.
class Interface {
 public:
  virtual INode* GetINodeByHandle(ULONG handle) = 0;
  virtual INode* GetINodeByName(const MCHAR* name) = 0;
  virtual TimeValue GetTime() = 0;
  virtual void SetTime(TimeValue t, BOOL redraw = TRUE) = 0;
  // Creates a scene node for an object (null for a node without geometry). Nodes may share
  // an object (instances).
  virtual INode* CreateObjectNode(Object* obj) = 0;
  // Removes a node; its object goes with its last node.
  virtual void DeleteNode(INode* node, BOOL redraw = TRUE, BOOL overrideSlaves = FALSE) = 0;

 protected:
  virtual ~Interface() = default;
};

CoreExport Interface* GetCOREInterface();
