#!/usr/bin/env bash
# check_ids_test.sh <check-ids.sh>: the check names the file and line of every LoadString or stop
# box given a bare number, however the call is written, and passes named ids, the functions'
# own declarations and what comments and strings say.
set -euo pipefail
check="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/lumora-ids.XXXXXX")"
trap 'rm -rf "$work"' EXIT
status=0

cat >"$work/bare.cpp" <<'CPP'
void Calls() {
    platform::LoadString(34406);
    StopBox(
        51511);
    RunStopBox(static_cast<int>(51504));
    LoadString((int)34160), LoadString(int(34161));
    const QString both[] = {LoadString(35021), LoadString(IDS_OK), LoadString(35028)};
    x = "LoadString(1)"; LoadString(-1);
}
CPP
cat >"$work/named.cpp" <<'CPP'
#pragma once
// StopBox(51511) and LoadString(34406) in a comment, /* RunStopBox(51504) */ in another.
enum : int { IDS_NO_METER = 51511, IDS_TIP_LINE_1 = 33002 };
constexpr int IDS_OK = 34406;
int StopBox(int stringId);
QString LoadString(int id);
void RunStopBox(const QString& text);
void Calls(int id) {
    platform::StopBox(IDS_NO_METER);
    RunStopBox(
        IDS_NO_METER);
    LoadString(static_cast<int>(IDS_TIP_LINE_1)), LoadString(id), LoadString((kBase) + 1);
    const char* quoted = "StopBox(51511)";
    const char* raw = R"(LoadString(34406))";
    const char quote = '"';
    LoadString(promptkit::IDS_OK);
}
CPP

# The expected report, file:line and name of each bare-number call in bare.cpp.
expected="$work/bare.cpp:2: LoadString is given a bare number
$work/bare.cpp:3: StopBox is given a bare number
$work/bare.cpp:5: RunStopBox is given a bare number
$work/bare.cpp:6: LoadString is given a bare number
$work/bare.cpp:6: LoadString is given a bare number
$work/bare.cpp:7: LoadString is given a bare number
$work/bare.cpp:7: LoadString is given a bare number
$work/bare.cpp:8: LoadString is given a bare number"

if out="$(bash "$check" "$work/bare.cpp" "$work/named.cpp" 2>/dev/null)"; then
  echo "FAILED: the check passed sources with bare-number ids"
  status=1
fi
if [ "$out" != "$expected" ]; then
  echo "FAILED: the check reported"
  echo "$out"
  echo "where it should report"
  echo "$expected"
  status=1
fi
if ! out="$(bash "$check" "$work/named.cpp" 2>&1)"; then
  echo "FAILED: the check refused sources whose ids are all named:"
  echo "$out"
  status=1
fi
[ "$status" -ne 0 ] || echo "bare numbers named by file and line; named ids passed"
exit "$status"
