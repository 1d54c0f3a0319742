#!/usr/bin/env bash
# Builds Dotpress (installing what is missing) and starts it.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
dotpress_setup
exec "$DOTPRESS_BUILD/bin/dotpress" "$@"
