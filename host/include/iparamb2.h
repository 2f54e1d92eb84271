#pragma once
// Parameter blocks: a module describes its parameters once, as the SDK's tag list in a static
// ParamBlockDesc2; its ClassDesc2 keeps the descriptions; the host builds an IParamBlock2 from
// a description for every instance.
#include "WindowsDefines.h"
#include "custcont.h"
#include "hostexport.h"
#include "interval.h"
#include "iparamb2Typedefs.h"
#include "maxheap.h"
#include "plugapi.h"
#include "ref.h"
#include "strclass.h"

class Texmap;
class INode;
class ClassDesc2;
class IParamBlock2;
class IParamMap2;
class ParamMap2UserDlgProc;
class IAutoMParamDlg;
class IMtlParams;
class IObjParam;

// Block flags (the USHORT flags of a description).
#define P_CLASS_PARAMS 0x1
#define P_AUTO_CONSTRUCT 0x2
#define P_AUTO_UI 0x4
#define P_USE_PARAMS 0x8
#define P_INCLUDE_PARAMS 0x10
#define P_MULTIMAP 0x20
#define P_CALLSETS_ON_LOAD 0x40
#define P_HASCATEGORY 0x80
#define P_TEMPLATE_UI 0x100
#define P_VERSION 0x200

// Parameter flags.
#define P_ANIMATABLE 0x1
#define P_TRANSIENT 0x2
#define P_NO_INIT 0x4
#define P_COMPUTED_NAME 0x8
#define P_INVISIBLE 0x10
#define P_RESET_DEFAULT 0x20
#define P_SUBANIM 0x40
#define P_TV_SHOW_ALL 0x80
#define P_NO_REF 0x100
#define P_OWNERS_REF 0x200
#define P_CAN_CONVERT 0x400
#define P_SUBTEX 0x800
#define P_VARIABLE_SIZE 0x1000
#define P_NO_AUTO_LABELS 0x2000
#define P_SHORT_LABELS 0x4000
#define P_READ_ONLY 0x8000
#define P_OBSOLETE 0x40000000

// One value of a parameter: the member its type uses.
class PB2Value : public MaxHeapOperators {
 public:
  union {
    int i;
    float f;
    TimeValue t;
    ReferenceTarget* r;
    void* ptr;
  };
  BYTE flags = 0;
  PB2Value() : ptr(nullptr) {}
};

// One parameter of a description, as its tag list gave it.
class ParamDef : public MaxHeapOperators {
 public:
  ParamID ID = -1;
  const MCHAR* int_name = nullptr;
  ParamType2 type = ParamType2(TYPE_FLOAT);
  int flags = 0;
  StringResID local_name = 0;
  PB2Value def;
  PB2Value ms_def;
  PB2Value range_low;
  PB2Value range_high;
  bool has_default = false;  // p_default given
  bool has_range = false;    // p_range given
  short tab_size = 0;        // initial count of a table
  short ref_no = -1;         // p_refno: the owner's reference (first of a table's)
  short subobj_no = -1;      // p_subtexno
  MapID map_id = 0;          // the parameter map of its control
  int ctrl_type = -1;        // ControlType / ControlType2 of p_ui; -1 without a control
  int spin_type = EDITTYPE_FLOAT;
  int* ctrl_IDs = nullptr;  // the control IDs, ctrl_count of them
  short ctrl_count = 0;
  float scale = 0.0f;  // spinner scale
  BOOL enabled = TRUE;
  StringResID tooltip = 0;
};

// A module's description of one parameter block. Built from the SDK's variable argument list
// (see the constructor); a list this host cannot read throws std::invalid_argument naming
// the block, the parameter and what was wrong, so a bad description stops the module's load
// instead of building a wrong block.
class PB2Export ParamBlockDesc2 : public MaxHeapOperators {
 public:
  // After flags:
  //   [P_VERSION] int version
  //   [P_AUTO_CONSTRUCT] int owner_refno
  //   [P_AUTO_UI] int dialog_ID, StringResID title, int test_flags, int rollup_flags,
  //               ParamMap2UserDlgProc* proc
  //     (with P_MULTIMAP: int map_count, then per map MapID followed by those five)
  //   per parameter: ParamID, const MCHAR* internal_name, int type, [int table_size for a
  //     table type], int flags, StringResID local_name, then tags, then p_end:
  //       p_default v | p_ms_default v   (double for float types, int for int types)
  //       p_range lo hi
  //       p_ui [MapID with P_MULTIMAP] control:
  //         TYPE_SPINNER int edit_type, int edit_ID, int spinner_ID, double scale
  //         TYPE_RADIO int count, count x int ID
  //         TYPE_SINGLECHECKBOX | TYPE_CHECKBUTTON | TYPE_EDITBOX | TYPE_TEXMAPBUTTON |
  //         TYPE_PICKNODEBUTTON int ID
  //       p_refno int (reference types with P_OWNERS_REF)
  //       p_subtexno int | p_enabled BOOL | p_tooltip StringResID
  //   p_end
  ParamBlockDesc2(BlockID ID, const MCHAR* int_name, StringResID local_name, ClassDesc2* cd,
                  USHORT flags, ...);
  ~ParamBlockDesc2();
  ParamBlockDesc2(const ParamBlockDesc2&) = delete;
  ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

