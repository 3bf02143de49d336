#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine: installs what is missing,
# configures and builds, then runs the bench or every test.
#
#   ./telmora.sh run [--console]   build and start the bench
#   ./telmora.sh test              build and run all tests: plain, then under
#                                  AddressSanitizer+UBSan, then every test that
#                                  needs no Qt under ThreadSanitizer
#   ./telmora.sh bench             build and run the benchmarks
#   ./telmora.sh line ARGS         drive the simulated line of a running
#                                  bench (ring, hangup, status, defaults)
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libtomlplusplus-dev fonts-dejavu-core)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
}

# Build output goes to standard error, so what a command prints (a device
# file from `line defaults`, say) can be redirected cleanly.
build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)" >&2
}

cmd="${1:-run}"
shift || true
install_missing
case "$cmd" in
  run)
    build default
    exec ./build/default/app/telmora "$@"
    ;;
  test)
    build default
    ctest --preset default
    build asan
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
      LSAN_OPTIONS="suppressions=$PWD/cmake/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
      ctest --preset asan
    build tsan
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" ctest --preset tsan
    ;;
  bench)
    build default
    for b in ./build/default/bench/*_bench; do "$b" "$@"; done
    ;;
  line)
    build default
    exec ./build/default/telephony/telmora-line "$@"
    ;;
  *)
    echo "usage: $0 run [--console] | test | bench | line ARGS" >&2
    exit 2
    ;;
esac
