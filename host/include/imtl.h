#pragma once
// The materials layer: the context a renderer hands to materials and maps, the texture-map
// base classes, and the coordinates and output objects every map carries.
#include "WindowsDefines.h"
#include "TexHandle.h"
#include "acolor.h"
#include "bitarray.h"
#include "hostexport.h"
#include "interval.h"
#include "matrix3.h"
#include "maxheap.h"
#include "maxtypes.h"
#include "plugapi.h"
#include "point3.h"
#include "ref.h"
#include "strclass.h"

class INode;
class Object;
class Texmap;
class UVGen;
class ParamDlg;
class IMtlParams;

enum SCMode {
  SCMODE_NORMAL = 0,
  SCMODE_SHADOW = 1,
  SCMODE_BAKE = 2,
  SCMODE_TEXMAP = 3,
  SCMODE_TEXTURE_BAKE = 4
};

enum RefFrame { REF_CAMERA = 0, REF_WORLD, REF_OBJECT };

// What a shading call leaves for the renderer besides its result.
class ShadeOutput : public MaxHeapOperators {
 public:
  int gbufId = 0;
};

// One shading sample as the renderer sees it. The renderer owns it; maps only read it, pass
// it on to their sub-maps, and use its per-sample result cache.
class ShadeContext : public MaxHeapOperators {
 public:
  SCMode mode = SCMODE_NORMAL;
  BOOL doMaps = TRUE;  // maps are on for this sample
  BOOL filterMaps = TRUE;
  BOOL shadow = TRUE;
  BOOL backFace = FALSE;
  int mtlNum = 0;
  int rayLevel = 0;
  int xshadeID = 0;
  ShadeOutput out;

  ShadeContext() = default;
  virtual ~ShadeContext() = default;

  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual BOOL InMtlEditor() = 0;
  virtual TimeValue CurTime() = 0;
  virtual int NodeID() { return -1; }
  virtual INode* Node() { return nullptr; }
  virtual Object* GetEvalObject() { return nullptr; }
  virtual Point3 P() = 0;     // the shaded point in camera space
  virtual Point3 PObj() = 0;  // the shaded point in the object space of the shaded node
  virtual Point3 PointTo(const Point3& p, RefFrame ito) = 0;  // from camera space
  virtual Point3 PointFrom(const Point3& p, RefFrame ifrom) = 0;
  virtual Point3 VectorTo(const Point3& p, RefFrame ito) = 0;
  virtual Point3 VectorFrom(const Point3& p, RefFrame ifrom) = 0;
  virtual void SetGBufferID(int gbid) { out.gbufId = gbid; }

  // A map's result for this sample, kept so a map used twice is evaluated once.
  virtual BOOL GetCache(Texmap*, AColor&) { return FALSE; }
  virtual BOOL GetCache(Texmap*, float&) { return FALSE; }
  virtual BOOL GetCache(Texmap*, Point3&) { return FALSE; }
  virtual void PutCache(Texmap*, const AColor&) {}
  virtual void PutCache(Texmap*, const float) {}
  virtual void PutCache(Texmap*, const Point3&) {}
  virtual void TossCache(Texmap*) {}
};

#define MAPSLOT_TEXTURE 0
#define MAPSLOT_ENVIRON 1
#define MAPSLOT_DISPLACEMENT 2
#define MAPSLOT_BACKGROUND 3

// The sub-map facet of materials and maps.
class CoreExport ISubMap : public MaxHeapOperators {
 public:
  virtual ~ISubMap() {}
  virtual int NumSubTexmaps() { return 0; }
  virtual Texmap* GetSubTexmap(int) { return nullptr; }
  virtual int MapSlotType(int i) = 0;
  virtual void SetSubTexmap(int, Texmap*) {}
  virtual int SubTexmapOn(int) { return 1; }
  // No default for `localized` here, as in the SDK; the track-view name has one.
  virtual MSTR GetSubTexmapSlotName(int i, bool localized);
  // The name the track view shows for sub-map i: its slot name.
  MSTR GetSubTexmapTVName(int i, bool localized = true);
  virtual BOOL SetDlgThing(ParamDlg*) { return FALSE; }
  virtual ReferenceTarget* GetRefTarget() = 0;
};

#define MTLREQ_UV (1 << 4)
#define MTLREQ_XYZ (1 << 6)

// What materials, maps and their helper objects share: a name, a G-buffer ID, flags.
class CoreExport MtlBase : public ReferenceTarget, public ISubMap {
 public:
  ULONG gbufID = 0;

