#!/usr/bin/env bash
# Exits 0 when a Lumora of this user runs: its single-instance lock, in the user's private runtime
# folder, is held. The folder is the one the program itself takes: $XDG_RUNTIME_DIR when it is the
# user's own and closed to others, else lumora-<host> in the cache folder of the user's home. Exits 1
# otherwise.
set -uo pipefail
uid="$(id -u)"
key="{0CF2B480-6AF5-4445-BAF9-1D1F7DAC8B28}"

private() { # <folder>: 0 when it is a folder of this user's that no one else may enter
  [ -d "$1" ] && [ ! -L "$1" ] || return 1
  local owner mode
  read -r owner mode < <(stat -c '%u %a' "$1") || return 1
  [ "$owner" = "$uid" ] && [ $((8#$mode & 8#077)) -eq 0 ]
}

folder=""
if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ "${XDG_RUNTIME_DIR:0:1}" = "/" ] && private "$XDG_RUNTIME_DIR"; then
  folder="$XDG_RUNTIME_DIR"
elif private "$HOME/.cache/lumora-$(uname -n)"; then
  folder="$HOME/.cache/lumora-$(uname -n)"
else
  exit 1
fi
lock="$folder/lumora-$key-$uid.lock"
# The running program holds a lock on the file for as long as it runs.
[ -f "$lock" ] && [ ! -L "$lock" ] && ! flock -n "$lock" true 2>/dev/null
