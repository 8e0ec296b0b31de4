#!/usr/bin/env bash
# Builds the Debian package in build/ and checks it as a distribution would:
# the menu entry (desktop-file-validate), the AppStream metainfo
# (appstreamcli), the package itself (lintian, failing on errors only), and
# then installs it with apt-get, so its dependencies must resolve, runs the
# installed programs and removes the package again.
#   tools/package.sh [--no-install]
# Needs desktop-file-utils, appstream, lintian and dpkg-dev; installing
# needs root (or sudo). --no-install stops after the checks, for a machine
# where the package should not come and go.
set -euo pipefail
cd "$(dirname "$0")/.."

install_test=1
case "${1:-}" in
  --no-install) install_test=0 ;;
  "") ;;
  *) echo "usage: tools/package.sh [--no-install]" >&2; exit 2 ;;
esac

missing=()
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream \
            lintian:lintian dpkg-shlibdeps:dpkg-dev; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package.sh: install ${missing[*]} first" >&2
  exit 1
fi
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

step() { printf '\n== %s\n' "$*"; }

step "build"
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
rm -f build/brellix_*.deb
(cd build && cpack -G DEB >/dev/null)
debs=(build/brellix_*.deb)
deb=$(realpath "${debs[0]}")
echo "$deb"

# What the package ships is what is checked.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

step "desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/brellix.desktop"
step "appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
step "lintian (errors fail)"
rc=0
report=$(lintian --fail-on error "$deb" 2>&1) || rc=$?
grep -v '^running with root privileges' <<<"$report" || true
[ "$rc" -eq 0 ] || { echo "package.sh: lintian found errors" >&2; exit 1; }

[ "$install_test" -eq 1 ] || exit 0

if dpkg-query -W -f='${Status}' brellix 2>/dev/null | grep -q "install ok installed"; then
  echo "package.sh: brellix is installed on this machine; not replacing it (use --no-install)" >&2
  exit 1
fi
step "install with apt-get"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -q --no-install-recommends "$deb"
trap '$SUDO apt-get remove -y -q brellix >/dev/null || true; rm -rf "$root"' EXIT
dpkg -L brellix

step "run the installed programs"
version=$(sed -n 's/^project(Brellix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
check() {
  local out
  out=$("$@")
  echo "$* -> $out"
  [ "$out" = "$(basename "$1") $version" ] || { echo "expected: $(basename "$1") $version" >&2; exit 1; }
}
check /usr/bin/brellixd --version
check /usr/bin/brellix --version
# As the service runs it: the installed runner finds a module (the built-in
# simulated one here) and ends in order on systemd's SIGTERM, saving.
rc=0
timeout --preserve-status -s TERM 3 /usr/bin/brellixd --simulate --config "$root/service.ini" \
  >/dev/null 2>"$root/service.log" || rc=$?
grep -q '^Status: LCD Connected' "$root/service.log" && [ "$rc" -eq 0 ] &&
  grep -qi '^mode=' "$root/service.ini" || {
  echo "installed brellixd: exit code $rc" >&2; cat "$root/service.log" >&2; exit 1
}
echo "/usr/bin/brellixd --simulate: LCD Connected, ended in order on SIGTERM, settings saved"
for page in brellix brellixd brellixctl; do
  [ -f /usr/share/man/man1/$page.1.gz ] || { echo "no man page $page(1)" >&2; exit 1; }
done
if command -v systemd-analyze >/dev/null && command -v man >/dev/null; then
  # The unit's command exists and its documentation is found.
  systemd-analyze verify /usr/lib/systemd/user/brellixd.service
fi

step "remove"
$SUDO apt-get remove -y -q brellix >/dev/null
trap 'rm -rf "$root"' EXIT
if dpkg-query -W -f='${Status}' brellix 2>/dev/null | grep -q "install ok installed"; then
  echo "package.sh: brellix is still installed" >&2
  exit 1
fi
echo "package.sh: $(basename "$deb") built, checked, installed, run and removed"