  MtlBase() = default;
  // Copies the material data only (name, G-buffer ID, flags), never references: Clone uses
  // it to give a new object this one's identity.
  MtlBase& operator=(const MtlBase& m);

  MSTR& GetName() { return name; }
  void SetName(MSTR s) { name = s; }
  virtual MSTR GetFullName(bool localized);
  void SetMtlFlag(int mask, BOOL val = TRUE) {
    if (val)
      mtlFlags |= ULONG(mask);
    else
      mtlFlags &= ~ULONG(mask);
  }
  void ClearMtlFlag(int mask) { mtlFlags &= ~ULONG(mask); }
  int TestMtlFlag(int mask) { return (mtlFlags & ULONG(mask)) != 0; }

  // This object's requirements and those of its sub-maps.
  virtual ULONG Requirements(int subMtlNum);
  virtual ULONG LocalRequirements(int) { return 0; }
  virtual void MappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq);
  virtual void LocalMappingsRequired(int, BitArray&, BitArray&) {}

  virtual void Update(TimeValue t, Interval& valid) = 0;
  virtual void Reset() = 0;
  virtual Interval Validity(TimeValue t) = 0;
  virtual ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) = 0;

  // The material data (name, G-buffer ID, flags) in chunks of its own; classes call these
  // from their Save and Load.
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  ULONG GetGBufID() { return gbufID; }
  void SetGBufID(ULONG id) { gbufID = id; }

  virtual BOOL SupportTexDisplay() { return FALSE; }
  virtual DWORD_PTR GetActiveTexHandle(TimeValue, TexHandleMaker&) { return 0; }
  virtual void ActivateTexDisplay(BOOL) {}

  ReferenceTarget* GetRefTarget() override { return this; }

 private:
  MSTR name;
  ULONG mtlFlags = 0;
};

#define U_WRAP (1 << 0)
#define V_WRAP (1 << 1)
#define U_MIRROR (1 << 2)
#define V_MIRROR (1 << 3)
#define UVWSRC_EXPLICIT 0
#define UVWSRC_OBJXYZ 1
#define UVWSRC_EXPLICIT2 2
#define UVWSRC_WORLDXYZ 3

// A texture map: colour, mono value and bump for a shading sample. Render threads call the
// Eval methods concurrently.
class CoreExport Texmap : public MtlBase {
 public:
  Texmap() = default;

  virtual AColor EvalColor(ShadeContext& sc) = 0;
  // The intensity of EvalColor, the mean of its r, g and b.
  virtual float EvalMono(ShadeContext& sc);
  virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
  virtual BOOL HandleOwnViewPerturb() { return FALSE; }

  // The map's picture for the viewport, converted by thmaker; valid narrowed to how long it
  // holds. The host frees the result (MakeHandle takes it). A map with none answers null.
  virtual BITMAPINFO* GetVPDisplayDIB(TimeValue t, TexHandleMaker& thmaker, Interval& valid,
                                      BOOL mono = FALSE, int forceW = 0, int forceH = 0);

  virtual void GetUVTransform(Matrix3&) {}
  virtual int GetTextureTiling() { return U_WRAP | V_WRAP; }
  virtual void InitSlotType(int) {}
  int MapSlotType(int) override { return MAPSLOT_TEXTURE; }
  virtual int GetUVWSource() { return UVWSRC_EXPLICIT; }
  virtual int GetMapChannel() { return 1; }
  virtual UVGen* GetTheUVGen() { return nullptr; }
  virtual void SetOutputLevel(TimeValue, float) {}
  virtual bool IsOutputMeaningful(ShadeContext& sc) { return IsLocalOutputMeaningful(sc); }
  virtual bool IsLocalOutputMeaningful(ShadeContext&) { return false; }

  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
};

#define AXIS_UV 0
#define AXIS_VW 1
#define AXIS_WU 2

// Where a map takes its coordinates from.
class CoreExport UVGen : public MtlBase {
 public:
  virtual void GetUVTransform(Matrix3& uvtrans) = 0;
  virtual int GetTextureTiling() = 0;
  virtual void SetTextureTiling(int t) = 0;
  virtual int GetUVWSource() = 0;
  virtual void SetUVWSource(int s) = 0;
  virtual int GetMapChannel() { return 1; }
  virtual void SetMapChannel(int) {}
  virtual int GetSlotType() = 0;
  virtual void InitSlotType(int sType) = 0;
  // The wrap and mirror flags (U_WRAP, V_WRAP, U_MIRROR, V_MIRROR) of the coordinates.
  virtual int SymFlags() = 0;
  virtual void SetSymFlags(int f) = 0;
  virtual int GetAxis() = 0;
  virtual void SetAxis(int ax) = 0;
  virtual BOOL IsStdUVGen() { return FALSE; }
  SClass_ID SuperClassID() override { return UVGEN_CLASS_ID; }
};