  // One parameter in the per-parameter grammar above, without its leading ID. Descriptions
  // change only before blocks are built from them.
  void AddParam(ParamID id, ...);
  void DeleteParam(ParamID id);
  // One more tag (with its values, no p_end) on an existing parameter.
  void ParamOption(ParamID id, int option_tag, ...);

  USHORT Count() { return count; }
  DWORD Version() { return version; }
  int IDtoIndex(ParamID id);
  ParamID IndextoID(int i);
  // An unknown ID gives a definition with ID -1 and no type of its own.
  ParamDef& GetParamDef(ParamID id);

  void InvalidateUI(ParamID = -1, int = -1) const {}
  void SetUserDlgProc(ParamMap2UserDlgProc* proc = nullptr) { SetUserDlgProc(0, proc); }
  void SetUserDlgProc(MapID map_id, ParamMap2UserDlgProc* proc = nullptr);
  ParamMap2UserDlgProc* GetUserDlgProc(MapID map_id = 0);
  // The parameter maps of P_AUTO_UI: how many, and the settings of map i.
  int NumMaps();
  bool GetMap(int i, MapID& id, int& dialog, StringResID& mapTitle, int& testFlags,
              int& rollupFlags);

  ParamDef* paramdefs = nullptr;  // count of them, in declaration order
  ClassDesc2* cd = nullptr;
  const MCHAR* int_name = nullptr;  // a module may fill it in once its strings load
  StringResID local_name = 0;
  BlockID ID = 0;
  USHORT count = 0;
  DWORD version = 0;
  USHORT flags = 0;
  int ref_no = -1;  // the owner's reference of a P_AUTO_CONSTRUCT block
  // Map 0 of P_AUTO_UI (the first map with P_MULTIMAP).
  int dlg_template = 0;
  StringResID title = 0;
  int test_flags = 0;
  int rollup_flags = 0;
  ParamMap2UserDlgProc* dlgProc = nullptr;

 private:
  friend struct DescReader;
  struct DescData* data = nullptr;
};

// A ClassDesc that keeps its classes' parameter-block descriptions and builds their blocks.
// Descriptions register with it from their constructors, whatever the order in which a
// module's static objects are built.
class PB2Export ClassDesc2 : public ClassDesc {
 public:
  ClassDesc2() = default;
  ~ClassDesc2() override;

  void ResetClassParams(BOOL fileReset = FALSE) override;
  int NumParamBlockDescs() override;
  ParamBlockDesc2* GetParamBlockDesc(int i) override;
  ParamBlockDesc2* GetParamBlockDescByID(BlockID id) override;
  void AddParamBlockDesc(ParamBlockDesc2* pbd) override;
  // Builds a block for every P_AUTO_CONSTRUCT description and installs it as the owner's
  // reference ref_no. A block the owner cannot take is deleted again.
  void MakeAutoParamBlocks(ReferenceMaker* owner) override;

  void SetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id, ParamMap2UserDlgProc* proc = nullptr);
  void SetUserDlgProc(ParamBlockDesc2* pbd, ParamMap2UserDlgProc* proc = nullptr) override {
    SetUserDlgProc(pbd, 0, proc);
  }
  ParamMap2UserDlgProc* GetUserDlgProc(ParamBlockDesc2* pbd, MapID map_id = 0);

  // The string table entry id of the module HInstance() names; null when it has none.
  const MCHAR* GetRsrcString(INT_PTR id) override;

  // The material editor's side. Until the host has parameter maps these make none.
  void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
  void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
  void InvalidateUI();
  void InvalidateUI(ParamBlockDesc2* pbd);
  void InvalidateUI(ParamBlockDesc2* pbd, ParamID id, int tabIndex = -1);
  IParamMap2* GetParamMap(int i);
  IParamMap2* GetParamMap(ParamBlockDesc2* pbd, MapID map_id = 0);
  IAutoMParamDlg* CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj);
  IAutoMParamDlg* CreateParamDlg(BlockID id, HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj,
                                 MapID mapID = 0);
  void MasterDlgDeleted(IAutoMParamDlg* dlg);
  IAutoMParamDlg* GetMParamDlg();
};

