#!/usr/bin/env bash
# Installs what the build, the tests, the benchmarks and the fuzzers need on Debian.
# With --windows, also the mingw-w64 cross toolchain and wine for the Windows build;
# with --packages, the Debian packaging tools; with --browser, Chromium and npm.
set -euo pipefail
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends \
  build-essential cmake binutils \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  libassimp-dev assimp-utils \
  libcli11-dev nlohmann-json3-dev \
  libcpp-httplib-dev libmicrohttpd-dev libstb-dev pkg-config \
  libsimdjson-dev libxxhash-dev libmeshoptimizer-dev libdraco-dev gltfpack \
  clang libclang-rt-14-dev
# Packaging and installed-use checks (.ci/run) and bench/compare.sh.
$sudo apt-get install -y --no-install-recommends \
  pkg-config dpkg-dev file hyperfine time
# sci --tree --format svg draws with Graphviz; help2man makes the sci man page;
# the completion tests run bash's and zsh's completions of sci.
$sudo apt-get install -y --no-install-recommends graphviz help2man bash-completion zsh
# The sceneinfo Python module, its tests (mypy checks the examples), its Dask runs and progress bars.
$sudo apt-get install -y --no-install-recommends \
  python3-dev pybind11-dev python3-numpy python3-pandas python3-pytest python3-distributed mypy python3-tqdm
if [ "${1:-}" = "--windows" ]; then
  $sudo apt-get install -y --no-install-recommends g++-mingw-w64-x86-64-posix wine64
fi

# With --packages: what the Debian packages are built, judged and tried out with.
if [ "${1:-}" = "--packages" ]; then
  $sudo apt-get install -y --no-install-recommends \
    debhelper dh-python devscripts lintian debootstrap ccache
fi

# With --browser: Chromium for the page of sci --view and its browser tests.
if [ "${1:-}" = "--browser" ]; then
  $sudo apt-get install -y --no-install-recommends chromium
fi

# Both build the page (three.js from npm): Debian's npm where none is there,
# since a Node.js from elsewhere brings its own npm and conflicts with Debian's.
if [ "${1:-}" = "--packages" ] || [ "${1:-}" = "--browser" ]; then
  command -v npm >/dev/null || $sudo apt-get install -y --no-install-recommends npm
fi
