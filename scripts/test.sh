#!/usr/bin/env bash
# Runs all tests: a debug build with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-test/, against a fresh private MariaDB server in build-test/test-db that is stopped again
# however the run ends. Exits with ctest's code.
#
# The tests find the server through
#   SENDORA_TEST_DB_HOST    127.0.0.1 (the program's accounts connect over TCP)
#   SENDORA_TEST_DB_PORT    the port, the first free one from 23306 up
#   SENDORA_TEST_DB_SOCKET  the unix socket, for root connections that prepare data
# Extra arguments go to ctest (for example -R Login or --repeat until-fail:3).
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$REPO_DIR/build-test"
DB_DIR="$BUILD_DIR/test-db"

bash "$REPO_DIR/scripts/install-deps.sh"

cmake -S "$REPO_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DSENDORA_SANITIZE=ON -DSENDORA_BENCH=OFF -DSENDORA_TESTS=ON
cmake --build "$BUILD_DIR"

# A clean server every run.
# shellcheck source=scripts/fresh-db.sh
source "$REPO_DIR/scripts/fresh-db.sh"
start_fresh_server "$DB_DIR" 23306
# The cluster tests start a three-node cluster here once and reuse it; it goes with the run.
export SENDORA_TEST_CLUSTER_DIR="$BUILD_DIR/test-cluster"
bash "$REPO_DIR/scripts/cluster.sh" stop "$SENDORA_TEST_CLUSTER_DIR" >/dev/null 2>&1 || true
rm -rf "$SENDORA_TEST_CLUSTER_DIR"
trap 'bash "$FRESH_DB_SERVER" stop "$FRESH_DB_DIR" || true
      bash "$REPO_DIR/scripts/cluster.sh" stop "$SENDORA_TEST_CLUSTER_DIR" || true' EXIT

# The schema files must load as they are; tests re-create the databases from them anyway.
for f in sms_sk.sql cv_inhouse.sql; do
  mariadb --no-defaults --socket="$socket" --user=root \
    --default-character-set=utf8mb4 <"$REPO_DIR/schema/$f"
done

export SENDORA_TEST_DB_HOST=127.0.0.1
export SENDORA_TEST_DB_PORT="$port"
export SENDORA_TEST_DB_SOCKET="$socket"
export SENDORA_TEST_DB_DIR="$DB_DIR"
export QT_QPA_PLATFORM=offscreen
# Leak checking works with Qt's widgets, printing and fonts here, so it stays on.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
if [ -f "$REPO_DIR/scripts/lsan.supp" ] && [ -z "${LSAN_OPTIONS:-}" ]; then
  export LSAN_OPTIONS="suppressions=$REPO_DIR/scripts/lsan.supp:print_suppressions=0"
fi
# Keep the tests away from the real user's settings and runtime folder.
export SENDORA_SETTINGS_DIR="$BUILD_DIR/test-settings"
export XDG_RUNTIME_DIR="$BUILD_DIR/xdg-runtime"
rm -rf "$SENDORA_SETTINGS_DIR"
mkdir -p "$SENDORA_SETTINGS_DIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "test: database 127.0.0.1:$port, socket $SENDORA_TEST_DB_SOCKET"
rc=0
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error --timeout 300 -j2 "$@" || rc=$?
exit "$rc"
