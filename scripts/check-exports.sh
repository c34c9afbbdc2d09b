#!/usr/bin/env bash
# Fails unless the module exports exactly its entry points with the right names,
# decorations and ordinals, as read from its export table (objdump -p):
#  - the printer-driver entry points, NonPropPageSheet and the five UI_* functions under
#    their plain names;
#  - the extension interface under its decorated stdcall names at ordinals 131 to 137,
#    and QZDrv_RegisterExtension, undecorated, at 138;
#  - the five UI_* functions again at ordinals 97 to 101 without names, each at the
#    address of its named export.
set -euo pipefail
dll=${1:?usage: check-exports.sh FILE.dll}

plain=(DrvDocumentPropertySheets DrvDevicePropertySheets DrvDocumentProperties DrvAdvancedDocumentProperties
       PrinterProperties DrvConvertDevMode DrvDeviceCapabilities DevQueryPrintEx DrvUpgradePrinter
       DrvPrinterEvent DrvDocumentEvent NonPropPageSheet)
plugin=(UI_INTERFACEVERSION UI_INITIALIZE UI_DESTROY UI_CONFIGTOSETTINGS UI_SETTINGSTOCONFIG)
ordered=("_QZDrv_QueryInterface@8:131" "_QZDrv_UIGetValue@12:132" "_QZDrv_UIGetExtSettings@16:133"
         "_QZDrv_UISetExtSettings@16:134" "_QZDrv_GetValue@12:135" "_QZDrv_GetExtSettings@16:136"
         "_QZDrv_SetExtSettings@16:137" "QZDrv_RegisterExtension:138")

table=$(i686-w64-mingw32-objdump -p "$dll" | sed -n '/^The Export Tables/,/^PE File Base Relocations/p')
[ -n "$table" ] || { echo "no export table read from $dll"; exit 1; }
base=$(sed -n 's/^Ordinal Base[[:space:]]*//p' <<<"$table")

# ordinal -> address, from the export address table.
declare -A address
while read -r ordinal rva; do
  address[$ordinal]=$rva
done < <(sed -n 's/^\s*\[ *[0-9]*\] +base\[ *\([0-9]*\)\] *\([0-9a-f]*\) Export RVA/\1 \2/p' <<<"$table")

# name -> ordinal, from the name table (its index counts from the ordinal base).
declare -A ordinal_of
while read -r index name; do
  ordinal_of[$name]=$((index + base))
done < <(sed -n '/^\[Ordinal\/Name Pointer\] Table/,$p' <<<"$table" | sed -n 's/^\s*\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p')

bad=0
fail() { echo "exports: $*"; bad=1; }

expected_names=$(( ${#plain[@]} + ${#plugin[@]} + ${#ordered[@]} ))
[ "${#ordinal_of[@]}" -eq "$expected_names" ] ||
  fail "${#ordinal_of[@]} named exports, expected $expected_names: ${!ordinal_of[*]}"
for name in "${plain[@]}" "${plugin[@]}"; do
  [ -n "${ordinal_of[$name]:-}" ] || fail "missing export $name"
done
for entry in "${ordered[@]}"; do
  name=${entry%:*} want=${entry#*:}
  [ "${ordinal_of[$name]:-}" = "$want" ] || fail "$name at ordinal ${ordinal_of[$name]:-none}, expected $want"
done
for i in "${!plugin[@]}"; do
  name=${plugin[$i]} alias=$((97 + i))
  named=${ordinal_of[$name]:-}
  [ -n "${address[$alias]:-}" ] || { fail "no export at ordinal $alias"; continue; }
  [ -n "$named" ] && [ "${address[$alias]}" = "${address[$named]:-}" ] ||
    fail "ordinal $alias is not $name"
  for other in "${!ordinal_of[@]}"; do
    [ "${ordinal_of[$other]}" != "$alias" ] || fail "ordinal $alias carries the name $other"
  done
done
# Decorations: only the extension interface's stdcall names carry them.
for name in "${!ordinal_of[@]}"; do
  case $name in
    _QZDrv_*@*) ;;
    *@*|_*) fail "unexpected decoration: $name" ;;
  esac
done

[ $bad -eq 0 ] && echo "exports ok: ${#ordinal_of[@]} names, ordinals 97-101 and 131-138 in place"
exit $bad
