# Shared by the capture tool's shell tests: counted checks with a closing
# "N passed, N failed" line. The sourcing script sets WORK to a scratch
# folder first.
failures=0
passes=0

check() {  # check NAME EXPECTED-STATUS COMMAND...: stdout in $WORK/out, stderr in $WORK/err
  local name="$1" expected="$2"
  shift 2
  "$@" >"$WORK/out" 2>"$WORK/err"
  local status=$?
  if [[ $status -ne $expected ]]; then
    echo "FAIL: $name: exit status $status, expected $expected"
    sed 's/^/  stderr: /' "$WORK/err"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

expect() {  # expect NAME CONDITION...
  local name="$1"
  shift
  if "$@"; then passes=$((passes + 1)); else echo "FAIL: $name"; failures=$((failures + 1)); fi
}

finish() {  # the closing line, and the script's status
  echo "$passes passed, $failures failed"
  [[ $failures -eq 0 ]]
}
