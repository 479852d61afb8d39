#!/usr/bin/env bash
# Output that cannot be written: the calculators say so in one line on standard error and end
# with status 2, whatever would have ended the session (a stop, an unreadable answer, a
# signal); what was written before the error stays written. A reader that goes away ends a
# program as it ends the system's other console tools.
#
#   tests/output_errors.sh [--launcher <emulator>] <ellcalc> <optconst> <waferbow> <signal_probe> <transcripts>
#
# <transcripts> is tests/transcripts, whose sessions are replayed. With a launcher (Wine), the
# programs are Windows executables; a case that cannot be set up there is reported as skipped.
set -uo pipefail
source "$(dirname "$0")/script_common.sh"
ellcalc=$1 optconst=$2 waferbow=$3 probe=$4 transcripts=$5
windows=false
case "$ellcalc" in *.exe) windows=true ;; esac

full="No space left on device"
ellcalc_session=$transcripts/ellcalc/mode6_harmonics.in
optconst_stop=$transcripts/optconst/silica.in                     # ends with -1
optconst_stop7=$transcripts/optconst/silica_no_convergence.in     # ends with STOP 7
waferbow_session=$transcripts/waferbow/thickness_changes.in

# An unreadable answer after lost output: the write error comes first and ends the program.
printf 'abc\n' > "$work/abc"
run "$ellcalc" < "$work/abc" > /dev/full 2> "$work/err"
expect "an unreadable answer after lost output" $? 2 "$work/err" "write error: $full"

# A signal after lost output: its line too, but never its own status (1 for a termination).
printf '1\n' > "$work/abort"
run "$probe" < "$work/abort" > /dev/full 2> "$work/err"
expect "an abort after lost output" $? 2 "$work/err" "write error: $full" "IOT Trap"
printf '2\n' > "$work/term"
run "$probe" < "$work/term" > /dev/full 2> "$work/err"
expect "a termination after lost output" $? 2 "$work/err" "write error: $full" "Killed"

# A prompt at a read that waits: the error is seen there, the program does not wait on.
exec {waiting}< <(exec sleep 60 > /dev/null 2>&1)
holder=$!
timeout 30 "${launcher[@]}" "$ellcalc" <&"$waiting" > /dev/full 2> "$work/err"
expect "a prompt that cannot be shown" $? 2 "$work/err" "write error: $full"
exec {waiting}<&-
kill "$holder" 2> /dev/null

# For each program: a full device, whichever way the session ends (the end of the input,
# -1, STOP 7); standard output closed at start; a file that takes 1024 bytes and no more
# (SIGXFSZ ignored, so the write fails instead), which holds exactly those bytes of the
# session's output. Wine turns that last error into a Windows one that it does not map back
# to the same name.
too_large="File too large"
if $windows; then too_large="(any)"; fi
run "$optconst" < "$optconst_stop7" > /dev/full 2> "$work/err"
expect "optconst STOP 7, output to a full device" $? 2 "$work/err" "write error: $full"
for pair in "ellcalc:$ellcalc:$ellcalc_session" "optconst:$optconst:$optconst_stop" \
            "waferbow:$waferbow:$waferbow_session"; do
  IFS=: read -r name program session <<<"$pair"
  run "$program" < "$session" > /dev/full 2> "$work/err"
  expect "$name, output to a full device" $? 2 "$work/err" "write error: $full"
  run "$program" < "$session" >&- 2> "$work/err"
  expect "$name, standard output closed" $? 2 "$work/err" "write error: Bad file descriptor"
  run "$program" < "$session" > "$work/whole" 2> /dev/null
  (ulimit -f 1 && trap '' XFSZ && run "$program" < "$session" > "$work/part" 2> "$work/err")
  status=$?
  if $windows; then sed -i 's/^write error: .*/write error: (any)/' "$work/err"; fi
  expect "$name, a file size limit" $status 2 "$work/err" "write error: $too_large"
  [ "$(wc -c < "$work/part")" -eq 1024 ] && cmp -s -n 1024 "$work/part" "$work/whole"
  verdict $? "$name, the bytes before the error stay written" \
    "$name: $(wc -c < "$work/part") bytes in the limited file, not the first 1024 of the output"
done

# A pipe whose reader has gone: on Linux the default reaction to SIGPIPE ends the program
# without a word (and a program that ignores SIGPIPE reports the error); on Windows the
# program ends as quietly, with status 2.
exec {closed}> >(:)
wait $!
run "$optconst" < "$optconst_stop" >&"$closed" 2> "$work/err"
status=$?
if $windows; then
  expect "a closed pipe" $status 2 "$work/err"
else
  expect "a closed pipe" $status $((128 + $(kill -l PIPE))) "$work/err"
  (trap '' PIPE && run "$optconst" < "$optconst_stop" >&"$closed" 2> "$work/err")
  expect "a closed pipe, SIGPIPE ignored" $? 2 "$work/err" "write error: Broken pipe"
  # Also when a signal's reaction is what writes the output out.
  run "$probe" < "$work/abort" >&"$closed" 2> "$work/err"
  expect "a closed pipe at an abort" $? $((128 + $(kill -l PIPE))) "$work/err"
fi
exec {closed}>&-

# A long session piped into head -1: the first line, nothing on standard error.
for _ in $(seq 100); do cat "$ellcalc_session"; done > "$work/long"
first=$(run "$ellcalc" < "$ellcalc_session" 2> /dev/null | head -n 1)
line=$(run "$ellcalc" < "$work/long" 2> "$work/err" | head -n 1)
[ "$line" = "$first" ] && [ ! -s "$work/err" ]
verdict $? "a long session piped into head -1" \
  "a long session piped into head -1 gave \"$line\" and standard error: $(cat "$work/err")"
finish
