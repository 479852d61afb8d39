# What the test scripts share, sourced before their own arguments are read: an optional
# --launcher <emulator> first, a scratch folder, and a count of failures.
launcher=()
if [ "${1:-}" = --launcher ]; then
  launcher=("$2")
  shift 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
run() { "${launcher[@]}" "$@"; }
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
# verdict <status> <what passed> <what failed>: a check's line, from the status of its test.
verdict() {
  if [ "$1" -eq 0 ]; then echo "ok: $2"; else fail "$3"; fi
}
# expect <case> <status> <expected status> <stderr file> [<expected stderr line>...]
expect() {
  local name=$1 status=$2 want_status=$3 err=$4
  shift 4
  if [ $# -gt 0 ]; then printf '%s\n' "$@" > "$work/want.err"; else : > "$work/want.err"; fi
  if [ "$status" = "$want_status" ] && cmp -s "$err" "$work/want.err"; then
    echo "ok: $name"
  else
    fail "$name: status $status (expected $want_status), standard error:"
    sed 's/^/  | /' "$err"
    echo "  expected:"
    sed 's/^/  | /' "$work/want.err"
  fi
}
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
  fi
}
