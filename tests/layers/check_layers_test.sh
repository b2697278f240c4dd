#!/usr/bin/env bash
# The layer check against small trees of its own: each wrong include must fail and be named with its
# file, each allowed one must pass.
set -uo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check_layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A tree with one file holding LINE; then the check's status and output must be as expected.
# Args: name, file (relative to src/), include line, expected status (0 or 1), and the text a failure
# must print (by default "file: line").
case_of() {
  local name=$1 file=$2 line=$3 want=$4 tree="$work/$1" out status
  local named=${5:-"$file: $line"}
  mkdir -p "$tree/src/$(dirname "$file")" "$tree/src/boundary" "$tree/src/plugin"
  printf '#pragma once\n' >"$tree/src/boundary/records.h"
  printf '#pragma once\n' >"$tree/src/plugin/plugin.h"
  printf '// a file\n#include <string>\n%s\n' "$line" >"$tree/src/$file"
  out=$("$check" "$tree/src" 2>&1)
  status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAILED $name: status $status, wanted $want; output: $out"
    failures=$((failures + 1))
  elif [ "$want" -ne 0 ] && ! grep -qF "$named" <<<"$out"; then
    echo "FAILED $name: the output does not name \"$named\": $out"
    failures=$((failures + 1))
  else
    echo "ok $name"
  fi
}

case_of upward boundary/host_gateway.cpp '#include "plugin/plugin.h"' 1
case_of downward plugin/plugin.cpp '#include "boundary/records.h"' 0
case_of same_folder plugin/actions.cpp '#include "plugin/plugin.h"' 0
case_of same_folder_plain plugin/actions.cpp '#include "pages.h"' 0
case_of formats_use_nothing formats/list_text.cpp '#include "platform/timers.h"' 1
case_of unknown_folder list/list_editor.cpp '#include "host/host.h"' 1
case_of folder_not_placed widgets/button.cpp '#include "formats/integer.h"' 1 'widgets/button.cpp: the folder'
case_of windows_outside cycling/steal_timer.cpp '#include <windows.h>' 1
case_of windows_inside platform/win32/timers.cpp '#include <windows.h>' 0
case_of indented_include feeds/speed_feed.cpp '  #  include "plugin/plugin.h"' 1

# The same for brio-host's tree: FILE is relative to host/, and includes name host/ first.
host_case() {
  local name=$1 file=$2 line=$3 want=$4 tree="$work/host-$1" out status
  local named=${5:-"$file: $line"}
  mkdir -p "$tree/host/$(dirname "$file")" "$tree/host/common" "$tree/host/commands"
  printf '#pragma once\n' >"$tree/host/common/cp1250.h"
  printf '#pragma once\n' >"$tree/host/commands/interpreter.h"
  printf '// a file\n#include <string>\n%s\n' "$line" >"$tree/host/$file"
  out=$("$check" --host "$tree/host" 2>&1)
  status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAILED host $name: status $status, wanted $want; output: $out"
    failures=$((failures + 1))
  elif [ "$want" -ne 0 ] && ! grep -qF "$named" <<<"$out"; then
    echo "FAILED host $name: the output does not name \"$named\": $out"
    failures=$((failures + 1))
  else
    echo "ok host $name"
  fi
}

host_case upward model/contacts.cpp '#include "host/commands/interpreter.h"' 1
host_case downward commands/show.cpp '#include "host/common/cp1250.h"' 0
host_case top_uses_all main.cpp '#include "host/commands/interpreter.h"' 0
host_case uses_the_plugin model/plugin_text.h '#include "boundary/records.h"' 0
host_case folder_not_placed widgets/button.cpp '#include "host/common/cp1250.h"' 1 'widgets/button.cpp: the folder'
host_case windows_outside model/registry.cpp '#include <windows.h>' 1
host_case windows_inside desktop/win32/driver.cpp '#include <windows.h>' 0

# And the project's own trees keep the rule.
if "$check"; then echo "ok src and host"; else echo "FAILED src and host"; failures=$((failures + 1)); fi

[ "$failures" -eq 0 ]
