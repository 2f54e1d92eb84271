# Generates the native build's string table from the resource script, so both builds share
# one source of every user-visible string.
#   cmake -DRC=kelvane.rc -DOUT=strings.cpp -P rc-strings.cmake
file(READ "${RC}" rc)
string(REGEX MATCH "STRINGTABLE[^\n]*\nBEGIN\n(.*)\nEND" block "${rc}")
if(NOT block)
  message(FATAL_ERROR "${RC}: no STRINGTABLE block")
endif()
string(REGEX REPLACE "\nEND.*" "" block "${CMAKE_MATCH_1}")
string(REPLACE ";" "\\;" block "${block}")
string(REPLACE "\n" ";" lines "${block}")
set(entries "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]+\"(.*)\"[ \t]*$")
    set(text "${CMAKE_MATCH_2}")
    string(REPLACE "\"\"" "\\\"" text "${text}")
    string(APPEND entries "    {${CMAKE_MATCH_1}, L\"${text}\"},\n")
  elseif(NOT line MATCHES "^[ \t]*(//.*)?$")
    message(FATAL_ERROR "${RC}: cannot read string table line: ${line}")
  endif()
endforeach()
file(WRITE "${OUT}.tmp" "// Generated from ${RC} at build time; edit the resource script instead.
#include \"WindowsDefines.h\"
#include \"resource.h\"

namespace {
const ModuleString kStrings[] = {
${entries}};
const bool kRegistered =
    RegisterModuleStrings(kStrings, kStrings, int(sizeof(kStrings) / sizeof(kStrings[0])));
}  // namespace
")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
