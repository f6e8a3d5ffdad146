#!/usr/bin/env bash
# A private MariaDB server for the demo and the tests: own data folder, own socket, loopback
# TCP on a port of our choosing. It never reads the machine's my.cnf files and never touches the
# system server or port 3306.
#
#   dbserver.sh start DIR PORT   start (or reuse) the server kept in DIR, listening on 127.0.0.1:PORT
#   dbserver.sh stop DIR         shut it down
#   dbserver.sh status DIR       exit 0 and describe it when it runs, exit 3 otherwise
#   dbserver.sh socket DIR       path of its unix socket
#   dbserver.sh free-port [FROM] first port >= FROM (default 23306) that nothing listens on
#
# SENDORA_DB_EXTRA_ARGS adds server options (the replication test starts a primary with a binary
# log and a replica this way); later options win over the defaults above them.
# SENDORA_DB_USER runs the server under that account instead of the caller's (cluster nodes run
# as mysql: their rsync state transfer cannot run as root); DIR is then handed to that account.
#
# DIR holds data/, mysqld.sock, mysqld.pid, error.log and port (the port it was last started on).
# When DIR is so deep that the socket path would not fit a unix socket address, the socket goes
# to /tmp under a name derived from DIR; ask "socket DIR" rather than assuming DIR/mysqld.sock.
# Every start of the server process (re)loads schema/accounts.sql, which is idempotent.
set -euo pipefail

SCRIPT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REPO_DIR="$(cd "$SCRIPT_DIR/.." && pwd)"
START_TIMEOUT=${SENDORA_DB_START_TIMEOUT:-60}
STOP_TIMEOUT=${SENDORA_DB_STOP_TIMEOUT:-60}

die() { echo "dbserver: $*" >&2; exit 1; }

port_in_use() {
  local port=$1
  if command -v ss >/dev/null 2>&1; then
    # Any listener on that port, whatever address it is bound to.
    [ -n "$(ss -Hltn "sport = :$port" 2>/dev/null)" ]
  else
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null
  fi
}

# Ports are chosen below the kernel's range for outgoing connections (32768 and up here): a
# client connection that happened to be given a server's port would keep that server from
# starting again on it.
free_port() {
  local port=${1:-23306}
  local last=$((port + 500))
  while [ "$port" -le "$last" ]; do
    if [ "$port" -ne 3306 ] && ! port_in_use "$port"; then
      echo "$port"
      return 0
    fi
    port=$((port + 1))
  done
  die "no free TCP port between $1 and $last"
}

set_paths() {
  [ -n "${1:-}" ] || die "missing DIR argument"
  [ "${2:-}" != create ] || mkdir -p "$1"
  DIR="$(cd "$1" 2>/dev/null && pwd || echo "$1")"
  DATA="$DIR/data"
  SOCK="$DIR/mysqld.sock"
  PIDF="$DIR/mysqld.pid"
  LOG="$DIR/error.log"
  # sun_path holds 108 bytes; a deep checkout gets a socket in /tmp named after DIR instead.
  if [ "${#SOCK}" -ge 100 ]; then
    SOCK="${TMPDIR:-/tmp}/sendora-db-$(printf '%s' "$DIR" | cksum | cut -d' ' -f1).sock"
  fi
}

server_pid() {
  [ -s "$PIDF" ] || return 1
  local pid
  pid=$(tr -dc '0-9' <"$PIDF")
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
  echo "$pid"
}

answers() {
  mariadb-admin --no-defaults --socket="$SOCK" --user=root --connect-timeout=2 ping >/dev/null 2>&1
}

# ON or OFF for a cluster node, empty for a server without one.
ready_state() {
  mariadb --no-defaults --socket="$SOCK" --user=root -N -B -e \
    "SELECT IF(@@wsrep_on, (SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS
       WHERE VARIABLE_NAME = 'WSREP_READY'), '')" 2>/dev/null || true
}

log_tail() {
  if [ -f "$LOG" ]; then
    echo "---- last lines of $LOG ----" >&2
    tail -n 40 "$LOG" >&2
    echo "----" >&2
  fi
}

