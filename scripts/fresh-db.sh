# Sourced by the test and benchmark scripts: a private server with wiped data for the life of the
# calling script, stopped again however that script ends.
#
#   start_fresh_server DIR FROM_PORT   sets $port and $socket
# shellcheck shell=bash

start_fresh_server() {
  local dir=$1 from=$2
  local dbserver
  dbserver="$(dirname "${BASH_SOURCE[0]}")/dbserver.sh"
  # Stop whatever an interrupted run left, then wipe its data.
  bash "$dbserver" stop "$dir" >/dev/null
  rm -rf "$dir"
  # shellcheck disable=SC2034  # port and socket are read by the calling script
  port=$(bash "$dbserver" free-port "$from")
  FRESH_DB_DIR=$dir
  FRESH_DB_SERVER=$dbserver
  trap 'bash "$FRESH_DB_SERVER" stop "$FRESH_DB_DIR" || true' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  bash "$dbserver" start "$dir" "$port"
  # shellcheck disable=SC2034
  socket=$(bash "$dbserver" socket "$dir")
}
