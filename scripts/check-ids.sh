#!/usr/bin/env bash
# check-ids.sh [file...]: every string id handed to LoadString or to a stop box (StopBox, RunStopBox)
# is a named one. Names file:line of each call whose id is a bare number, even one behind a cast or
# parentheses or on the next line, and exits non-zero if there is any. Comments and string literals
# are not read. Without arguments it checks the repository's C++ files.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

# Reads each file whole (-0777). Comments, string and character literals are blanked first, their
# line breaks kept, so that a line number counted in the blanked text is the file's own.
read -r -d '' check <<'PERL' || true
my $text = $_;
$text =~ s{ //[^\n]* | /\*.*?\*/ | R"([^(\s]*)\(.*?\)\1" | "(?:\\.|[^"\\\n])*" | '(?:\\.|[^'\\\n])*' }
          { (my $blank = $&) =~ s/[^\n]/ /g; $blank }gsex;
my $casts = qr{ \s | \( | (?:static|reinterpret)_cast \s* <[^<>]*> \s* \(
              | \b(?:int|unsigned|long|UINT) \s* \( | \( \s* (?:int|unsigned(?:\s+int)?|long|UINT) \s* \) }x;
while ($text =~ /\b(LoadString|\w*StopBox) \s* \( (?:$casts)* [-+~]? \s* \.? \d/gx) {
    my $line = 1 + (substr($text, 0, $-[0]) =~ tr/\n//);
    print "$ARGV:$line: $1 is given a bare number\n";
    $found = 1;
}
END { exit($found ? 1 : 0) }
PERL

status=0
if [ "$#" -eq 0 ]; then
  cd "$top"
  git ls-files -z '*.cpp' '*.h' | xargs -0 perl -0777 -ne "$check" || status=1
else
  perl -0777 -ne "$check" "$@" || status=1
fi
if [ "$status" -ne 0 ]; then
  echo "check-ids.sh: pass the id's name from its string table's header instead" >&2
fi
exit "$status"
