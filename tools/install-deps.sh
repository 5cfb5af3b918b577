#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
#   tools/install-deps.sh [--clang]   (--clang: also clang and its sanitizer
#                                      and libFuzzer runtimes, for CI and fuzzing)
set -euo pipefail
pkgs=(cmake g++ make libgtest-dev xxd pkg-config)
[ "${1:-}" = "--clang" ] && pkgs+=(clang libclang-rt-dev)
need=()
for pkg in "${pkgs[@]}"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
[ ${#need[@]} -eq 0 ] && exit 0
echo "installing: ${need[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
