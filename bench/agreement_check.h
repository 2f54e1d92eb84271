#pragma once
#include <vector>

#include "point3.h"

struct Workload;

// Compares the methods on a prefix of `points` (all of them unless the plain grid scan is too
// slow to afford it): wherever the exact nearest distance is below the workload's distance,
// the record's query, Embree and the exact CGAL distance agree within float tolerance, and
// neither the query nor Embree ever reports a distance below the exact one. The record's query
// also answers as its plain grid scan does, as the tests' oracle (edge_oracle.h) defines it.
// Ends the program with a description of the first disagreements otherwise.
void CheckAgreement(const Workload& w, const std::vector<Point3>& points);