cmd_start() {
  local port=${2:-}
  set_paths "${1:-}" create
  [[ "$port" =~ ^[0-9]+$ ]] || die "PORT must be a number"
  [ "$port" -ne 3306 ] || die "port 3306 belongs to the system server; choose another"

  local pid
  if pid=$(server_pid) && answers; then
    echo "dbserver: already running (pid $pid, port $(cat "$DIR/port" 2>/dev/null || echo '?'), socket $SOCK)"
    return 0
  fi
  if pid=$(server_pid); then
    die "pid $pid is alive but does not answer on $SOCK; stop it first ($0 stop $DIR)"
  fi
  rm -f "$PIDF" "$SOCK"
  port_in_use "$port" && die "port $port is already in use"

  local user
  user=${SENDORA_DB_USER:-$(id -un)}
  if [ "$user" != "$(id -un)" ]; then
    chown "$user" "$DIR"
    [ ! -d "$DATA" ] || chown -R "$user" "$DATA"
  fi
  if [ ! -d "$DATA/mysql" ]; then
    echo "dbserver: creating data folder $DATA"
    rm -rf "$DATA"
    mkdir -p "$DATA"
    [ "$user" = "$(id -un)" ] || chown "$user" "$DATA"
    if ! mariadb-install-db --no-defaults --user="$user" --datadir="$DATA" \
      --auth-root-authentication-method=normal --skip-test-db --skip-name-resolve \
      >"$DIR/install.log" 2>&1; then
      cat "$DIR/install.log" >&2
      die "mariadb-install-db failed"
    fi
  fi

  echo "dbserver: starting on 127.0.0.1:$port (data $DATA)"
  # setsid: a Ctrl-C in the terminal that started the demo must not take the server with it.
  setsid mariadbd --no-defaults --user="$user" \
    --datadir="$DATA" --socket="$SOCK" --pid-file="$PIDF" --log-error="$LOG" \
    --bind-address=127.0.0.1 --port="$port" --skip-name-resolve \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --innodb-buffer-pool-size=256M --innodb-log-file-size=64M \
    --innodb-flush-log-at-trx-commit=2 --innodb-doublewrite=0 \
    --performance-schema=OFF --skip-log-bin --max-connections=100 \
    ${SENDORA_DB_EXTRA_ARGS:-} \
    </dev/null >/dev/null 2>&1 &
  local child=$!

  local waited=0
  until answers; do
    if ! kill -0 "$child" 2>/dev/null; then
      log_tail
      die "server exited during start-up"
    fi
    if [ "$waited" -ge $((START_TIMEOUT * 5)) ]; then
      log_tail
      kill "$child" 2>/dev/null || true
      die "server did not answer within ${START_TIMEOUT}s"
    fi
    sleep 0.2
    waited=$((waited + 1))
  done
  echo "$port" >"$DIR/port"

  # A cluster node answers before it has joined; it takes statements only once it is ready.
  waited=0
  while [ "$(ready_state)" = OFF ]; do
    if [ "$waited" -ge $((START_TIMEOUT * 5)) ]; then
      log_tail
      die "cluster node did not become ready within ${START_TIMEOUT}s"
    fi
    sleep 0.2
    waited=$((waited + 1))
  done

  if ! mariadb --no-defaults --socket="$SOCK" --user=root --default-character-set=utf8mb4 \
    <"$REPO_DIR/schema/accounts.sql"; then
    die "loading schema/accounts.sql failed"
  fi
  echo "dbserver: running (pid $(server_pid || echo "$child"), port $port, socket $SOCK)"
}

cmd_stop() {
  set_paths "${1:-}"
  local pid
  if ! pid=$(server_pid); then
    rm -f "$PIDF"
    echo "dbserver: not running ($DIR)"
    return 0
  fi
  if ! mariadb-admin --no-defaults --socket="$SOCK" --user=root --connect-timeout=5 shutdown \
    >/dev/null 2>&1; then
    kill "$pid" 2>/dev/null || true
  fi
  local waited=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$waited" -ge $((STOP_TIMEOUT * 5)) ]; then
      echo "dbserver: pid $pid still alive after ${STOP_TIMEOUT}s, killing it" >&2
      kill -9 "$pid" 2>/dev/null || true
      sleep 0.5
      break
    fi
    sleep 0.2
    waited=$((waited + 1))
  done
  rm -f "$PIDF"
  echo "dbserver: stopped ($DIR)"
}

cmd_status() {
  set_paths "${1:-}"
  local pid
  if pid=$(server_pid) && answers; then
    echo "running (pid $pid, port $(cat "$DIR/port" 2>/dev/null || echo '?'), socket $SOCK)"
    return 0
  fi
  echo "not running ($DIR)"
  return 3
}

case "${1:-}" in
  start) shift; cmd_start "$@" ;;
  stop) shift; cmd_stop "$@" ;;
  status) shift; cmd_status "$@" ;;
  socket) shift; set_paths "${1:-}"; echo "$SOCK" ;;
  free-port) shift; free_port "${1:-23306}" ;;
  *)
    echo "usage: $0 start DIR PORT | stop DIR | status DIR | socket DIR | free-port [FROM]" >&2
    exit 2
    ;;
esac
