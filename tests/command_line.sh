#!/usr/bin/env bash
# The command line of the calculators: --version and --help answer and end with status 0
# without reading anything; any other argument is ignored, so a session runs as without one.
#
#   tests/command_line.sh [--launcher <emulator>] <version> <transcripts> <program>...
#
# Each program is checked against tests/transcripts/<name>/<session>: its first session in
# name order.
set -uo pipefail
source "$(dirname "$0")/script_common.sh"
version=$1 transcripts=$2
shift 2

# A session on standard input that the options must leave unread: with it, a program that
# ran its dialogue would write its menu and end with status 2.
printf '1\n' > "$work/answers"

for program in "$@"; do
  name=$(basename "$program" .exe)

  run "$program" --version < "$work/answers" > "$work/out" 2> "$work/err"
  status=$?
  printf '%s (thin-film calculators) %s\n' "$name" "$version" > "$work/want"
  [ $status -eq 0 ] && cmp -s "$work/out" "$work/want" && [ ! -s "$work/err" ]
  verdict $? "$name --version" "$name --version: status $status, output \"$(cat "$work/out")\""

  # Help before version when both are given; an argument before them does not matter.
  run "$program" -x --help --version < "$work/answers" > "$work/out" 2> "$work/err"
  status=$?
  missing=()
  head -n 1 "$work/out" | grep -qx "Usage: $name \[--help | --version\]" || missing+=("the usage line")
  text=$(tr -s ' \n' '  ' < "$work/out")  # the sentences, whatever their line breaks
  grep -q "dialogue in French on standard input" <<<"$text" || missing+=("the dialogue")
  grep -q "manual page: man $name\." <<<"$text" || missing+=("the manual page")
  grep -q "rlwrap $name adds line editing" <<<"$text" || missing+=("rlwrap")
  for s in 0 1 2; do grep -q "^  $s  " "$work/out" || missing+=("exit status $s"); done
  if grep -q "[^ -~]" "$work/out"; then missing+=("plain ASCII"); fi
  if [ "$(awk 'length > 88' "$work/out" | wc -l)" -ne 0 ]; then missing+=("short lines"); fi
  [ $status -eq 0 ] && [ ${#missing[@]} -eq 0 ] && [ ! -s "$work/err" ]
  verdict $? "$name --help" "$name --help: status $status, lacks: ${missing[*]}"

  # Other arguments change nothing: a transcript session gives its bytes and status.
  session=$(ls "$transcripts/$name"/*.in | head -n 1)
  stem=${session%.in}
  run "$program" -v --verbose input.txt < "$session" > "$work/out" 2> "$work/err"
  status=$?
  [ "$status" = "$(cat "$stem.status")" ] && cmp -s "$work/out" "$stem.out" && cmp -s "$work/err" "$stem.err"
  verdict $? "$name with other arguments runs $(basename "$stem")" \
    "$name with other arguments: $(basename "$stem") gives status $status and other bytes"

  # The answer to an option is output like any other.
  run "$program" --version > /dev/full 2> "$work/err"
  expect "$name --version to a full device" $? 2 "$work/err" "write error: No space left on device"
done
finish
