#!/usr/bin/env bash
# The player as a desktop citizen, under a virtual X server: a second start hands its flyer to
# the running player and ends; File > Send and Send with Kickstarter hand the flyer to the mail
# tool (a stand-in first on the PATH that records its arguments and copies the attachment); the
# prepared attachments are gone once the player has ended.
# Usage: scripts/e2e-desktop.sh BUILD_DIR [WINDOW_MANAGER]
# Exit status 77 (skipped) when the X tools are not available.
set -euo pipefail

build=$(cd "${1:?usage: e2e-desktop.sh BUILD_DIR [WINDOW_MANAGER]}" && pwd)
manager=${2:-}
bin="$build/bin"
source "$(dirname "$0")/e2e-x.sh"
require_x_tools "$manager" Xvfb xdotool
for program in quireleaf qrltool quirekick.exe e2e_flyer_writer; do
  [ -x "$bin/$program" ] || skip "no $program in $bin"
done

start_virtual_x "$manager"

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$TMPDIR"

# The mail tool's stand-in: one numbered record of arguments and one copy per mail.
mkdir "$work/fake"
cat >"$work/fake/xdg-email" <<'TOOL'
#!/bin/sh
n=$(ls "$QRL_MAIL_DIR" | grep -c '\.args$' || true)
mkdir "$QRL_MAIL_DIR/mail$n"
cp "$2" "$QRL_MAIL_DIR/mail$n/"
printf '%s\0' "$@" >"$QRL_MAIL_DIR/mail$n.args"
TOOL
chmod +x "$work/fake/xdg-email"
mkdir "$work/mail"
export QRL_MAIL_DIR="$work/mail" PATH="$work/fake:$PATH"

first="$work/first.qrl"
"$bin/e2e_flyer_writer" "$first"
second="$work/Downloads/Flyer (1).qrl"
mkdir "$work/Downloads"
cp "$build/examples/demo.qrl" "$second"

"$bin/quireleaf" -t "$first" >"$work/player.log" 2>&1 &
player=$!
pids+=($player)
window=$(wait_window 20 --name '^E2E Flyer$' || true)
[ -n "$window" ] || fail "the first player did not show its flyer"

mode=$(stat -c '%A' "$XDG_RUNTIME_DIR/quireleaf")
case "$mode" in s???------) ;; *) fail "the player's socket is open to others: $mode" ;; esac

# A second start, from another folder with a relative path, hands the flyer over and ends.
(cd "$work/Downloads" && timeout 20 "$bin/quireleaf" -t "Flyer (1).qrl") || fail "the second start did not end with status 0"
wait_window 20 --name '^Quireleaf demo flyer$' >/dev/null ||
  fail "the running player did not open the handed-over flyer"
kill -0 "$player" || fail "the first player ended"
# The demo flyer carries a note, so its note window shows beside the one main window.
players=0
for id in $(xdotool search --onlyvisible --class quireleaf 2>/dev/null || true); do
  [ "$(xdotool getwindowname "$id")" = "Note" ] || players=$((players + 1))
done
[ "$players" -eq 1 ] || fail "not exactly one player window ($players)"

args_of() { tr '\0' '\n' <"$work/mail/mail$1.args"; }
expect_mail() {  # number, attachment name pattern, second-to-last line of the body
  for _ in $(seq 100); do [ -f "$work/mail/mail$1.args" ] && break; sleep 0.1; done
  [ -f "$work/mail/mail$1.args" ] || fail "mail $1 was not handed to the mail tool"
  mapfile -d '' args <"$work/mail/mail$1.args"
  [ "${args[0]}" = "--attach" ] && [ "${args[2]}" = "--body" ] || fail "mail $1: arguments $(args_of "$1")"
  case "${args[1]}" in $2) ;; *) fail "mail $1 attached ${args[1]}" ;; esac
  local rule=" --------------------------------------------------------"
  local body
  # The tool is handed line feeds; it writes each as CR LF into the mail.
  body=$(printf '\n%s\n           QUIRELEAF ATTACHMENT\n%s\n%s\n    HTTPS://QUIRELEAF.EXAMPLE.ORG\n%s\n_' \
    "$rule" "$rule" "$3" "$rule")
  [ "${args[3]}" = "${body%_}" ] || fail "mail $1: the body differs"
  "$bin/qrltool" info "$work/mail/mail$1/$(basename "${args[1]}")" >/dev/null || fail "mail $1: the attachment is no flyer"
}

xdotool key --window "$window" ctrl+d
expect_mail 0 "$second" " Get the Quireleaf Player download from"
xdotool key --window "$window" ctrl+k
expect_mail 1 "$TMPDIR/QRLmail-*/Flyer (1).EXE" " Quireleaf is online at"
mapfile -d '' packed <"$work/mail/mail1.args"
[ -x "${packed[1]}" ] || fail "the kickstarter attachment is not there while the player runs"

[ -z "${QRL_E2E_SCREENSHOT:-}" ] || import -window root "$QRL_E2E_SCREENSHOT"

# The player ends on a request through its socket; its prepared attachments go with it.
python3 - "$XDG_RUNTIME_DIR/quireleaf" <<'QUIT'
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
s.sendall(b"[QUIT]\n")
assert s.recv(1) == b"+"
QUIT
for _ in $(seq 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player" 2>/dev/null && fail "the player did not end"
[ ! -e "${packed[1]}" ] || fail "the kickstarter attachment outlived the player"
[ -z "$(ls -A "$TMPDIR")" ] || fail "the player left files in the temporary folder: $(ls -A "$TMPDIR")"
echo "PASS: the second start handed its flyer over; both mails went out; the attachments are gone"
