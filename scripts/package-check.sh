#!/usr/bin/env bash
# The product as a user and a third-party host get it: installed into a staging folder, the
# installed console run headless against a fresh store, a host project built against the staged
# package with find_package, then the Debian package built, listed, installed (as root) and its
# console run the same way. Usage: bash scripts/package-check.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(realpath "${1:-build}")
work=$(mktemp -d /tmp/zrun-package-check.XXXXXX)
checks=0
package_installed_here=0

cleanup() {
    if [ "$package_installed_here" -eq 1 ]; then
        echo "-- removing the package installed for the check"
        DEBIAN_FRONTEND=noninteractive apt-get purge -y zrunsuspects >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "package-check: FAILED: $*" >&2
    exit 1
}
pass() {
    checks=$((checks + 1))
    echo "ok: $*"
}

version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/ZRUNSuspectsConfigVersion.cmake")
[ -n "$version" ] || fail "no project version in $build (configure it first)"

# The console headless against a fresh store, with its settings kept inside the work folder.
# Every product library it maps must come from the expected folder, and the console must
# point the module at that folder for the utilities library.
run_console() {
    local console=$1 folder=$2 name=$3
    local home="$work/home-$name"
    mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
    local status=0
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" \
        QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT="$home/ld" \
        timeout 120 "$console" --store "$home/ci.sqlite" --reseed --quit-after 2500 \
        >"$home/out.txt" 2>"$home/err.txt" || status=$?
    cat "$home/out.txt" "$home/err.txt"
    [ "$status" -eq 0 ] || fail "$console exited with $status"
    ! grep -q '^zrun-console: ' "$home/err.txt" || fail "$console could not start the module"
    [ -s "$home/ci.sqlite" ] || fail "$console wrote no store"
    local library
    for library in libzrun_platform.so ZRUNResources.so ZRUNSuspects.so; do
        grep -hq "calling init: $folder/$library\$" "$home"/ld.* || fail "$console did not load $folder/$library"
    done
    ! grep -h "calling init: .*/\(ZRUN\|libzrun_\)" "$home"/ld.* | grep -v "calling init: $folder/" ||
        fail "$console loaded a product library from elsewhere"
    grep -q "^Path=$folder\$" "$home/config/Norvik Software/zrun-console/machine/Norvik Software/Setup.conf" ||
        fail "$console did not point the module at $folder"
    local shown
    shown=$(env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
        timeout 60 "$console" --version 2>/dev/null)
    [ "$shown" = "zrun-console $version" ] || fail "$console --version says '$shown'"
    pass "$console ran headless (module, resources and platform library from $folder; version $version)"
}

# A host built against the package alone, run headless.
check_host() {
    local name=$1
    shift
    cmake -S "$source_dir/tests/packaging" -B "$work/host-$name" -G Ninja "$@" >"$work/host-$name.log" ||
        { cat "$work/host-$name.log"; fail "find_package(ZRUNSuspects) failed ($name)"; }
    cmake --build "$work/host-$name" >>"$work/host-$name.log" ||
        { cat "$work/host-$name.log"; fail "the host project did not build ($name)"; }
    local home="$work/home-host-$name"
    mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
    env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen \
        timeout 120 "$work/host-$name/zrun-host-check" || fail "the host did not load the module ($name)"
    pass "a host found the package with find_package and loaded the module ($name)"
}

echo "== install into a staging folder"
cmake --build "$build"
stage="$work/stage"
cmake --install "$build" --prefix "$stage" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
private=$(cd "$stage" && dirname "$(find . -path '*/zrunsuspects/zrun-console' | head -1)")
private=${private#./}
[ -n "$private" ] && [ "$private" != . ] || fail "no private folder with zrun-console in $stage"
for file in "$private/ZRUNSuspects.so" "$private/ZRUNResources.so" "$private/ZRUNUtils.so" \
    "$private/libzrun_platform.so" "$private/zrun-console" bin/zrun-console include/zrun/suspects.h \
    share/applications/zrun-console.desktop share/doc/zrunsuspects/README.md; do
    [ -e "$stage/$file" ] || fail "$file is not installed"
done
[ "$(realpath "$stage/bin/zrun-console")" = "$stage/$private/zrun-console" ] ||
    fail "bin/zrun-console does not lead to $private/zrun-console"
find "$stage" -name ZRUNSuspectsConfig.cmake | grep -q . || fail "no package configuration installed"
pass "every file is installed ($private holds the console, the module and its libraries)"

for binary in "$stage/$private"/*; do
    runpath=$(readelf -d "$binary" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    [ "$runpath" = '$ORIGIN' ] || fail "$binary has run path '$runpath'"
done
pass "every installed binary has the run path \$ORIGIN"

for size in 16 24 32 48 64 256; do
    icon="$stage/share/icons/hicolor/${size}x${size}/apps/zrun-console.png"
    # The PNG signature, then the header's width and height as 32-bit big-endian numbers.
    header=$(od -An -tx1 -N24 "$icon" 2>/dev/null | tr -d ' \n')
    printf -v expected '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size"
    [ "$header" = "$expected" ] || fail "$icon is not a $size x $size PNG"
done
desktop-file-validate "$stage/share/applications/zrun-console.desktop" || fail "the desktop entry is not valid"
pass "the desktop entry is valid and the icon is there in six sizes"

echo "== the installed console, headless"
run_console "$stage/bin/zrun-console" "$stage/$private" staged

echo "== a third-party host against the staged package"
check_host staged -DCMAKE_PREFIX_PATH="$stage"

echo "== the Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/deb/zrunsuspects_"$version"_*.deb)
dpkg-deb -I "$deb"
dpkg-deb -c "$deb" | tee "$work/contents.txt"
for file in ./usr/bin/zrun-console ./usr/lib/zrunsuspects/ZRUNSuspects.so ./usr/include/zrun/suspects.h \
    ./usr/share/applications/zrun-console.desktop ./usr/share/icons/hicolor/256x256/apps/zrun-console.png; do
    grep -q " $file\( \|$\)" "$work/contents.txt" || fail "the package has no $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libc6; do
    echo "$depends" | grep -q "\(^\|, \)$dependency\( \|,\|$\)" || fail "the package does not depend on $dependency"
done
pass "the package holds the product and depends on what its binaries link ($depends)"

if [ "$(id -u)" -ne 0 ]; then
    echo "-- not root: the package is built but not installed"
else
    echo "== the Debian package installed"
    if ! dpkg-query -W -f='${Status}' zrunsuspects 2>/dev/null | grep -q "ok installed"; then
        package_installed_here=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb"
    pass "apt-get installed $(basename "$deb")"
    system_console=$(grep -o ' \./usr/[^ ]*/zrunsuspects/zrun-console$' "$work/contents.txt" | head -1)
    system_console=${system_console# .}
    [ -n "$system_console" ] || fail "the package has no console in a private folder"
    run_console /usr/bin/zrun-console "$(dirname "$system_console")" system
    check_host system
fi

echo "package-check: all $checks checks passed"
