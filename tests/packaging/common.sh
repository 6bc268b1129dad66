# Shared by the packaging tests: skipping where a Debian tool is missing, and
# building the package into a scratch folder of the build tree.
set -euo pipefail

# CTest reports this exit status as a skip (SKIP_RETURN_CODE), not a pass.
readonly SKIP=77

skip_unless_installed() {
    local tool="$1" package="$2"
    if ! command -v "$tool" >/dev/null 2>&1; then
        # On standard error: build_deb's standard output is the package's path.
        echo "SKIPPED: $tool is not installed (Debian package $package); scripts/test installs it." >&2
        exit "$SKIP"
    fi
}

# build_deb BUILD_DIR SCRATCH_DIR: makes the package afresh, prints its path.
build_deb() {
    local build_dir="$1" scratch="$2"
    skip_unless_installed dpkg-deb dpkg
    skip_unless_installed dpkg-shlibdeps dpkg-dev
    rm -rf "$scratch"
    mkdir -p "$scratch"
    if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1; then
        cat "$scratch/cpack.log" >&2
        echo "FAIL: cpack could not make the package" >&2
        exit 1
    fi
    local debs=("$scratch"/*.deb)
    if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
        echo "FAIL: cpack made ${#debs[@]} packages, expected one: ${debs[*]}" >&2
        exit 1
    fi
    echo "${debs[0]}"
}
