#!/usr/bin/env bash
# The control node's part of deploy/ansible/assess.yml, run here without
# Windows: the note of each outcome, byte for byte (notes.yml); the assess
# play itself against a host that cannot be reached and one whose first step
# fails, which end with their notes and let the summary run; a host lost in
# the middle of its round, recorded by the summary play; and the summary
# play over a folder of reports and notes, with a stand-in summary and with
# the native one when it is built.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_LOCAL_TEMP=$work/ansible-tmp

fail() { echo "FAIL: $*" >&2; exit 1; }
# play LOG ARGS...: runs ansible-playbook, its output kept in LOG and shown if it fails.
play() {
    local log=$1 status=0
    shift
    ansible-playbook "$@" >"$log" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$log" >&2; fail "ansible-playbook $* ended with $status"; }
}
# holds FILE TEXT: FILE's bytes are TEXT and a line feed.
holds() {
    [ "$(od -An -tx1 "$1")" = "$(printf '%s\n' "$2" | od -An -tx1)" ] ||
        fail "$1 holds $(od -c "$1" | head -3), expected '$2'"
}

mkdir -p "$work/notes"
play "$work/notes.log" "$ROOT/tests/ansible/notes.yml" -e reports="$work/notes"
echo "ok the note of every outcome"

mkdir -p "$work/round/reports"
: >"$work/ssh_config"
cat >"$work/inventory.yml" <<INVENTORY
windows:
  hosts:
    off-01:
      ansible_connection: ssh
      ansible_host: 127.0.0.1
      ansible_port: 1
      ansible_ssh_common_args: -F $work/ssh_config -o BatchMode=yes -o ConnectTimeout=5
    local-01:
      ansible_connection: local
      ansible_python_interpreter: /usr/bin/python3
INVENTORY
cat >"$work/summary" <<'STUB'
#!/bin/sh
printf '%s\n' "$@" >"$(dirname "$0")/summary-args"
echo "2 of 2 hosts expected not assessed" >&2
exit 2
STUB
chmod +x "$work/summary"
echo earlier >"$work/round/reports/local-01.html"
echo program >"$work/SystemAssessment.exe"
common=(-i "$work/inventory.yml" -e reports_folder="$work/round/reports" -e summary_program="$work/summary"
    -e assessment_program="$work/SystemAssessment.exe")
play "$work/round.log" "$ROOT/deploy/ansible/assess.yml" "${common[@]}"
grep -q '^unreachable: Failed to connect to the host via ssh: .*port 1' "$work/round/reports/off-01.not-assessed.txt" ||
    fail "off-01's note: $(cat "$work/round/reports/off-01.not-assessed.txt")"
grep -q '^failed: Make a fresh temporary folder: ' "$work/round/reports/local-01.not-assessed.txt" ||
    fail "local-01's note: $(cat "$work/round/reports/local-01.not-assessed.txt")"
[ ! -e "$work/round/reports/local-01.html" ] || fail "local-01's earlier report was kept"
[ "$(tail -1 "$work/summary-args")" = "$work/round/reports" ] || fail "the summary did not run over the reports"
[ "$(cat "$work/round/expected-hosts.txt")" = $'off-01\nlocal-01' ] || fail "expected-hosts.txt: $(cat "$work/round/expected-hosts.txt")"
echo "ok a round where no host could be assessed ends with a note for each and the summary"

rm -rf "$work/round/reports"/* "$work/summary-args"
play "$work/lost.log" "$ROOT/deploy/ansible/assess.yml" "${common[@]}" --tags summary \
    -e '{"assessment_folder": {"path": "C:\\Temp\\dravik-assessment-q"}, "assessment_run": {"unreachable": true, "msg": "winrm: connection reset\r\nby peer"}}'
for host in off-01 local-01; do
    holds "$work/round/reports/$host.not-assessed.txt" "unreachable: winrm: connection reset by peer"
done
[ -e "$work/summary-args" ] || fail "the summary did not run after recording the hosts lost"
echo "ok hosts lost in the middle of their round are recorded before the summary"

native=${NIMLO_NATIVE_SUMMARY:-$ROOT/build/native/summary/SystemAssessmentSummary}
if [ -x "$native" ]; then
    cp "$ROOT/tests/golden/AllPass.html" "$work/round/reports/web-01.html"
    play "$work/native.log" "$ROOT/deploy/ansible/assess.yml" -i "$work/inventory.yml" --tags summary \
        -e reports_folder="$work/round/reports" -e summary_program="$native"
    [ -s "$work/round/assessment.html" ] || fail "the native summary wrote no overview"
    [ "$(cat "$work/round/lists/not-assessed.txt")" = $'local-01\noff-01' ] ||
        fail "not-assessed.txt: $(cat "$work/round/lists/not-assessed.txt")"
    echo "ok the summary play with $native"
else
    echo "skip the summary play with the native summary: $native is not built"
fi
