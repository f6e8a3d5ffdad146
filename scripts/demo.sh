#!/usr/bin/env bash
# Runs the program on a local demo database.
#
#   scripts/demo.sh [--xvfb] [--staff ID] [--no-run] [--cluster]
#
# Installs what is missing, builds a release build in build/, starts a private MariaDB server in
# build/demo-db (the port is chosen once and kept in build/demo-db/port; later runs reuse the
# server and its data), loads the schema and the demo data the first time, registers this
# computer for a demo staff member, writes build/bin/sendora.ini and starts build/bin/Sendora.
#
#   --xvfb      run on a virtual screen (xvfb-run), for a machine without a display
#   --staff ID  staff member this computer is registered for (default staff1; corvane sees the
#               summaries, clerk3 is the restricted member)
#   --no-run    prepare everything but do not start the program
#   --cluster   a three-node cluster in build/demo-cluster instead of the single server (same
#               data, same accounts); sendora.ini lists the three nodes
#
# The server keeps running after the program closes; stop it with
#   scripts/dbserver.sh stop build/demo-db       (or scripts/cluster.sh stop build/demo-cluster)
set -euo pipefail

REPO_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$REPO_DIR/build"
DB_DIR="$BUILD_DIR/demo-db"
DB_FIRST_PORT=23406

use_xvfb=0
use_cluster=0
run_program=1
staff=staff1
while [ $# -gt 0 ]; do
  case "$1" in
    --xvfb) use_xvfb=1 ;;
    --no-run) run_program=0 ;;
    --cluster) use_cluster=1 ;;
    --staff)
      [ $# -ge 2 ] || { echo "demo: --staff needs an ID" >&2; exit 2; }
      staff=$2
      shift
      ;;
    -h | --help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "demo: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done
[[ "$staff" =~ ^[A-Za-z0-9_]+$ ]] || { echo "demo: staff ID must be letters and digits" >&2; exit 2; }

# The MAC address the login looks up: the first interface, in interface-index order, that is up,
# is not loopback, has an IP address and a 6-byte hardware address; 12 upper-case hex digits.
first_mac_address() {
  local dev name flags addr ips
  for dev in /sys/class/net/*; do
    [ -r "$dev/ifindex" ] && echo "$(cat "$dev/ifindex") ${dev##*/}"
  done | sort -n | while read -r _ name; do
    flags=$(cat "/sys/class/net/$name/flags" 2>/dev/null || echo 0)
    (( (flags & 0x1) != 0 && (flags & 0x8) == 0 )) || continue
    addr=$(tr -d ':\n' 2>/dev/null <"/sys/class/net/$name/address" | tr 'a-f' 'A-F' || true)
    [[ "$addr" =~ ^[0-9A-F]{12}$ ]] || continue
    [ "$addr" != 000000000000 ] || continue
    # No grep -q here: under pipefail, ip dying of SIGPIPE would read as "no address".
    ips=$(ip -o addr show dev "$name" 2>/dev/null || true)
    [[ "$ips" == *" inet"* ]] || continue
    echo "$addr"
    break
  done
}

bash "$REPO_DIR/scripts/install-deps.sh"

echo "demo: building (release) in $BUILD_DIR"
cmake -S "$REPO_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSENDORA_TESTS=OFF
cmake --build "$BUILD_DIR"
[ -x "$BUILD_DIR/bin/Sendora" ] || { echo "demo: the build did not produce $BUILD_DIR/bin/Sendora" >&2; exit 1; }

if [ "$use_cluster" -eq 1 ]; then
  # Three nodes on loopback; a second run reuses them (and restarts any that stopped).
  CLUSTER_DIR="$BUILD_DIR/demo-cluster"
  echo "demo: starting the three-node cluster in $CLUSTER_DIR (about half a minute the first time)"
  read -r -a ports <<<"$(bash "$REPO_DIR/scripts/cluster.sh" start "$CLUSTER_DIR" 24606)"
  port=${ports[0]}
  hosts="127.0.0.1:${ports[0]},127.0.0.1:${ports[1]},127.0.0.1:${ports[2]}"
  socket=$(bash "$REPO_DIR/scripts/cluster.sh" socket "$CLUSTER_DIR" 1)
