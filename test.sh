#!/usr/bin/env bash
# Builds Dotpress (installing what is missing) and runs every test.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
dotpress_setup
cd "$DOTPRESS_BUILD"
ctest --output-on-failure --timeout 600
