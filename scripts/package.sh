#!/usr/bin/env bash
# Builds the Debian package cofrel_<version>-1_<arch>.deb with CPack.
#
#   scripts/package.sh
#       installs what is needed, builds from scratch in build-package/ with
#       Debian's compiler flags, makes the package in this folder and checks
#       it with lintian and appstreamcli;
#   scripts/package.sh --build <folder> [--output <folder>] [--check]
#       packages what the configured build <folder> holds, already built (the
#       test suite does this with its own build), into --output (default:
#       this folder); --check runs the same checks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=
output=$root
check=0
while (($#)); do
  case $1 in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --output) mkdir -p "$2"; output=$(cd "$2" && pwd); shift 2 ;;
    --check) check=1; shift ;;
    *) echo "uso: $0 [--build <pasta>] [--output <pasta>] [--check]" >&2; exit 2 ;;
  esac
done

if [[ -z $build ]]; then
  "$root/scripts/install-deps.sh" --packaging
  build=$root/build-package
  rm -rf "$build"
  # Debian's hardening flags (stack protector, fortified functions, full RELRO).
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS" LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCOFREL_BUILD_TESTS=OFF -DCOFREL_BUILD_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target cofrel cofrel_installed_files
  check=1
fi

work=$build/pacote
rm -rf "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work.log" 2>&1 || { cat "$work.log"; exit 1; }
shopt -s nullglob
debs=("$work"/cofrel_*.deb)
if ((${#debs[@]} != 1)); then
  cat "$work.log"
  echo "package.sh: o CPack não fez o pacote" >&2
  exit 1
fi
deb=$output/$(basename "${debs[0]}")
mv -f "${debs[0]}" "$deb"
rm -rf "$work" "$work.log"

if ((check)); then
  lintian --fail-on error "$deb"
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"' EXIT
  dpkg-deb -x "$deb" "$unpacked"
  appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
fi
echo "$deb"
