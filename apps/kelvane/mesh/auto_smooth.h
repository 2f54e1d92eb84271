#pragma once
#include "mesh/poly_mesh_data.h"

class ProgressBar;

// Gives a mesh smoothing groups the way an auto-smooth does: faces joined across edges whose
// dihedral angle is at or below `angleDegrees` form smooth regions, each region gets one
// group, and regions meeting at a sharper edge get different groups where 32 allow it (greedy
// colouring in face order). Faces without a usable normal are regions of their own. Corners
// must name existing vertices. Shows its progress on the bar when given. Runs on `threads`
// threads (0: every core); the groups are the same for any count.
void AutoSmooth(PolyMeshData& mesh, float angleDegrees, ProgressBar* progress = nullptr,
                int threads = 0);
