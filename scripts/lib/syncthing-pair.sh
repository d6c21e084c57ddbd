# Sourced by scripts/check-outside.sh --sync: two Syncthing instances on this machine alone (two
# homes, listening on 127.0.0.1, no relays, no global or local discovery, no NAT, no usage
# reports), sharing one folder kept as $work/a2/memo and $work/b/memo, and one copy of the program
# on each. A memo made on B reaches A; A's next keystroke keeps B's row; both folders end alike.
command -v syncthing >/dev/null || { echo "FAIL  syncthing is not installed"; exit 1; }
export STNODEFAULTFOLDER=1 STNOUPGRADE=1

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
sides=(a2 b)
declare -A device listen gui
for side in "${sides[@]}"; do
    mkdir -p "$work/$side/memo/.stfolder"
    memos "$work/$side/memo" A B
    syncthing generate --home="$work/st-$side" --no-default-folder >/dev/null 2>&1
    device[$side]=$(syncthing serve --home="$work/st-$side" --device-id)
    listen[$side]=$(free_port)
    gui[$side]=$(free_port)
done
for side in "${sides[@]}"; do
    cat >"$work/st-$side/config.xml" <<EOF
<configuration version="36">
    <folder id="memo" label="memo" path="$work/$side/memo" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true" fsWatcherDelayS="1">
        <device id="${device[a2]}"></device>
        <device id="${device[b]}"></device>
        <minDiskFree unit="%">0</minDiskFree>
    </folder>
    <device id="${device[a2]}" name="a" compression="metadata"><address>tcp://127.0.0.1:${listen[a2]}</address></device>
    <device id="${device[b]}" name="b" compression="metadata"><address>tcp://127.0.0.1:${listen[b]}</address></device>
    <gui enabled="true" tls="false"><address>127.0.0.1:${gui[$side]}</address><apikey>tetomu-check</apikey></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${listen[$side]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <startBrowser>false</startBrowser>
        <minHomeDiskFree unit="%">0</minHomeDiskFree>
    </options>
</configuration>
EOF
    syncthing serve --home="$work/st-$side" --no-browser --no-restart >"$work/st-$side.log" 2>&1 &
    pids+=($!)
done
# The two see each other once each says the other is connected.
connected() {
    curl -s -H 'X-API-Key: tetomu-check' "http://127.0.0.1:${gui[$1]}/rest/system/connections" |
        grep -q '"connected": *true'
}
for _ in $(seq 120); do connected a2 && connected b && break; sleep 0.5; done
check "the two Syncthing instances are connected" yes "$(connected a2 && connected b && echo yes)"

start_program "$work/a2"
win_a=$win
start_program "$work/b"
win_b=$win
# Side by side: both keep in front.
xdotool windowmove --sync "$win_b" 400 0
sleep 1

# A memo made on B arrives on A's disk, and A's list takes it in.
type_at_end "$win_b" fromB
expect "B's new memo reaches A" "$work/a2/memo" \
    group.gl $'A\r\nB\r\nfromB\r\n' 0.txt A 1.txt B 2.txt fromB
settle
# A's next keystroke keeps B's row.
click_row "$win_a" 0
type_at_end "$win_a" x
expect "A's keystroke keeps B's row" "$work/a2/memo" \
    group.gl $'Ax\r\nB\r\nfromB\r\n' 0.txt Ax 1.txt B 2.txt fromB
expect "B ends as A" "$work/b/memo" \
    group.gl $'Ax\r\nB\r\nfromB\r\n' 0.txt Ax 1.txt B 2.txt fromB
