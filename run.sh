#!/usr/bin/env bash
# Builds Dotpress (installing what is missing) and starts it.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
dotpress_setup
if [ -x "$DOTPRESS_BUILD/bin/dotpress" ]; then
    exec "$DOTPRESS_BUILD/bin/dotpress" "$@"
fi
# Until the window program exists: convert the samples and show the listings' start.
cd "$DOTPRESS_BUILD/bin"
for listing in $(./dotpress-convert ./*.bmp); do
    echo "== $listing"
    head -n 4 "$listing"
done
