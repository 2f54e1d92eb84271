#!/usr/bin/env bash
# Reads Kelvane.dlt with the mingw binutils: its exports and its compiled resources.
#   check_module_binary.sh PATH/Kelvane.dlt
set -euo pipefail
module=$1
fail=0
check() {  # check DESCRIPTION COMMAND...
  if ! "${@:2}"; then
    echo "FAIL: $1"
    fail=1
  fi
}

exports=$(x86_64-w64-mingw32-objdump -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
for f in LibDescription LibNumberClasses LibClassDesc LibVersion LibInitialize LibShutdown; do
  check "export $f" grep -qE "\] $f\$" <<<"$exports"
done
# The lock classes: constructors, destructors, virtual tables and the lock operations.
for sym in _ZN5OsMng11CSuperMutexD2Ev _ZTVN5OsMng11CSuperMutexE \
  _ZN5OsMng13CGenericMutexD2Ev _ZTVN5OsMng13CGenericMutexE \
  _ZN5OsMng6CMutexC1Ev _ZN5OsMng6CMutexD1Ev _ZTVN5OsMng6CMutexE \
  _ZN5OsMng6CMutex4lockEv _ZN5OsMng6CMutex6unlockEv _ZN5OsMng6CMutex7trylockEv \
  _ZN5OsMng16CCriticalSectionC1Ev _ZN5OsMng16CCriticalSectionD1Ev _ZTVN5OsMng16CCriticalSectionE \
  _ZN5OsMng16CCriticalSection4lockEv _ZN5OsMng16CCriticalSection6unlockEv \
  _ZN5OsMng16CCriticalSection7trylockEv; do
  check "export $sym" grep -qE "\] $sym\$" <<<"$exports"
done

rc=$(x86_64-w64-mingw32-windres -J coff -i "$module" -O rc)
while IFS='|' read -r id text; do
  check "string $id \"$text\"" grep -qF "  $id, \"$text\"" <<<"$rc"
done <<'STRINGS'
2001|Marker transparent color
2002|Other
2003|Kelvane
2004|C-Multyplayer
2007|Complanar faces
2008|Conditions
2009|Coordinates
2010|Distance
2011|Exponential
2012|Gamma
2013|Kelvane
2014|Linear
2015|Marker color
2016|Markers
2017|Material ID
2019|Material ID from
2020|Material ID to
2021|Material ID Equals
2022|Only in ID's
2023|NO
2024|Open edge
2025|Parameters
2026|Selection only
2028|Smooth
2029|Smooth Equals
2030|Solid
2032|Output
2034|Edge shape and units
2035|Edge shape
2036|World units
2037|Bump
STRINGS

# The control IDs of a dialog, in template order (-1 for static text and group boxes).
control_ids() {
  grep -E '^  (CONTROL|LTEXT|RTEXT|GROUPBOX|COMBOBOX)' <<<"$1" |
    sed -E 's/^  CONTROL (L?"[^"]*"|""), (-?[0-9]+),.*/\2/; s/^  (LTEXT|RTEXT|GROUPBOX) (L?"[^"]*"), (-?[0-9]+),.*/\3/; s/^  COMBOBOX (-?[0-9]+),.*/\1/' |
    tr '\n' ' '
}

dialog=$(sed -n '/^1002 DIALOGEX 0, 0, 219, 275$/,/^END$/p' <<<"$rc")
check "dialog 1002 of 219 x 275" test -n "$dialog"
check "dialog 1002 font" grep -qF 'FONT 8, "MS Sans Serif"' <<<"$dialog"
ids=$(control_ids "$dialog")
expected="518 570 -1 516 568 533 561 563 -1 508 566 564 -1 509 510 559 537 538 551 553 552 517 569 -1 554 521 575 522 576 -1 501 536 543 -1 -1 519 572 -1 545 546 548 547 -1 -1 "
check "dialog 1002 has its 44 controls in order (got: $ids)" test "$ids" = "$expected"
# The "Edge shape and units" rollout: the three shape buttons, the box, then the two bump buttons.
shape=$(sed -n '/^1003 DIALOGEX 0, 0, 219, 84$/,/^END$/p' <<<"$rc")
check "dialog 1003 of 219 x 84" test -n "$shape"
ids=$(control_ids "$shape")
check "dialog 1003 has its controls in order (got: $ids)" test "$ids" = "-1 601 602 603 604 -1 605 606 "
check "ramp control class" grep -qiE '501, "CustGradientRamp"' <<<"$dialog"
check "version record" grep -qF 'VALUE "OriginalFilename", "Kelvane.dlt"' <<<"$rc"
check "common controls manifest" grep -qi 'Microsoft.Windows.Common-Controls' <<<"$rc"

if [[ $fail -ne 0 ]]; then
  echo "Kelvane.dlt: binary checks failed"
  exit 1
fi
echo "Kelvane.dlt: exports and resources as expected"
