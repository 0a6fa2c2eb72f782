#!/usr/bin/env bash
# missing_folder_test.sh <source tree> <cmake>: a copy of the tree without one folder's CMakeLists.txt
# must fail to configure, and the failure must name the file.
set -euo pipefail
source_tree="$1"
cmake="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/lumora-tree.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The tracked files when the tree is a git checkout, else everything but build folders.
if git -C "$source_tree" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source_tree" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf "$work/tree.tar")
else
  tar -C "$source_tree" --exclude='./build*' --exclude='./tests/peer/node_modules' -cf "$work/tree.tar" .
fi

status=0
for folder in lumora/sheetio tests/sheetio; do
  copy="$work/$(echo "$folder" | tr / _)"
  mkdir "$copy"
  tar -xf "$work/tree.tar" -C "$copy"
  rm "$copy/$folder/CMakeLists.txt"
  if "$cmake" -S "$copy" -B "$copy/build" -DLUMORA_TESTS=ON -DLUMORA_BENCH=OFF >"$copy/out.txt" 2>&1; then
    echo "FAILED: without $folder/CMakeLists.txt the tree configured"
    status=1
  elif ! tr -s ' \n' ' ' <"$copy/out.txt" | grep -q "$folder/CMakeLists.txt is missing"; then
    echo "FAILED: without $folder/CMakeLists.txt the configuration failed without naming it:"
    cat "$copy/out.txt"
    status=1
  else
    echo "without $folder/CMakeLists.txt: configuration refused, naming it"
  fi
done
exit "$status"
