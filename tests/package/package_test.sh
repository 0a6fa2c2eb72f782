#!/usr/bin/env bash
# package_test.sh <build dir>: builds the Debian package with cpack, checks its contents and its
# dependencies, unpacks it into a temporary root and runs the program from there for 5 s.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { # The installation media: the launcher with its launcher file beside the package. It hands the
# package to the desktop's opener; a stand-in opener records what it was given.
media="$work/media"
mkdir -p "$media" "$work/opener"
cp "$build/bin/setup" "$build/bin/libplatform.so" "$deb" "$build/media/TORVANE.AutoRun.xml" "$media/"
cat >"$work/opener/xdg-open" <<OPENER
#!/bin/sh
echo "\$1" > "$work/opened"
OPENER
chmod +x "$work/opener/xdg-open"
PATH="$work/opener:$PATH" XDG_RUNTIME_DIR="$work/home" env -u LD_LIBRARY_PATH "$media/setup" ||
  fail "the launcher did not start the package"
for _ in $(seq 600); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ "$(cat "$work/opened" 2>/dev/null)" = "$media/$(basename "$deb")" ] ||
  fail "the launcher opened '$(cat "$work/opened" 2>/dev/null)' instead of the package"

echo "package test: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(ls "$work"/out/*.deb)"

contents="$(dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }')"
product_id="$(grep -o '{[0-9A-F-]*}' "$(dirname "$0")/../../cmake/Packaging.cmake" | head -n 1)"
for path in ./opt/lumora/lumora ./opt/lumora/lumora-benchsim ./opt/lumora/libplatform.so \
            ./opt/lumora/libsupplydrv.so ./opt/lumora/libmeterdrv.so ./opt/lumora/libdrvcore.so \
            ./opt/lumora/libstripplot.so ./opt/lumora/libtraceprefs.so ./opt/lumora/libpromptkit.so \
            ./opt/lumora/Config/ \
            "./opt/lumora/Instruments/DC Power Supply/DC Power Supply.xml" \
            "./opt/lumora/Instruments/Digit Multimeter/Digit Multimeter.xml" \
            ./usr/share/applications/lumora.desktop ./usr/share/mime/packages/lumora.xml \
            "./opt/installation-information/$product_id/uninstall"; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
grep -q '_tests$' <<<"$contents" && fail "the package holds test programs"

depends="$(dpkg-deb --field "$deb" Depends)"
for runtime in libqt6widgets6 libqt6printsupport6 libtinyxml2.6.2v5 fonts-liberation fonts-wqy-microhei; do
  grep -q "$runtime" <<<"$depends" || fail "Depends lacks $runtime: $depends"
done

root="$work/root"
dpkg -x "$deb" "$root"
folder="$root/opt/lumora"
[ -x "$root/opt/installation-information/$product_id/uninstall" ] || fail "the uninstaller is not executable"
for binary in "$folder/lumora" "$folder/lumora-benchsim" "$folder"/lib*.so; do
  resolved="$(env -u LD_LIBRARY_PATH ldd "$binary")"
  grep -q 'not found' <<<"$resolved" && fail "$binary misses libraries: $(grep 'not found' <<<"$resolved")"
  # The product's own libraries come from the unpacked folder, not from the build.
  if grep -q 'libplatform.so' <<<"$resolved"; then
    grep -q "libplatform.so => $folder/libplatform.so" <<<"$resolved" ||
      fail "$binary takes libplatform.so from elsewhere: $(grep libplatform <<<"$resolved")"
  fi
done

# A temporary folder of its own, so a Lumora the user has open does not count as this one's first instance.
mkdir -p "$work/home" "$work/tmp"
TMPDIR="$work/tmp" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen \
  env -u LD_LIBRARY_PATH "$folder/lumora" >"$work/program.log" 2>&1 &
program_pid=$!
# A program that falls over at its start is caught unless it takes longer than this; a slow machine
# only starts it later, which can fail no good program.
sleep 5
kill -0 "$program_pid" 2>/dev/null || { cat "$work/program.log"; program_pid=""; fail "the unpacked program did not stay up for 5 s"; }
# Ended by the session, it shuts down as through its window and writes its instrument files back.
kill -TERM "$program_pid"
status=0
for _ in $(seq 600); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end within 60 s of SIGTERM"
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || { cat "$work/program.log"; fail "the program ended with $status on SIGTERM"; }
grep -q "DigitMultimeter" "$folder/Instruments/DC Power Supply/DC Power Supply.xml" ||
  fail "the supply's instrument file was not written back at the end"
# The installation media: the launcher with its launcher file beside the package. It hands the
# package to the desktop's opener; a stand-in opener records what it was given.
media="$work/media"
mkdir -p "$media" "$work/opener"
cp "$build/bin/setup" "$build/bin/libplatform.so" "$deb" "$build/media/TORVANE.AutoRun.xml" "$media/"
cat >"$work/opener/xdg-open" <<OPENER
#!/bin/sh
echo "\$1" > "$work/opened"
OPENER
chmod +x "$work/opener/xdg-open"
PATH="$work/opener:$PATH" XDG_RUNTIME_DIR="$work/home" env -u LD_LIBRARY_PATH "$media/setup" ||
  fail "the launcher did not start the package"
for _ in $(seq 600); do [ -s "$work/opened" ] && break; sleep 0.1; done
[ "$(cat "$work/opened" 2>/dev/null)" = "$media/$(basename "$deb")" ] ||
  fail "the launcher opened '$(cat "$work/opened" 2>/dev/null)' instead of the package"

echo "package test: $(basename "$deb") holds $(wc -l <<<"$contents") entries; the unpacked program ran 5 s"
