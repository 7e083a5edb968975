#!/usr/bin/env bash
# Fails when a file includes a header from a layer above its own.
#
# The layers, lowest first (docs/ARCHITECTURE.md):
#   platform < scene < geometry < render < anim < materials < files < tools < app
#   < platform/gl, platform/headless (the renderer, over platform only) < gui, cli
# The subsystems on scene/ may include only those before them in that line;
# the OpenGL renderer and the headless context only platform/ and each other.
# Tests follow the folder they sit in (tests/support counts as scene/).
#
# Usage: scripts/check-layers.sh [source-root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

find src tests bench fuzz -type f \( -name '*.h' -o -name '*.cpp' \) -print0 2>/dev/null |
  xargs -0 grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk -F: '
    # The rank of a path under src/ or tests/ (or of an include path), -1 when
    # it is not part of the layering (bench/, fuzz/, third-party headers).
    function rank(p,    n, L, i) {
      sub(/^(src|tests)\//, "", p)
      if (p ~ /^platform\/(gl|headless)\//) return 9
      if (p ~ /^platform\//) return 0
      if (p ~ /^support\//) return 1
      n = split("scene geometry render anim materials files tools app", L, " ")
      for (i = 1; i <= n; i++) if (index(p, L[i] "/") == 1) return i
      if (p ~ /^(gui|cli|gl)\//) return 10
      return -1
    }
    {
      file = $1
      line = $2
      text = $0
      sub(/^[^"]*"/, "", text)
      sub(/".*$/, "", text)
      inc = text
      from = rank(file)
      to = rank(inc)
      if (from < 0 || to < 0) next
      # The renderer and the headless context stand on platform/ alone.
      if (from == 9 && to != 0 && to != 9) { bad = 1; print file ":" line ": includes " inc " (the renderer uses platform/ only)"; next }
      if (to > from) { bad = 1; print file ":" line ": includes " inc " from a layer above its own" }
    }
    END { exit bad }'
