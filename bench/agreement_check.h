#pragma once
#include <vector>

#include "point3.h"

struct Workload;

// Compares the three methods on a prefix of `points` (all of them unless the record's query
// is too slow to afford it): wherever the exact nearest distance is below the workload's
// distance, all three must report it within float tolerance, and none may ever report a
// distance below the exact one. Ends the program with a description of the first
// disagreements otherwise.
void CheckAgreement(const Workload& w, const std::vector<Point3>& points);
