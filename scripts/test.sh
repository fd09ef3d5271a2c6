#!/usr/bin/env bash
# Sets up (dependencies, build) and runs every test.
#   scripts/test.sh            full run: install, configure, build, ctest, screenshot smoke
# Environment: BUILD_DIR (default ./build), JOBS (default: number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-$(nproc)}

bash scripts/install-deps.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j "$JOBS"

export QT_QPA_PLATFORM=offscreen
# PostgreSQL for the server tests that run on it too (skipped when it cannot start).
# The cluster lives under /tmp so that the postgres user can reach it
# wherever the checkout is.
if [ -z "${TARSEL_TEST_PG:-}" ]; then
  PG_DIR=$(mktemp -d /tmp/tarsel-pg.XXXXXX)
  trap 'bash "$ROOT/scripts/pg-test-instance.sh" stop "$PG_DIR" >/dev/null 2>&1 || true; rm -rf "$PG_DIR"' EXIT
  if bash scripts/pg-test-instance.sh start "$PG_DIR"; then
    TARSEL_TEST_PG=$(bash scripts/pg-test-instance.sh url "$PG_DIR")
    export TARSEL_TEST_PG
    echo "test.sh: the server tests run on PostgreSQL too ($TARSEL_TEST_PG)"
  else
    echo "test.sh: PostgreSQL could not start; its tests will be skipped" >&2
  fi
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
