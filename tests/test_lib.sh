# Sourced by the end-to-end test scripts: waiting for a condition and
# dropping an order job into a spool folder as the host does.

# wait_for SECONDS CONDITION...: true once the condition holds, false when
# the time runs out first.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# drop_job FOLDER NAME REFERENCE ITEM: a job of one label block, FOLDER/NAME.spl,
# written under another name and then renamed, so it is never seen half-made.
drop_job() {
  {
    printf '%s\r\n' "$3"
    for _ in $(seq 1 19); do printf '\r\n'; done
    printf '%s\r\n' "$4"
    for _ in $(seq 1 79); do printf '\r\n'; done
  } >"$1/$2.tmp"
  mv "$1/$2.tmp" "$1/$2.spl"
}
