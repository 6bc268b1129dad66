#!/usr/bin/env bash
# Builds the Debian package and runs lintian on it: errors and warnings fail, every
# other tag is printed for the reader. Deliberate exceptions are overrides in the
# package.
# Usage: lintian-deb.sh BUILD_DIR SCRATCH_DIR
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

skip_unless_installed lintian lintian
deb="$(build_deb "$1" "$2")"
status=0
output="$(lintian --fail-on error,warning --display-info --pedantic --display-experimental "$deb" 2>&1)" ||
    status=$?
# lintian warns about running as root on every run; that line says nothing here.
grep -v 'root privileges' <<<"$output" || true
if [ "$status" -ne 0 ]; then
    echo "FAIL: lintian found errors or warnings in $(basename "$deb") (exit $status)"
    exit 1
fi
echo "lintian found no errors or warnings in $(basename "$deb")"
