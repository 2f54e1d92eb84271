#pragma once
#include <vector>

#include "edge_cache.h"
#include "edge_parameters.h"
#include "gradient_ramp.h"
#include "imtl.h"
#include "ioapi.h"
#include "iparamb2.h"
#include "module_export.h"
#include "prepared_ramp.h"
#include "stdmat.h"

class Bitmap;
class KelvaneDlgProc;
class MarkerRestore;
class TexHandle;

// The Kelvane texture map: a gradient along the distance from the shaded point to the
// nearest qualifying edge of the shaded node's mesh.
//
// References: 0 the coordinates, 1 the parameter block, 2 the output, then for marker i of
// the ramp 3 + 2i its colour map and 4 + 2i its transparency map. Sub-map k is reference
// k + 3.
//
// The EdgeParameters members hold the parameter values as of the last Update, and
// preparedRamp the ramp as of then; the shading path reads only these (and the ramp itself
// when it has marker maps).
class KELVANE_EXPORT Kelvane : public MultiTex, public EdgeParameters {
 public:
  HWND hwMtlEdit = nullptr;
  IParamBlock2* pblock = nullptr;
  KelvaneDlgProc* dlgProc = nullptr;
  TextureOutput* texout = nullptr;
  UVGen* uvGen = nullptr;
  Interval ivalid;
  // The per-node records and the lock that guards them.
  EdgeCache edgeCaches;
  TexHandle* texHandle = nullptr;
  Interval texHandleValid;
  GradientRamp ramp;
  PreparedRamp preparedRamp;

  Kelvane();
  ~Kelvane() override;

  // Identity and structure.
  void GetClassName(MSTR& s, bool localized = true) const override;
  Class_ID ClassID() override;
  int NumSubs() override;
  Animatable* SubAnim(int i) override;
  MSTR SubAnimName(int i, bool localized = true) override;
  int SubNumToRefNum(int subNum) override { return subNum; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int) override { return pblock; }
  IParamBlock2* GetParamBlockByID(BlockID id) override;
  int NumRefs() override;
  RefTargetHandle GetReference(int i) override;
  RefTargetHandle Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  // Sub-maps: two per marker.
  int NumSubTexmaps() override;
  Texmap* GetSubTexmap(int i) override;
  void SetSubTexmap(int i, Texmap* m) override;
  MSTR GetSubTexmapSlotName(int i, bool localized = true) override;
  BOOL SetDlgThing(ParamDlg* dlg) override;

  // Lifecycle.
  void Update(TimeValue t, Interval& valid) override;
  void Reset() override;
  Interval Validity(TimeValue t) override;
  // The material editor's dialog: the parameter maps, the output rollout and the "Parameters"
  // rollout's handler (ui/, Windows). Natively there is no material editor: null.
  ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;
  // The open rollout's UpdateSubTexNames; nothing natively.
  void UpdateRolloutSubTexNames();

