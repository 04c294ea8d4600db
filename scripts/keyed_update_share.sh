#!/bin/bash
# How many keyed tables of a folder of genuine tables accept an update of one
# of their own rows, followed by a clean `pdx check`. For each non-empty keyed
# table (any depth below the folder): its folder is copied to a temporary
# place, the table's first row is dumped and written back with `pdx update`,
# and the table is checked. Prints one line per table and the share at the
# end, of all keyed tables and of those sound before the update (a table that
# already fails the check is reported as damaged).
#
#   scripts/keyed_update_share.sh SAMPLES_DIR [PDX_TOOL] [PASSWORD]
set -u
samples=${1:?usage: keyed_update_share.sh SAMPLES_DIR [PDX_TOOL] [PASSWORD]}
pdx=${2:-build/bin/pdx}
password=${3:-123}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

keyed=0
damaged=0
accepted=0
while IFS= read -r table; do
  info=$("$pdx" --password "$password" info "$table" 2>/dev/null) || {
    echo "unreadable  ${table#$samples/}"
    continue
  }
  keys=$(sed -n 's/^Key fields: //p' <<<"$info")
  rows=$(sed -n 's/^Record count: //p' <<<"$info")
  [[ "${keys:-0}" -gt 0 && "${rows:-0}" -gt 0 ]] || continue
  keyed=$((keyed + 1))
  rm -rf "$work/t" && cp -r "$(dirname "$table")" "$work/t"
  copy="$work/t/$(basename "$table")"
  "$pdx" --password "$password" dump "$copy" 2>/dev/null | head -n 2 >"$work/row.txt"
  sound=yes
  "$pdx" --password "$password" check "$copy" >/dev/null 2>&1 || sound=no
  if ! error=$("$pdx" --password "$password" update "$copy" <"$work/row.txt" 2>&1 >/dev/null); then
    result="refused     ${table#$samples/}: $(head -n 1 <<<"$error")"
  elif ! error=$("$pdx" --password "$password" check "$copy" 2>&1); then
    result="check fails ${table#$samples/}: $(grep -v '^ok' <<<"$error" | head -n 1)"
  else
    echo "accepted    ${table#$samples/}"
    accepted=$((accepted + 1))
    continue
  fi
  # A table that failed the check before is damaged, unless the update
  # repaired it (a missing primary index is rebuilt by the first write).
  if [[ $sound == no ]]; then
    echo "damaged     ${result#* }"
    damaged=$((damaged + 1))
  else
    echo "$result"
  fi
done < <(find "$samples" -type f -iname '*.db' | sort)
echo "keyed tables accepting an update of their own row: $accepted of $keyed" \
  "($accepted of $((keyed - damaged)) sound ones)"
