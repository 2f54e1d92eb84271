#pragma once
#include <cstdint>
#include <string>

// Checks what a mesh file's header promises against the file's size before the importer
// believes it: a header that claims ten million faces in a file of a few hundred bytes would
// otherwise have the importer allocate for all of them, or read for minutes. Knows PLY
// (element counts times the fewest bytes an element can take, ASCII or binary), OFF (vertex
// and face counts), binary STL (the triangle count) and binary glTF (the container's length);
// other formats, and headers it cannot read, are left to the importer. Throws InputError
// naming the file and the claim.
void CheckMeshFileClaims(const std::string& path, std::uintmax_t fileSize);
