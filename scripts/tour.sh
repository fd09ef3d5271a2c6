#!/usr/bin/env bash
# The screenshot tour: starts the demo server on free ports, runs the real
# client headless once per demo user (signing in through the real sign-in
# window), and saves a PNG of every window and tab it reaches.
#
#   scripts/tour.sh OUT_DIR            (uses build/bin, or $TARSEL_BUILD/bin)
#
# OUT_DIR/<RUN>/NN-name.png and OUT_DIR/<RUN>/tour.txt for the runs BAYI (type
# 3), BAYI4 (type 4), SATIS (type 1), TEMSILCI (type 2), BILINMEYEN (a machine
# the server does not know: the request page) and GUNCELLEME (the server
# expects version 7: the self-update). Exits non-zero when a run fails.
set -euo pipefail

OUT=${1:?usage: scripts/tour.sh OUT_DIR}
HERE=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${TARSEL_BUILD:-$HERE/build}
BIN=$BUILD/bin
CLIENT=$BIN/TarselB2B
SERVER=$BIN/tarsel-server
for exe in "$CLIENT" "$SERVER"; do
  [ -x "$exe" ] || { echo "tour: $exe not found (build first, or set TARSEL_BUILD)" >&2; exit 2; }
done

mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
WORK=$(mktemp -d)
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ] && kill -0 "$SERVER_PID" 2>/dev/null; then
    kill -TERM "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# A screen of a common laptop size for the headless client.
cat > "$WORK/screen.json" <<JSON
{"screens":[{"name":"tour","x":0,"y":0,"width":1366,"height":768,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$WORK/screen.json"
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"

# ---- the demo server on free ports
DATA=$WORK/data
mkdir -p "$DATA"
"$SERVER" serve --demo --machine TOUR-PC --listen 127.0.0.1 --port 0 --web-port 0 --data-dir "$DATA" \
  > "$WORK/server.out" 2> "$WORK/server.log" &
SERVER_PID=$!
PORT="" WEBPORT=""
for _ in $(seq 1 200); do
  PORT=$(sed -n 's/^tarsel-server listening on .*:\([0-9]*\)$/\1/p' "$WORK/server.out" | head -1)
  WEBPORT=$(sed -n 's/^tarsel-server web on .*:\([0-9]*\)$/\1/p' "$WORK/server.out" | head -1)
  [ -n "$PORT" ] && [ -n "$WEBPORT" ] && break
  kill -0 "$SERVER_PID" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$PORT" ] || [ -z "$WEBPORT" ]; then
  echo "tour: the demo server did not start" >&2
  cat "$WORK/server.log" >&2
  exit 2
fi
echo "tour: server on port $PORT, web on port $WEBPORT"
WEB="http://127.0.0.1:$WEBPORT/"

# This machine's own identifier, without any alias.
: > "$WORK/empty.conf"
RAW_ID=$(TARSEL_CONFIG="$WORK/empty.conf" "$CLIENT" --print-computer-id 2>/dev/null | tail -1)
if [ -z "$RAW_ID" ]; then
  echo "tour: this machine has no computer identifier" >&2
  exit 2
fi

# run NAME TYPED_USER MACHINE_ID [DOWNLOAD_URL]
FAILED=0
run() {
  local name=$1 user=$2 machine=$3 download=${4:-${WEB}download/latest}
  local conf=$WORK/$name.conf home=$WORK/home-$name
  mkdir -p "$home"
  cat > "$conf" <<CONF
serverHost=127.0.0.1
serverPort=$PORT
connectTimeoutMs=2000
webSiteBase=$WEB
outsideAddressBase=$WEB
downloadUrl=$download
[aliases]
$RAW_ID=$machine
CONF
  echo "tour: $name (user $user, machine $machine)"
  local rc=0
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run \
  TARSEL_CONFIG=$conf timeout 180 "$CLIENT" --tour "$OUT/$name" --tour-user "$user" --tour-password 1234 \
    > "$WORK/$name.out" 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "tour: $name ended with exit code $rc" >&2
    tail -20 "$WORK/$name.out" >&2
    FAILED=1
  fi
}

run BAYI BAYI DEMO-BAYI
run BAYI4 BAYI4 DEMO-BAYI4
run SATIS SATIS DEMO-SATIS
run TEMSILCI TEMSILCI DEMO-TEMSILCI
run BILINMEYEN BAYI TOUR-UNKNOWN-PC
# The server expects version 7 from BAYI4 from now on: the self-update
# downloads the demo installer (which only notes that it ran) and ends.
sqlite3 "$DATA/tarsel.db" "UPDATE users SET versiyon = 7 WHERE adi = 'BAYI4';"
run GUNCELLEME BAYI4 DEMO-BAYI4

echo "tour: PNG files in $OUT"
exit $FAILED
