#!/usr/bin/env bash
# A three-node Galera cluster on this machine, for the demo and the tests: each node a private
# server of scripts/dbserver.sh in DIR/node1..3, on loopback ports only, run as the mysql account.
#
#   cluster.sh start DIR [FROM_PORT]  start (or reuse) the cluster; prints the SQL ports
#   cluster.sh stop DIR               stop every node
#   cluster.sh ports DIR              the three SQL ports, in node order
#   cluster.sh start-node DIR N       start node N again; it rejoins the running cluster
#   cluster.sh stop-node DIR N        stop node N cleanly
#   cluster.sh pid DIR N              the process id of node N
#   cluster.sh socket DIR N           the unix socket of node N
#
# Each node needs four ports: SQL, group communication, incremental and full state transfer.
# The first node of a new cluster bootstraps it; the others join it one after another, each with
# a full state transfer (rsync).
#
# The nodes give a silent member up after 1 s instead of Galera's 5 s (EVS_OPTIONS): until they
# have, no node commits anything. SENDORA_CLUSTER_OPTIONS adds provider options after these (a
# later option wins), e.g. to try Galera's own defaults.
set -euo pipefail

SCRIPT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
DBSERVER="$SCRIPT_DIR/dbserver.sh"
PROVIDER=/usr/lib/galera/libgalera_smm.so

# Keepalives and checks every 250 ms, suspicion after 1 s of silence; a view is installed (or the
# attempt given up) within 2 s. The order keepalive <= check <= suspect <= inactive must hold.
EVS_OPTIONS="evs.keepalive_period=PT0.25S;evs.inactive_check_period=PT0.25S"
EVS_OPTIONS="$EVS_OPTIONS;evs.suspect_timeout=PT1S;evs.inactive_timeout=PT3S"
EVS_OPTIONS="$EVS_OPTIONS;evs.install_timeout=PT2S;evs.join_retrans_period=PT0.3S"

die() { echo "cluster: $*" >&2; exit 1; }

# ports.txt holds one line per node: SQL GROUP IST SST.
choose_ports() {
  local dir=$1 from=$2 p
  : >"$dir/ports.txt"
  p=$from
  for _ in 1 2 3; do
    local line=""
    for _ in 1 2 3 4; do
      p=$(bash "$DBSERVER" free-port "$p")
      line="$line $p"
      p=$((p + 1))
    done
    echo "${line# }" >>"$dir/ports.txt"
  done
}

port_of() { sed -n "${2}p" "$1/ports.txt" | cut -d' ' -f"$3"; }

node_args() {
  local dir=$1 n=$2 new=$3 sql group ist sst members=""
  sql=$(port_of "$dir" "$n" 1); group=$(port_of "$dir" "$n" 2)
  ist=$(port_of "$dir" "$n" 3); sst=$(port_of "$dir" "$n" 4)
  for i in 1 2 3; do members="$members,127.0.0.1:$(port_of "$dir" "$i" 2)"; done
  local args="--wsrep-on=ON --wsrep-provider=$PROVIDER --wsrep-cluster-name=sendora"
  args="$args --wsrep-cluster-address=gcomm://${members#,} --wsrep-node-name=node$n"
  args="$args --wsrep-node-address=127.0.0.1:$group --wsrep-node-incoming-address=127.0.0.1:$sql"
  args="$args --wsrep-provider-options=base_port=$group;ist.recv_addr=127.0.0.1:$ist;gmcast.listen_addr=tcp://127.0.0.1:$group;$EVS_OPTIONS${SENDORA_CLUSTER_OPTIONS:+;$SENDORA_CLUSTER_OPTIONS}"
  args="$args --wsrep-sst-receive-address=127.0.0.1:$sst --wsrep-sst-method=rsync"
  args="$args --binlog-format=ROW --innodb-autoinc-lock-mode=2 --innodb-buffer-pool-size=64M"
  [ "$new" != new ] || args="$args --wsrep-new-cluster"
  echo "$args"
}

start_node() {
  local dir=$1 n=$2 new=${3:-}
  SENDORA_DB_USER=mysql SENDORA_DB_START_TIMEOUT=${SENDORA_DB_START_TIMEOUT:-120} \
    SENDORA_DB_EXTRA_ARGS="$(node_args "$dir" "$n" "$new")" \
    bash "$DBSERVER" start "$dir/node$n" "$(port_of "$dir" "$n" 1)" >/dev/null
}

running() { bash "$DBSERVER" status "$1/node$2" >/dev/null 2>&1; }

cmd_start() {
  local dir=$1 from=${2:-24406}
  mkdir -p "$dir"
  dir="$(cd "$dir" && pwd)"
  chmod 755 "$dir"
  [ -s "$dir/ports.txt" ] || choose_ports "$dir" "$from"
  if ! running "$dir" 1 && ! running "$dir" 2 && ! running "$dir" 3; then
    # Nothing runs: the node that was last to stop bootstraps (a fresh cluster: node 1).
    local first=1
    for i in 1 2 3; do
      if grep -qs 'safe_to_bootstrap: 1' "$dir/node$i/data/grastate.dat"; then first=$i; fi
    done
    sed -i 's/safe_to_bootstrap: 0/safe_to_bootstrap: 1/' "$dir/node$first/data/grastate.dat" 2>/dev/null || true
    start_node "$dir" "$first" new
  fi
  for i in 1 2 3; do running "$dir" "$i" || start_node "$dir" "$i"; done
  cmd_ports "$dir"
}

cmd_ports() { for i in 1 2 3; do port_of "$1" "$i" 1; done | paste -sd' '; }

cmd_stop() {
  local dir=$1
  for i in 3 2 1; do
    [ -d "$dir/node$i" ] && bash "$DBSERVER" stop "$dir/node$i" >/dev/null || true
  done
}

cmd_pid() { tr -dc '0-9' <"$1/node$2/mysqld.pid"; echo; }

case "${1:-}" in
  start) cmd_start "${2:?DIR}" "${3:-}" ;;
  stop) cmd_stop "${2:?DIR}" ;;
  ports) cmd_ports "${2:?DIR}" ;;
  start-node) start_node "${2:?DIR}" "${3:?N}" ;;
  stop-node) bash "$DBSERVER" stop "${2:?DIR}/node${3:?N}" >/dev/null ;;
  pid) cmd_pid "${2:?DIR}" "${3:?N}" ;;
  socket) bash "$DBSERVER" socket "${2:?DIR}/node${3:?N}" ;;
  *) die "usage: cluster.sh start|stop|ports|start-node|stop-node|pid DIR ..." ;;
esac