else
  # Server: reuse the running one; otherwise start on the remembered port, or a new free one
  # when something else has taken it meanwhile.
  if bash "$REPO_DIR/scripts/dbserver.sh" status "$DB_DIR" >/dev/null; then
    port=$(cat "$DB_DIR/port")
  else
    port=$(cat "$DB_DIR/port" 2>/dev/null || true)
    if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -eq 3306 ] ||
      [ "$(bash "$REPO_DIR/scripts/dbserver.sh" free-port "$port")" != "$port" ]; then
      port=$(bash "$REPO_DIR/scripts/dbserver.sh" free-port "$DB_FIRST_PORT")
    fi
  fi
  bash "$REPO_DIR/scripts/dbserver.sh" start "$DB_DIR" "$port"
  hosts=127.0.0.1
  socket=$(bash "$REPO_DIR/scripts/dbserver.sh" socket "$DB_DIR")
fi
root_sql() {
  mariadb --no-defaults --socket="$socket" --user=root --default-character-set=utf8mb4 "$@"
}

if [ -z "$(root_sql -N -e "SHOW DATABASES LIKE 'sms_sk'")" ]; then
  echo "demo: loading schema and demo data"
  start=$(date +%s)
  if ! { root_sql <"$REPO_DIR/schema/sms_sk.sql" &&
    root_sql <"$REPO_DIR/schema/cv_inhouse.sql" &&
    root_sql <"$REPO_DIR/schema/demo_data.sql"; }; then
    # Leave no half-loaded database behind: the next run loads again from scratch.
    root_sql -e "DROP DATABASE IF EXISTS sms_sk; DROP DATABASE IF EXISTS cv_inhouse" || true
    echo "demo: loading the demo data failed" >&2
    exit 1
  fi
  echo "demo: demo data loaded in $(($(date +%s) - start))s"
fi

# The program's own tool, when built, answers exactly what the login will look up.
if [ -x "$BUILD_DIR/bin/sendora-mac" ] && out=$("$BUILD_DIR/bin/sendora-mac" 2>/dev/null); then
  mac=$(printf '%s' "$out" | tr -d '[:space:]')
else
  mac=$(first_mac_address || true)
fi
if [[ "$mac" =~ ^[0-9A-F]{12}$ ]]; then
  if [ -z "$(root_sql -N -e "SELECT id FROM cv_inhouse.user WHERE id = '$staff'")" ]; then
    echo "demo: there is no staff member '$staff' in cv_inhouse.user" >&2
    exit 2
  fi
  # This computer belongs to one member only, so the login shows that member.
  root_sql cv_inhouse -e "DELETE FROM user_mac WHERE mac_addr = '$mac';
    INSERT INTO user_mac (user_id, mac_addr, block) VALUES ('$staff', '$mac', 0);"
  echo "demo: this computer ($mac) is registered for $staff (password demo1234)"
else
  echo "demo: WARNING: no network interface that is up, not loopback, with an IP address and" \
    "a hardware address; the login will refuse this computer (허용되지 않은 컴퓨터입니다)." >&2
fi

cat >"$BUILD_DIR/bin/sendora.ini" <<EOF
[SmsDb]
Host=$hosts
Port=$port
[InHouseDb]
Host=$hosts
Port=$port
[Update]
Host=
[ServerList]
CheckerUrl=
[Database]
Compress=0
EOF
echo "demo: wrote $BUILD_DIR/bin/sendora.ini (database $hosts, port $port)"

[ "$run_program" -eq 1 ] || exit 0

if [ "$use_xvfb" -eq 1 ]; then
  echo "demo: starting Sendora on a virtual screen (nothing is shown; use it for screenshots)"
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$BUILD_DIR/bin/Sendora"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: Sendora is a desktop program and needs a display (DISPLAY is not set)." >&2
  echo "demo: run it from a desktop session, or pass --xvfb for a virtual screen." >&2
  exit 1
fi
exec "$BUILD_DIR/bin/Sendora"
