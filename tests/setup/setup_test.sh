#!/usr/bin/env bash
# scripts/setup against a package mirror in sync: apt-get, dpkg-query, dpkg and
# sudo are stand-ins first on PATH; apt-get's update fails one index for the
# first few calls and its install works, works only with -t, or never works.
# setup's closing check runs the real /usr/lib/wine/wine, which scripts/setup
# installed on this machine; without it setup would go on to register qemu.
# Usage: tests/setup/setup_test.sh
set -uo pipefail
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup
failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
equals() { [ "$1" = "$2" ] || { echo "     expected [$2], got [$1]"; return 1; }; }

if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "FAIL /usr/lib/wine/wine does not run here; run scripts/setup first"
  exit 1
fi
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
url=http://deb.example.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
cat >"$stubs/apt-get" <<STUB
#!/usr/bin/env bash
echo "\$*" >>"$stubs/log"
case \$1 in
  update)
    n=\$(grep -c '^update' "$stubs/log")
    [ "\$n" -gt "\$FAIL_UPDATES" ] && exit 0
    echo "E: Failed to fetch $url  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  install)
    [ "\$INSTALL_MODE" = ok ] && exit 0
    [ "\$INSTALL_MODE" = suite ] && [[ " \$* " == *" -t "* ]] && exit 0
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
STUB
printf '#!/bin/sh\necho "dpkg-query: no packages found matching $3" >&2\nexit 1\n' >"$stubs/dpkg-query"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$stubs/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*

# failed refreshes | install mode | setup's outcome | updates | installs | output (ERE)
cases=(
  "1|ok|ok|2|plain|refreshing the package lists failed \(try 1 of 3\): $url$"
  "9|ok|ok|3|plain|^setup: going on with the package lists apt already has$"
  "9|suite|ok|3|plain -t $codename|trying again with the versions of $codename"
  "9|never|fails|3|plain -t $codename|^setup: the package lists could not be refreshed \($url; .*run the command again"
)
for c in "${cases[@]}"; do
  IFS='|' read -r fails mode outcome updates installs pattern <<<"$c"
  what="$fails failed refreshes, install $mode:"
  echo "== $what"
  rm -f "$stubs/log"
  out=$(PATH="$stubs:$PATH" FAIL_UPDATES=$fails INSTALL_MODE=$mode SETUP_REFRESH_PAUSE=0 "$setup" 2>&1) &&
    got=ok || got=fails
  check "$what setup $outcome" equals "$got" "$outcome"
  check "$what $updates update calls" equals "$(grep -c '^update' "$stubs/log")" "$updates"
  check "$what install calls: $installs" equals \
    "$(sed -n 's/^install.* \(-t [^ ]*\).*/\1/p; t; s/^install.*/plain/p' "$stubs/log" | paste -sd' ')" "$installs"
  check "$what the output says /$pattern/" grep -Eq -- "$pattern" <<<"$out"
  check "$what no apt-get option weakens apt's checks" bash -c "! grep -Ei -- \
    'allow-(unauthenticated|insecure|downgrades|releaseinfo)|AllowInsecure|AllowUnauthenticated|force-yes|Check-(Valid-Until|Date)|trusted=yes' '$stubs/log'"
  [ "$got" = "$outcome" ] || echo "$out" | sed 's/^/     | /'
done
echo "setup: $failures failed"
[ "$failures" = 0 ]
