#pragma once
// What scene files need of the scene beyond the Interface: its nodes in handle order, the
// node class, and swapping the whole scene at once.
#include <vector>

#include "inode.h"
#include "plugapi.h"

namespace hostscene {

// The scene's nodes in handle order.
std::vector<INode*> Nodes();
// The class of the host's scene nodes.
ClassDesc* NodeClassDesc();
// Puts the host's geometry and node classes in the directory, the first time only. Scene
// files call it before they look classes up.
void RegisterHostGeometryClasses(ClassDirectory& dir);
// t as a node of the host's node class that is not in the scene; null for anything else.
INode* AsFreeNode(ReferenceTarget* t);
// Makes nodes the whole scene and deletes the nodes it had. The nodes come from AsFreeNode,
// with distinct handles other than kNullHandle and 0xFFFFFFFF.
void ReplaceNodes(const std::vector<INode*>& nodes);

}  // namespace hostscene
