#pragma once
// The map's chunks in scene files and the record of one ramp marker. Every ID, field, type and
// the order of the fields are part of the scene-file format: changing any of them breaks every
// scene saved before. The map reads and writes them; programs that hand the map its markers
// the way a scene load does (the command-line host, the tests) use this header and nothing
// else of the map.
#include <cstdint>

// The map's own chunks, in the order its Save writes them.
inline constexpr unsigned short kKelvaneHeaderChunkID = 0x4000;  // base-class data (MtlBase)
inline constexpr unsigned short kMarkerChunkID = 0x4001;         // the ramp's markers

// The marker chunk: a little-endian u32 count, then that many records of kMarkerRecordBytes,
// each packed (no padding), little-endian, fields in the order ForEachMarkerField gives.
inline constexpr uint32_t kMarkerRecordBytes = 82;

// One marker as the file holds it. Colours are r, g, b, a.
struct MarkerRecord {
  float position = 0.0f;
  float color[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float transparentColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  uint8_t colorMapOn = 1;
  uint8_t transparentMapOn = 1;
  int32_t inMode = 0;
  int32_t outMode = 0;
  float activeGlyphColor[4] = {1.0f, 0.0f, 0.0f, 0.0f};
  float reactiveGlyphColor[4] = {0.0f, 1.0f, 1.0f, 0.0f};
  uint32_t flags = 0;  // the ramp's marker flag bits
};

// Hands every field of the record to io(field&) in file order, colours channel by channel.
// Every field is handed on even after io says no, so a reader keeps the defaults of what it
// could not read; true when io said yes to all. Record is MarkerRecord, const or not.
template <class Record, class Io>
constexpr bool ForEachMarkerField(Record& r, Io&& io) {
  bool ok = io(r.position);
  for (auto& c : r.color) ok = io(c) && ok;
  for (auto& c : r.transparentColor) ok = io(c) && ok;
  ok = io(r.colorMapOn) && ok;
  ok = io(r.transparentMapOn) && ok;
  ok = io(r.inMode) && ok;
  ok = io(r.outMode) && ok;
  for (auto& c : r.activeGlyphColor) ok = io(c) && ok;
  for (auto& c : r.reactiveGlyphColor) ok = io(c) && ok;
  return io(r.flags) && ok;
}

// The record's size from its fields, so a field added or retyped without the size fails here.
constexpr uint32_t MarkerRecordFieldBytes() {
  MarkerRecord r;
  uint32_t bytes = 0;
  ForEachMarkerField(r, [&bytes](const auto& field) {
    bytes += uint32_t(sizeof field);
    return true;
  });
  return bytes;
}
static_assert(MarkerRecordFieldBytes() == kMarkerRecordBytes);
