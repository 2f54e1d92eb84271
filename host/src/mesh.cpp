#include "mesh.h"

Mesh::Mesh(const Mesh& other)
    : edgeSel(other.edgeSel),
      faceSel(other.faceSel),
      vertSel(other.vertSel),
      faceStore(other.faceStore),
      vertStore(other.vertStore) {
  Sync();
}

Mesh& Mesh::operator=(const Mesh& other) {
  if (this != &other) {
    faceStore = other.faceStore;
    vertStore = other.vertStore;
    edgeSel = other.edgeSel;
    faceSel = other.faceSel;
    vertSel = other.vertSel;
    Sync();
  }
  return *this;
}

Mesh::~Mesh() = default;

BOOL Mesh::setNumVerts(int ct, BOOL keep, BOOL synchSel) {
  if (ct < 0) return FALSE;
  if (!keep) vertStore.clear();
  vertStore.resize(size_t(ct));
  if (synchSel) vertSel.SetSize(ct, keep);
  Sync();
  return TRUE;
}

BOOL Mesh::setNumFaces(int ct, BOOL keep, BOOL synchSel) {
  if (ct < 0) return FALSE;
  if (!keep) faceStore.clear();
  faceStore.resize(size_t(ct));
  if (synchSel) {
    faceSel.SetSize(ct, keep);
    edgeSel.SetSize(3 * ct, keep);
  }
  Sync();
  return TRUE;
}

void Mesh::Sync() {
  numVerts = int(vertStore.size());
  numFaces = int(faceStore.size());
  verts = vertStore.empty() ? nullptr : vertStore.data();
  faces = faceStore.empty() ? nullptr : faceStore.data();
}
