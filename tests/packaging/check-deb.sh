#!/usr/bin/env bash
# Builds the Debian package and checks what apt would install: the control fields
# (above all that its engine and libraries come along) and every file it must carry.
# Usage: check-deb.sh BUILD_DIR SCRATCH_DIR VERSION APP_ID
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

build_dir="$1" scratch="$2" version="$3" app_id="$4"
deb="$(build_deb "$build_dir" "$scratch")"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "statusmill_${version}_${arch}.deb" ] ||
    fail "package file is $(basename "$deb"), expected statusmill_${version}_${arch}.deb"

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
    local name="$1" expected="$2" actual
    actual="$(field "$name")"
    [ "$actual" = "$expected" ] || fail "$name is '$actual', expected '$expected'"
}
expect_field Package statusmill
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Section editors
expect_field Homepage https://www.example.com/statusmill
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
description="$(field Description)"
[ "$(printf '%s\n' "$description" | wc -l)" -gt 1 ] || fail "Description has no long text"

# Depends as a list of package names, versions dropped.
depends="$(field Depends | tr ',|' '\n\n' | sed -e 's/(.*)//' -e 's/ //g' | sed '/^$/d')"
for package in libreoffice-writer fonts-liberation2 \
    libqt6core6 libqt6gui6 libqt6widgets6 libpoppler-qt6-3 libuno-cppu3; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package (Depends: $(field Depends))"
done
# The no-GUI Writer cannot open documents with comments, so it must not satisfy us.
grep -qx libreoffice-writer-nogui <<<"$depends" && fail "Depends allows libreoffice-writer-nogui"

# dpkg-deb -c lists "./usr/..." paths, a symlink as "path -> target".
listing="$(dpkg-deb -c "$deb")"
paths="$(awk '{ print $6 }' <<<"$listing" | sed -e 's|^\./|/|' -e 's|/$||')"
expected=(
    /usr/bin/statusmill
    /usr/lib/statusmill/statusmill
    /usr/lib/statusmill/office/libstatusmill_office.so
    "/usr/share/applications/$app_id.desktop"
    "/usr/share/metainfo/$app_id.metainfo.xml"
    /usr/share/man/man1/statusmill.1.gz
    /usr/share/doc/statusmill/copyright
    /usr/share/doc/statusmill/changelog.gz
)
# The program icon's sizes as the design gives them, not as the install rule finds them.
for size in 32 48 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/statusmill.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$paths" || fail "package lacks $path"
done

# Nothing of an administrator's under /usr: skins and cursors go in /etc/statusmill.
grep -q '^/usr/lib/statusmill/x' <<<"$paths" && fail "package carries /usr/lib/statusmill/x"

# Its data compressed as Debian's own packages are.
ar t "$deb" | grep -qx data.tar.xz || fail "data is not xz-compressed: $(ar t "$deb" | tr '\n' ' ')"

# Built with Debian's hardening: a stack protector, fortified functions,
# read-only relocations bound at start, position-independent code.
program="$scratch/statusmill"
dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/lib/statusmill/statusmill >"$program"
symbols="$(readelf --dyn-syms -W "$program")"
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector (__stack_chk_fail)"
grep -qE '__[a-z]+_chk(@|$)' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
    fail "no fortified functions (__*_chk)"
readelf -lW "$program" | grep -q GNU_RELRO || fail "no read-only relocations (GNU_RELRO)"
readelf -dW "$program" | grep -qE 'BIND_NOW|FLAGS_1.*NOW' || fail "relocations not bound at start"
readelf -hW "$program" | grep -q 'DYN (' || fail "not position-independent"

# The launcher must be a link whose target, resolved from /usr/bin, is an
# executable file in the package.
launcher="$(grep -E '^l\S+ .* \./usr/bin/statusmill -> ' <<<"$listing" || true)"
if [ -z "$launcher" ]; then
    fail "/usr/bin/statusmill is not a symbolic link"
else
    target="$(sed 's/.* -> //' <<<"$launcher")"
    resolved="$(realpath -m "/usr/bin/$target")"
    entry="$(awk -v want="./${resolved#/}" '$6 == want' <<<"$listing")"
    if [ -z "$entry" ]; then
        fail "launcher points to $resolved, which the package does not carry"
    elif [[ ! "$entry" =~ ^-rwxr-xr-x ]]; then
        fail "launcher target $resolved is not an executable file: $entry"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "dpkg-deb -I:"; dpkg-deb -I "$deb"
    echo "dpkg-deb -c:"; echo "$listing"
    exit 1
fi
echo "package $(basename "$deb") complete"
