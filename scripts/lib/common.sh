# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
PACKAGES=(g++ cmake ninja-build ccache qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          libcli11-dev nlohmann-json3-dev fonts-dejavu-core netpbm
          clang libfuzzer-14-dev libclang-rt-14-dev
          clang-format python3 dpkg-dev file groff-base desktop-file-utils appstream
          libsndfile1-dev python3-numpy
          pybind11-dev python3-pybind11 python3-pytest python3-matplotlib python3-setuptools python3-venv python3-wheel)

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}

# build DIR BUILD_TYPE [extra cmake args...]; BUILD_TARGET="name ..." builds those targets only
build() {
  local dir="$1" type="$2"
  shift 2
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # Paths are hashed relative to the checkout, so another clone of the same sources (a CI
    # run, a worktree) finds what an earlier build compiled.
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
  fi
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" "$@" >/dev/null
  local targets=()
  if [ -n "${BUILD_TARGET:-}" ]; then
    read -r -a targets <<<"$BUILD_TARGET"
    targets=(--target "${targets[@]}")
  fi
  cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}
