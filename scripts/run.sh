#!/usr/bin/env bash
# Builds Lumora in a build folder of its own, starts the simulated bench on loopback addresses that are
# free and Lumora against it; the bench stops when Lumora exits, and both stop when this script is
# ended (Ctrl+C, SIGTERM, SIGHUP). The instrument files that point at a simulated bench (a loopback
# address) are written with the addresses of this run; files that point elsewhere are left alone.
# While a Lumora already runs, this start only brings it to the front: no bench of its own, and the
# instrument files the running one uses are left alone.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'TEXT'
run: there is no display here ($DISPLAY and $WAYLAND_DISPLAY are empty), so Lumora's window cannot open.
Give it one, for example:
  xvfb-run -a bash scripts/run.sh                  # a virtual X display (package xvfb)
  QT_QPA_PLATFORM=offscreen bash scripts/run.sh    # no window at all, the program runs unseen
or run it from a desktop session, or over ssh -X.
TEXT
  exit 2
fi

# Not the tests' build folder: a test run rebuilding its binaries would pull them from under Lumora.
build_dir=build-run
mkdir -p "$top/$build_dir"
bash scripts/deps.sh
# Two copies started together build one after the other.
flock "$top/$build_dir/.build.lock" bash scripts/build.sh "$build_dir" -DLUMORA_TESTS=OFF -DLUMORA_BENCH=OFF

bin="$top/$build_dir/bin"
for program in lumora lumora-benchsim; do
  if [ ! -x "$bin/$program" ]; then
    echo "run: $bin/$program is missing after the build." >&2
    exit 1
  fi
done

# Lumora starts in its program folder, as its desktop entry starts it: its open and save dialogs
# begin there. A document named on the command line relative to here keeps naming the same file.
arguments=()
for argument in "$@"; do
  if [ -e "$argument" ] && [ "${argument#/}" = "$argument" ]; then
    argument="$PWD/$argument"
  fi
  arguments+=("$argument")
done
set -- ${arguments[@]+"${arguments[@]}"}

if bash scripts/lumora-running.sh; then
  echo "run: Lumora is already running: it is brought to the front; no bench is started and the instrument files are left alone"
  cd "$bin"
  exec "$bin/lumora" "$@"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/lumora-run.XXXXXX")"
bench=""
lumora=""
stop_all() {
  local pid
  for pid in $lumora $bench; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $lumora $bench; do
    wait "$pid" 2>/dev/null || true
  done
  lumora=""
  bench=""
  rm -rf "$work"
}
trap stop_all EXIT
trap 'stop_all; exit 130' INT
trap 'stop_all; exit 143' TERM
trap 'stop_all; exit 129' HUP

# The simulated instruments, each on a loopback address of its own as on a LAN. Another copy of this
# script, or a bench left over, may hold an address: the next pair is tried until the bench starts.
start_bench() { # <supply address> <meter address>; 0 when the bench runs
  : >"$work/bench.out"
  : >"$work/supply.log"
  # Raw SCPI sockets on port 5025 need no portmapper, so the bench runs without root.
  "$bin/lumora-benchsim" --supply-address "$1" --meter-address "$2" --portmapper-port -1 \
    --supply-log "$work/supply.log" >"$work/bench.out" 2>&1 &
  bench=$!
  for _ in $(seq 1 100); do
    if grep -q '^running;' "$work/bench.out"; then
      return 0
    fi
    if ! kill -0 "$bench" 2>/dev/null; then
      wait "$bench" 2>/dev/null || true
      bench=""
      return 1
    fi
    sleep 0.1
  done
  kill "$bench" 2>/dev/null || true
  wait "$bench" 2>/dev/null || true
  bench=""
  return 1
}

supply_address=""
meter_address=""
for host in $(seq 2 2 252); do
  if start_bench "127.0.0.$host" "127.0.0.$((host + 1))"; then
    supply_address="127.0.0.$host"
    meter_address="127.0.0.$((host + 1))"
    break
  fi
done
if [ -z "$supply_address" ]; then
  echo "run: the simulated bench did not start on any loopback address pair; its last words:" >&2
  cat "$work/bench.out" >&2
  exit 1
fi
echo "run: the simulated bench serves the DC power supply at $supply_address and the multimeter at $meter_address"

# <folder> <file> <name> <model> <address> <settings>: a new file, or a file that points at a
# simulated bench pointed at this run's. The file is replaced whole, never left half written.
write_instrument_file() {
  local folder="$bin/Instruments/$1" file="$bin/Instruments/$1/$2"
  mkdir -p "$folder"
  if [ -f "$file" ]; then
    if ! grep -Eq 'Resource="TCPIP0::127\.[0-9.]+::5025::SOCKET"' "$file"; then
      echo "run: $file points at another instrument; left as it is"
      return 0
    fi
    sed -E -e "s/Resource=\"TCPIP0::127\.[0-9.]+::5025::SOCKET\"/Resource=\"TCPIP0::$5::5025::SOCKET\"/" \
      -e "s/AddressIP=\"127\.[0-9.]+\"/AddressIP=\"$5\"/" "$file" >"$file.run-new"
  else
    cat >"$file.run-new" <<XML
<?xml version="1.0" encoding="GB2312" standalone="yes" ?>
<QXInstrument>
    <Instrument>
        <Property Name="$3" Type="" Model="$4" />
        <VISA Resource="TCPIP0::$5::5025::SOCKET" Timeout="30000" EndOfLine="" AddressIP="$5" AddressUSB="" />
        <DigitMultimeter>$6</DigitMultimeter>
    </Instrument>
</QXInstrument>
XML
  fi
  mv -f "$file.run-new" "$file"
}

# Another copy must not rewrite the instrument files between this copy writing them and its Lumora
# reading them: the lock is held until this Lumora has reached the bench's power supply, which it
# programs after reading both files (or until it exits, or a minute has passed).
mkdir -p "$bin/Instruments"
exec {files_lock}>"$bin/Instruments/.run.lock"
flock "$files_lock"
write_instrument_file "DC Power Supply" "DC Power Supply.xml" "DC Power Supply" "2280S" "$supply_address" \
  '<FunctionType Value="2" /><VoltageLevel Value="3.3" /><CurrentLimit Value="0.5" /><TriggerTimeout Value="1.000000" />'
write_instrument_file "Digit Multimeter" "Digit Multimeter.xml" "Digit Multimeter" "DMM7510" "$meter_address" \
  '<FunctionType Value="2" /><CaptCurr Value="0.500000" /><NplcCurr Value="0.001000" />'

(cd "$bin" && exec "$bin/lumora" "$@") &
lumora=$!
for _ in $(seq 1 600); do
  if [ -s "$work/supply.log" ] || ! kill -0 "$lumora" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
flock -u "$files_lock"
exec {files_lock}>&-

status=0
wait "$lumora" || status=$?
lumora=""
exit "$status"
