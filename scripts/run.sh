#!/usr/bin/env bash
# Builds Lumora, starts the simulated bench in the background and Lumora against it; the bench stops
# when Lumora exits. Instrument files that point at the bench are written where none exist.
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

bash scripts/deps.sh
bash scripts/build.sh build -DLUMORA_TESTS=OFF -DLUMORA_BENCH=OFF

bin="$top/build/bin"
for program in lumora lumora-benchsim; do
  if [ ! -x "$bin/$program" ]; then
    echo "run: $bin/$program is missing after the build." >&2
    exit 1
  fi
done

# The simulated instruments, each on a loopback address of its own as on a LAN.
supply_address=127.0.0.2
meter_address=127.0.0.3
write_instrument_file() { # <folder> <file> <name> <model> <address> <settings>
  local folder="$bin/Instruments/$1" file="$bin/Instruments/$1/$2"
  [ -f "$file" ] && return 0
  mkdir -p "$folder"
  cat >"$file" <<XML
<?xml version="1.0" encoding="GB2312" standalone="yes" ?>
<QXInstrument>
    <Instrument>
        <Property Name="$3" Type="" Model="$4" />
        <VISA Resource="TCPIP0::$5::5025::SOCKET" Timeout="30000" EndOfLine="" AddressIP="$5" AddressUSB="" />
        <DigitMultimeter>$6</DigitMultimeter>
    </Instrument>
</QXInstrument>
XML
  echo "run: wrote $file (the simulated instrument at $5)"
}
write_instrument_file "DC Power Supply" "DC Power Supply.xml" "DC Power Supply" "2280S" "$supply_address" \
  '<FunctionType Value="2" /><VoltageLevel Value="3.3" /><CurrentLimit Value="0.5" /><TriggerTimeout Value="1.000000" />'
write_instrument_file "Digit Multimeter" "Digit Multimeter.xml" "Digit Multimeter" "DMM7510" "$meter_address" \
  '<FunctionType Value="2" /><CaptCurr Value="0.500000" /><NplcCurr Value="0.001000" />'


# Raw SCPI sockets on port 5025 need no portmapper, so the bench runs without root.
"$bin/lumora-benchsim" --supply-address "$supply_address" --meter-address "$meter_address" --portmapper-port -1 &
bench=$!
stop_bench() { kill "$bench" 2>/dev/null || true; wait "$bench" 2>/dev/null || true; }
trap stop_bench EXIT
sleep 0.5
if ! kill -0 "$bench" 2>/dev/null; then
  echo "run: the simulated bench did not start." >&2
  exit 1
fi

status=0
"$bin/lumora" "$@" || status=$?
exit "$status"
