#!/usr/bin/env bash
# Installs into a scratch tree laid out as the package is, then validates the
# AppStream metadata on its own and against the tree (its launchable desktop entry
# must be there under the same name), pedantic notes included.
# Usage: validate-appstream.sh BUILD_DIR SCRATCH_DIR APP_ID
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$1" scratch="$2" app_id="$3"
skip_unless_installed appstreamcli appstream
rm -rf "$scratch"
DESTDIR="$scratch" cmake --install "$build_dir" --prefix /usr >/dev/null

failures=0
validate() {
    local status=0 output
    output="$(appstreamcli "$@" 2>&1)" || status=$?
    echo "$output"
    if [ "$status" -ne 0 ] || grep -qE '^\s*[EWIP]: ' <<<"$output"; then
        echo "FAIL: appstreamcli $* (exit $status)"
        failures=$((failures + 1))
    fi
}
validate validate --no-net --pedantic "$scratch/usr/share/metainfo/$app_id.metainfo.xml"
validate validate-tree --no-net --pedantic "$scratch"
rm -rf "$scratch"
[ "$failures" -eq 0 ]
