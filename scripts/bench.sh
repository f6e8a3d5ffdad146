#!/usr/bin/env bash
# Runs the benchmark programs from the release build in build/ against a fresh private MariaDB
# server in build/bench-db, stopped again however the run ends.
#
#   scripts/bench.sh [NAME...]   run build/bin/bench_* (or only those whose name contains NAME)
#
# The programs find the server through SENDORA_BENCH_DB_HOST (127.0.0.1), SENDORA_BENCH_DB_PORT
# (first free port from 23506 up) and SENDORA_BENCH_DB_SOCKET. Exits non-zero when one fails.
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$REPO_DIR/build"
DB_DIR="$BUILD_DIR/bench-db"

bash "$REPO_DIR/scripts/install-deps.sh"

# Same options as the demo build, so the two share build/ without reconfiguring each other.
cmake -S "$REPO_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSENDORA_TESTS=OFF \
  -DSENDORA_BENCH=ON
cmake --build "$BUILD_DIR"

programs=()
for p in "$BUILD_DIR"/bin/bench_*; do
  [ -x "$p" ] || continue
  if [ $# -eq 0 ]; then
    programs+=("$p")
  else
    for want in "$@"; do
      [[ "${p##*/}" == *"$want"* ]] && { programs+=("$p"); break; }
    done
  fi
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "bench: no benchmark program in $BUILD_DIR/bin${1:+ matching $*}" >&2
  exit 1
fi

# shellcheck source=scripts/fresh-db.sh
source "$REPO_DIR/scripts/fresh-db.sh"
start_fresh_server "$DB_DIR" 23506

export SENDORA_BENCH_DB_HOST=127.0.0.1
export SENDORA_BENCH_DB_PORT="$port"
SENDORA_BENCH_DB_SOCKET=$socket
export SENDORA_BENCH_DB_SOCKET
export QT_QPA_PLATFORM=offscreen

failed=0
for p in "${programs[@]}"; do
  echo "==== ${p##*/}"
  "$p" || { echo "bench: ${p##*/} failed (exit $?)" >&2; failed=1; }
done
exit "$failed"
