#!/bin/sh
# Installs the packages listed in scripts/packages/*.txt (one name a line,
# "#" starts a comment), skipping those already present.
set -e
cd "$(dirname "$0")/.."
PKGS=$(cat scripts/packages/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | grep -v '^$' | sort -u)
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends $missing
fi
