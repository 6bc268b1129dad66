#!/usr/bin/env bash
# The desktop entry must pass desktop-file-validate without even a hint.
# Usage: validate-desktop-entry.sh DESKTOP_FILE
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

skip_unless_installed desktop-file-validate desktop-file-utils
status=0
output="$(desktop-file-validate "$1" 2>&1)" || status=$?
if [ "$status" -ne 0 ] || [ -n "$output" ]; then
    echo "$output"
    echo "FAIL: desktop-file-validate $(basename "$1") (exit $status)"
    exit 1
fi
echo "$(basename "$1") is valid"
