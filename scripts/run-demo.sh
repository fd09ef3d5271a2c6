#!/usr/bin/env bash
# Sets up and starts the demo: installs the dependencies, builds, and runs
# tarsel-server with demo data (the client joins when it is built).
#   scripts/run-demo.sh [extra tarsel-server options]
# Environment: BUILD_DIR (default ./build), DEMO_DIR (default ./demo-data).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
DEMO_DIR=${DEMO_DIR:-$ROOT/demo-data}

bash scripts/install-deps.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$(nproc)"

mkdir -p "$DEMO_DIR"
echo "Demo data folder: $DEMO_DIR (delete it to start afresh)"
exec "$BUILD_DIR/bin/tarsel-server" serve --demo --data-dir "$DEMO_DIR" "$@"