// The output filter a map applies to its results.
class CoreExport TextureOutput : public MtlBase {
 public:
  virtual AColor Filter(AColor c) = 0;
  virtual float Filter(float f) = 0;
  virtual Point3 Filter(Point3 p) = 0;
  virtual float GetOutputLevel(TimeValue t) = 0;
  virtual void SetOutputLevel(TimeValue t, float v) = 0;
  virtual void SetInvert(BOOL onoff) = 0;
  virtual BOOL GetInvert() = 0;
  SClass_ID SuperClassID() override { return TEXOUTPUT_CLASS_ID; }
};

// The host's default coordinates generator and output filter, new for each map.
CoreExport UVGen* GetNewDefaultUVGen();
CoreExport TextureOutput* GetNewDefaultTextureOutput();

#if defined(_WIN32)
#include "custcont.h"

class IRollupWindow;

// Where a rollup page goes among the editor's pages.
#define ROLLUP_CAT_SYSTEM 2000
#define ROLLUP_CAT_STANDARD 4000

// The material editor's view of an object's dialog: the editor shows another object of the
// same class in it with SetThing, brings it to a time, reloads it and deletes it; the
// drag-and-drop manager of map buttons asks it which sub-map a button shows.
class ParamDlg : public InterfaceServer {
 public:
  virtual Class_ID ClassID() = 0;
  virtual void SetThing(ReferenceTarget* m) = 0;
  virtual ReferenceTarget* GetThing() = 0;
  virtual void SetTime(TimeValue t) = 0;
  virtual void ReloadDialog() = 0;
  virtual void DeleteThis() = 0;
  virtual void ActivateDlg(BOOL onOff) = 0;
  virtual int FindSubTexFromHWND(HWND) { return -1; }
  virtual int FindSubMtlFromHWND(HWND) { return -1; }
  virtual INT_PTR Execute(int, ULONG_PTR = 0, ULONG_PTR = 0, ULONG_PTR = 0) { return 0; }
};

// The material editor as an object's dialogs see it: rollup pages, the current time, and the
// notice that the edited object changed (the editor then redraws its sample slot).
class IMtlParams : public InterfaceServer {
 public:
  virtual void MtlChanged() = 0;
  // A rollup page made from the dialog template dlgTemplate of hInst, run by dlgProc, which
  // gets param as the lParam of its WM_INITDIALOG. Returns the page's dialog window.
  virtual HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                             const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                             int category = ROLLUP_CAT_STANDARD) = 0;
  virtual void DeleteRollupPage(HWND hRollup) = 0;
  virtual HWND ReplaceRollupPage(HWND hOldRollup, HINSTANCE hInst, const MCHAR* dlgTemplate,
                                 DLGPROC dlgProc, const MCHAR* title, LPARAM param = 0,
                                 DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) = 0;
  virtual TimeValue GetTime() = 0;
  virtual IRollupWindow* GetMtlEditorRollup() = 0;
  virtual BOOL IsRollupPanelOpen(HWND hwnd) = 0;
  virtual int GetRollupScrollPos() = 0;
  virtual void SetRollupScrollPos(int spos) = 0;
};

// What a map button posts to the material editor window: wParam the sub-map number, lParam
// the object that owns the button.
#define WM_TEXMAP_BUTTON 0x4402

// The drag-and-drop manager of a dialog's map buttons: it asks the dialog which sub-map of
// the dialog's object a button stands for. A drop assigns the dropped map (an instance, or a
// copy when the source asks for one) through the object's SetSubTexmap; a drag between two
// buttons of the same dialog puts an instance of the dragged map into the target slot.
class CoreExport TexDADMgr : public DADMgr {
  ParamDlg* dlg;

 public:
  TexDADMgr(ParamDlg* d = nullptr) { dlg = d; }  // NOLINT: as in the SDK
  void Init(ParamDlg* d) { dlg = d; }
  SClass_ID GetDragType(HWND, POINT) override { return TEXMAP_CLASS_ID; }
  BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                BOOL isNew = FALSE) override;
  int SlotOwner() override { return OWNER_MTL_TEX; }
  ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) override;
  void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type, DADMgr* srcMgr = nullptr,
            BOOL bSrcClone = FALSE) override;
  BOOL LetMeHandleLocalDAD() override;
  void LocalDragAndDrop(HWND h1, HWND h2, POINT p1, POINT p2) override;
  BOOL AutoTooltip() override { return TRUE; }
};
#endif
