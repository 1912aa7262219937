#!/bin/sh
# Installs the packages the build needs, skipping those already present.
set -e
PKGS="cmake ninja-build g++ pkg-config ccache qt6-base-dev libsqlite3-dev zlib1g-dev
libjpeg62-turbo-dev libasound2-dev libgtest-dev libgmock-dev libbenchmark-dev
fonts-liberation2 libfontconfig-dev xxd qpdf poppler-utils pngcheck
zbar-tools python3-xlrd"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends $missing
fi
