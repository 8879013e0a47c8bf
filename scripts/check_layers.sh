#!/usr/bin/env bash
# Every include in src/ points down the layers; prints each one that points up or sideways and
# fails if there is any. A folder may always include its own files. Every build runs it first.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A may=(
  [app]="windows shell encode restore relay uue platform product"
  [windows]="shell encode restore relay uue platform product"
  [shell]="platform product"
  [encode]="relay uue platform product"
  [restore]="relay uue platform product"
  [relay]="uue platform product"
  [uue]="platform product"
  [platform]="product"
  [product]=""
)

bad=0
while IFS= read -r file; do
  layer=${file%%/*}
  if [ -z "${may[$layer]+x}" ]; then
    echo "check_layers: $file is in no known layer" >&2
    bad=1
    continue
  fi
  while IFS= read -r target; do
    to=${target%%/*}
    [ "$to" = "$target" ] && { echo "check_layers: $file includes \"$target\" without its folder" >&2; bad=1; continue; }
    [ "$to" = "$layer" ] && continue
    if [[ " ${may[$layer]} " != *" $to "* ]]; then
      echo "check_layers: $file includes \"$target\": $layer may not include $to" >&2
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sed 's|^\./||' | sort)

if [ "$bad" = 0 ]; then echo "check_layers: every include points down"; fi
exit "$bad"
