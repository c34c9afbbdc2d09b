#!/usr/bin/env bash
# Fails when a source folder includes a folder that comes after it. Folders depend one way:
# foundation, model, graphics, printer, pipeline, pdl, settings, entry, ui. Every
# #include "folder/..." under src/ is read; each one that runs back up is named by file
# and line.
#
#   scripts/check-layers.sh [SRC_DIR]     (default: src/ beside this script)
set -euo pipefail
src=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../src" && pwd)}
[ -d "$src" ] || { echo "no source folder: $src"; exit 1; }
order=(foundation model graphics printer pipeline pdl settings entry ui)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

checked=0
up=0
while IFS= read -r hit; do
  file=${hit%%:*}; rest=${hit#*:}; line=${rest%%:*}; text=${rest#*:}
  rel=${file#"$src"/}
  from=${rel%%/*}
  to=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z_]+)\/.*/\1/' <<<"$text")
  [ -n "${rank[$from]+x}" ] && [ -n "${rank[$to]+x}" ] || continue
  checked=$((checked + 1))
  if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
    echo "src/$rel:$line: $from includes $to, which comes after it: ${text#"${text%%[![:space:]]*}"}"
    up=$((up + 1))
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$src" --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.inl' | sort)

if [ "$up" -ne 0 ]; then
  echo "check-layers: $up of $checked folder includes run back up"
  exit 1
fi
echo "check-layers: $checked folder includes, none runs back up"