// A block of parameter values built from a description, owned by the maker it was built for
// (which holds it as a reference). Values are constant over time. Calls that name an unknown
// parameter, a type the parameter does not have, or a table index outside the table return
// FALSE (or 0 / null) and change nothing. Parameters flagged P_OWNERS_REF hold no value: they
// read and write the owner's reference ref_no (plus the table index).
class PB2Export IParamBlock2 : public ReferenceTarget {
 public:
  virtual DWORD GetVersion() = 0;
  virtual int NumParams() = 0;
  virtual const MCHAR* GetLocalName() = 0;
  virtual ParamBlockDesc2* GetDesc() = 0;
  virtual ParamDef& GetParamDef(ParamID id) = 0;
  virtual BlockID ID() = 0;
  virtual int IDtoIndex(ParamID id) = 0;
  virtual ParamID IndextoID(int i) = 0;
  virtual ReferenceMaker* GetOwner() = 0;
  virtual ParamType2 GetParameterType(ParamID id) = 0;
  virtual MSTR GetLocalName(ParamID id, int tabIndex = -1) = 0;

  // Float and int values are clamped into the parameter's range. A change notifies the
  // dependents with REFMSG_CHANGE after LastNotifyParamID names the parameter.
  virtual BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, INode* v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, ReferenceTarget* v, int tabIndex = 0) = 0;

  // ivalid is intersected with the value's validity.
  virtual BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& ivalid,
                        int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, INode*& v, Interval& ivalid, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, ReferenceTarget*& v, Interval& ivalid,
                        int tabIndex = 0) = 0;

  virtual float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
  virtual int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
  virtual Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
  virtual INode* GetINode(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
  virtual ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;

  // Tables. Count is 0 for anything but a table. Entries a table gains take the default;
  // maps and targets a table loses by Delete or SetCount are released (deleted when nothing
  // else holds them). For a P_OWNERS_REF table, whose entries are the owner's references,
  // SetCount and ZeroCount change only the count: the owner numbers its references and
  // restores a count after changing them. Delete and Insert move the owner's later references
  // down or up; Append and Insert set the owner's references of the new entries.
  virtual int Count(ParamID id) = 0;
  virtual void ZeroCount(ParamID id) = 0;
  virtual void SetCount(ParamID id, int n) = 0;
  virtual int Delete(ParamID id, int start, int num) = 0;
  virtual int Resize(ParamID id, int num) = 0;
  virtual void Shrink(ParamID id) = 0;
  virtual int Append(ParamID id, int num, float* el, int allocExtra = 0) = 0;
  virtual int Append(ParamID id, int num, int* el, int allocExtra = 0) = 0;
  virtual int Append(ParamID id, int num, Texmap** el, int allocExtra = 0) = 0;
  virtual int Append(ParamID id, int num, INode** el, int allocExtra = 0) = 0;
  virtual int Append(ParamID id, int num, ReferenceTarget** el, int allocExtra = 0) = 0;
  virtual int Insert(ParamID id, int at, int num, float* el) = 0;
  virtual int Insert(ParamID id, int at, int num, int* el) = 0;
  virtual int Insert(ParamID id, int at, int num, Texmap** el) = 0;
  virtual int Insert(ParamID id, int at, int num, INode** el) = 0;
  virtual int Insert(ParamID id, int at, int num, ReferenceTarget** el) = 0;

  virtual ParamID LastNotifyParamID() = 0;
  virtual ParamID LastNotifyParamID(int& tabIndex) = 0;
  virtual void EnableNotifications(BOOL onOff) = 0;
  virtual void SetMap(IParamMap2* m, MapID map_id = 0) = 0;
  virtual IParamMap2* GetMap(MapID map_id = 0) = 0;
  // Back to the defaults: every value parameter, or one (all of a table's entries with
  // tabIndex -1).
  virtual void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) = 0;
  virtual void Reset(ParamID id, int tabIndex = -1, BOOL updateUI = TRUE,
                     BOOL callSetHandlers = TRUE) = 0;
  virtual void GetValidity(TimeValue t, Interval& valid) = 0;
};

// A new block for owner, not yet held by it: the owner installs it with ReplaceReference.
PB2Export IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner);