  ULONG LocalRequirements(int subMtlNum) override;
  void LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) override;
  void GetUVTransform(Matrix3& uvtrans) override;
  int GetTextureTiling() override;
  void InitSlotType(int sType) override;
  int GetUVWSource() override;
  int GetMapChannel() override;
  UVGen* GetTheUVGen() override { return uvGen; }
  void SetOutputLevel(TimeValue t, float v) override;
  bool IsLocalOutputMeaningful(ShadeContext&) override { return true; }

  // Shading: render threads call these concurrently.
  AColor EvalColor(ShadeContext& sc) override;
  Point3 EvalNormalPerturb(ShadeContext& sc) override;

  // The viewport preview: a picture of the ramp, kept as texHandle until discarded.
  BOOL SupportTexDisplay() override;
  DWORD_PTR GetActiveTexHandle(TimeValue t, TexHandleMaker& thmaker) override;
  void ActivateTexDisplay(BOOL onoff) override;
  BITMAPINFO* GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                              BOOL mono = FALSE, int forceW = 0, int forceH = 0) override;
  // The preview bitmap for a size: "KelvaneTemp", size x size, BMM_TRUE_32, each row the
  // ramp by FillPreviewRow. Null when the host makes no bitmap; the caller deletes it.
  Bitmap* BuildPreviewBitmap(int size);

  // Where every edit of the markers ends, whoever made it (the rollout, the ramp control): a
  // change of the sequence (add, copy, move, merge, delete) or of a marker's fields. Brings the
  // references in step (SyncMarkerReferences), then makes everything that shows the map show
  // it anew: the viewport texture goes, ivalid empties and the dependents hear REFMSG_CHANGE
  // (the material editor's sample slot, the viewport).
  void MarkersEdited();
  // While the host is holding, puts the markers as they were before the edit under way on
  // theHold, once per hold (one gesture, one undo step). MarkersEdited does it; an edit that
  // lets go of a map before it gets there calls it first. Nothing while suspended or restoring.
  void HoldMarkers();
  // What a marker restore does: the ramp becomes markers, then all follows as after an edit,
  // and the open rollout shows it.
  void RestoreMarkers(const std::vector<RampMarker>& markers);
  // The open rollout shows the map anew; nothing natively.
  void RefreshRollout();
  // Brings the references, the "marker_map" count and the dependencies back in step with the
  // ramp's marker sequence after an edit of the sequence (add, duplicate, merge, delete,
  // sort, load). Cheap when nothing changed; otherwise it empties ivalid and discards the
  // viewport texture. Maps that left the ramp are released once each.
  void SyncMarkerReferences();
  // After a load has installed the marker maps: markers in order, references in step.
  void FinishMarkerLoad();
  // Drops every per-node record.
  void ClearEdgeCache();
  // Drops the viewport texture: deletes it if there is one, empties its validity.
  void DiscardTexHandle();
  // The parameter snapshot a new per-node record takes.
  EdgeParameters CurrentEdgeParameters() const;
  // The shaded node's record: the one this thread already holds, or GetEdgeData's at the
  // context's time with the current parameters; null when asked from inside its own build.
  // Inline: every sample asks, and nearly every one is answered by the thread's memory.
  const NodeEdgeCache* NodeRecord(ULONG nodeHandle, ShadeContext& sc) {
    if (const NodeEdgeCache* held = edgeCaches.Remembered(nodeHandle)) return held;
    return edgeCaches.GetEdgeData(nodeHandle, sc.CurTime(), CurrentEdgeParameters());
  }
  // The round-edge perturbation at an object-space point of a record kept with its faces.
  Point3 RoundEdgePerturbation(const NodeEdgeCache& record, const Point3& objectPoint) const;

 protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

 private:
  // The maps of the markers, in reference order (colour, transparency per marker).
  std::vector<Texmap*> MarkerMaps() const;
  void SetMarkerMap(int k, Texmap* map);
  void RestoreMarkerMapCount();

  // Sorts the loaded markers once the host has installed their maps.
  class MarkerOrderCallback : public PostLoadCallback {
   public:
    explicit MarkerOrderCallback(Kelvane* m) : map(m) {}
    void proc(ILoad* iload) override;

   private:
    Kelvane* map;
  };
  MarkerOrderCallback markerOrderCallback{this};

  // What the reference system holds for references 3 and up, as this map last told it. Kept
  // untyped: a damaged scene file can name an object of another kind for a slot.
  std::vector<RefTargetHandle> linkedMaps;
  bool syncing = false;
  // The markers as of the last edit the map took in: the state an undo step starts from.
  std::vector<RampMarker> committedMarkers;
  // This hold's restore object, until the hold ends.
  friend class MarkerRestore;
  MarkerRestore* heldMarkers = nullptr;
  // Targets of references 0 to 2 that are not of the slot's kind (a damaged scene file): held
  // so the reference system's bookkeeping stays true, never used, replaced after the load.
  RefTargetHandle misfits[3] = {};
};
