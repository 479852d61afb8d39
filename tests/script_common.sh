# What the command-line scripts share, sourced before their own arguments are read: an
# optional --launcher <emulator> first, a scratch folder, and a count of failures.
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
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures failed"
    exit 1
  fi
}
