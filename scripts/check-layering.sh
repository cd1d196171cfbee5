#!/usr/bin/env bash
# Fails when an engine file includes a header of a folder its own folder does not build on
# (scripts/layers.txt), naming each such file:line and include. Usage: check-layering.sh [ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
awk '
  FNR == NR {
    if ($0 ~ /^[ \t]*(#|$)/) next
    if ($1 == "allow:") { for (i = 3; i <= NF; i++) allowed[$i, $2] = 1; next }
    sub(":", "", $1); order[++n] = $1; known[$1] = 1
    for (i = 2; i <= NF; i++) deps[$1, $i] = 1
    next
  }
  FNR == 1 && !closed {
    # Everything a folder reaches through its direct dependencies.
    for (k = 1; k <= n; k++) for (i = 1; i <= n; i++) for (j = 1; j <= n; j++)
      if (deps[order[i], order[k]] && deps[order[k], order[j]]) deps[order[i], order[j]] = 1
    closed = 1
  }
  match($0, /^[ \t]*#[ \t]*include[ \t]*"[^"\/]+\//) {
    split(FILENAME, parts, "/"); own = parts[1]
    inc = $0; sub(/^[^"]*"/, "", inc); sub(/".*$/, "", inc)
    split(inc, ip, "/"); target = ip[1]
    if (target != own && (target in known) && !deps[own, target] && !allowed[own, inc]) {
      printf "%s:%d: %s may not include \"%s\" (%s is not below %s in scripts/layers.txt)\n", FILENAME, FNR, own, inc, target, own
      bad = 1
    }
  }
  END { exit bad }
' scripts/layers.txt $(awk '!/^[ \t]*(#|$)/ && $1 != "allow:" { sub(":", "", $1); print $1 }' scripts/layers.txt | while read -r d; do
    [ -d "$d" ] && find "$d" \( -name '*.h' -o -name '*.cpp' \) | sort
  done) || { echo "layering check failed: see scripts/layers.txt" >&2; exit 1; }
