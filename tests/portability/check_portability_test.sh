#!/usr/bin/env bash
# The portability check itself: on a small tree shaped like the plug-in's folders, it passes
# clean sources and fails on each kind of construct it exists to catch.
# Usage: check_portability_test.sh SCRIPT
set -uo pipefail
script=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

# Writes a clean tree, then FILE with TEXT appended, and expects the check to EXPECT (pass|fail).
expect() {
  local want=$1 file=$2 text=$3
  rm -rf "$tree"/*
  mkdir -p "$tree"/{plugin,edges,texmap,portability,resources}
  printf '#pragma once\n#include <cstdint>\n#define KELVANE_X __attribute__((x))\n' \
    >"$tree/portability/portability.h"
  printf '#pragma once\n#include "portability.h"\n#include <vector>\n#include <windows.h>\n' \
    >"$tree/edges/search.h"
  printf '#pragma code_page(65001)\n#include <windows.h>\n' >"$tree/resources/kelvane.rc"
  printf '#include "search.h"\n#include "imtl.h"\n#include <immintrin.h>\n// __attribute__ here is only a comment\n' \
    >"$tree/edges/search.cpp"
  [[ -n "$file" ]] && printf '%s\n' "$text" >>"$tree/$file"
  local got=pass
  "$script" "$tree" >"$tree.out" 2>&1 || got=fail
  if [[ "$got" != "$want" ]]; then
    echo "FAILED: expected $want with '$text' in '$file'; the check said:"
    cat "$tree.out"
    failures=$((failures + 1))
  fi
  rm -f "$tree.out"
}

expect pass "" ""
expect pass portability/portability.h '#define KELVANE_Y __declspec(dllexport)'
# A GCC vector extension put back into the search.
expect fail edges/search.cpp 'typedef float F4 __attribute__((vector_size(16)));'
expect fail edges/search.cpp 'w = __builtin_shufflevector(v, v, 1, 0, 3, 2);'
expect fail edges/search.cpp '[[gnu::always_inline]] inline void Scan();'
expect fail edges/search.cpp 'bool avx2 = __builtin_cpu_supports("avx2");'
expect fail plugin/export.h '#define EXPORT __declspec(dllexport)'
expect fail plugin/hook.cpp '  asm volatile("xgetbv" : : );'
expect fail edges/search.cpp '#pragma GCC optimize("O3")'
expect fail edges/search.cpp '#if defined(_MSC_VER)'
# Stand-in-only headers, compiler headers and unknown names.
expect fail texmap/map.cpp '#include "plugin_loader.h"'
expect fail texmap/map.cpp '#include "host_maps.h"'
expect fail edges/search.cpp '#include <cpuid.h>'
expect fail edges/search.cpp '#include "../host/include/max.h"'
expect fail edges/search.cpp '#include "vector"'
expect pass texmap/map.cpp '#include "search.h"'

((failures == 0)) && echo "check_portability_test: all cases behave"
exit $((failures > 0))
