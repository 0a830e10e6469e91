#!/usr/bin/env bash
# Runs a Windows test program of the service hosts in a Wine session of its
# own, under Wine's service control manager, and hands it the trace of the
# event log. Test tool only: never shipped.
#
#   wine_service_session.sh <test program> <service controller> [test arguments...]
#
# LMG_SERVICE_WINEPREFIX names the suite's own Wine prefix, made on first
# use; the caller's WINEPREFIX and WINEDEBUG are not used.
#
# Wine writes every string of ReportEventW on its eventlog debug channel to
# the standard error of the writing process. Services inherit standard error
# and WINEDEBUG from services.exe, which the session's first process starts,
# so the session is begun here with the channel on and standard error going
# to the trace file, whose Windows path the test program finds in
# LMG_EVENTLOG_TRACE. The server is kept persistent: otherwise it ends the
# services as soon as the last ordinary process of the session exits.
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 <test program> <service controller> [test arguments...]" >&2
  exit 2
fi
program=$1
controller=$2
shift 2

export WINEPREFIX=${LMG_SERVICE_WINEPREFIX:?the suite\'s Wine prefix}
export WINEDLLOVERRIDES="mscoree,mshtml="

quietly() { WINEDEBUG=-all "$@" >/dev/null 2>&1; }

end_session() {
  quietly timeout 60 wineserver -k
  quietly timeout 60 wineserver -w
}

# A server left by an interrupted run would keep system processes whose
# output does not reach this run's trace.
end_session

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "preparing the Wine prefix $WINEPREFIX"
  quietly timeout 600 wine wineboot -i
  end_session
fi

trace=$WINEPREFIX/eventlog-trace.log
: >"$trace"

cleanup() {
  # Services the test program could not remove, whatever became of it.
  for service in QuorvelLumagridCollectionServer ReportServer; do
    quietly timeout 60 wine "$controller" remove "$service"
  done
  end_session
}
trap cleanup EXIT

WINEDEBUG=-all wineserver -p
# The session's first process; it starts services.exe.
WINEDEBUG=+eventlog timeout 300 wine cmd /c exit >/dev/null 2>>"$trace"

LMG_EVENTLOG_TRACE="Z:${trace//\//\\}" WINEDEBUG=+eventlog \
  timeout 600 wine "$program" "$@" 2>>"$trace"
status=$?
if [ $status -ne 0 ]; then
  echo "--- event log entries in $trace ---"
  grep -a -E 'ReportEventW|:eventlog:' "$trace" | tail -n 60
fi
exit $status
