#!/usr/bin/env bash
# Installs the Debian packages that tessivar needs to build, test and run
# (listed in tools/packages.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends $(grep -v '^#' tools/packages.txt)
