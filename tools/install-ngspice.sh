#!/bin/sh
# Installs an ngspice that loads OSDI modules (compiled device models).
#
# Debian 12's own ngspice is built without OSDI; its backports suite carries
# one that has it.  The suite is added by copying this machine's Debian apt
# source entry and changing only its suite, so the archive the machine
# already uses (mirror, snapshot, keyring) is the one asked, and only
# ngspice is installed from the backports suite.
#
# usage: tools/install-ngspice.sh [--dry-run]
#   --dry-run  print the apt entry that would be added; change nothing
#
# Does nothing when an OSDI-capable ngspice is already installed.  Needs
# root.  ZELK_APT_DIR (default /etc/apt) and ZELK_CODENAME (default:
# VERSION_CODENAME of /etc/os-release) exist for the tests of the
# derivation.
set -eu

dry=0
case "${1:-}" in
  --dry-run) dry=1 ;;
  "") ;;
  *) echo "usage: $0 [--dry-run]" >&2; exit 2 ;;
esac

apt_dir=${ZELK_APT_DIR:-/etc/apt}
list_dir=$apt_dir/sources.list.d
if [ -z "${ZELK_CODENAME:-}" ]; then
  ZELK_CODENAME=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
fi
codename=${ZELK_CODENAME:?no VERSION_CODENAME in /etc/os-release}
suite=$codename-backports

version() { ngspice -v 2>/dev/null | sed -n 's/^\*\* \(ngspice-[^ ]*\).*/\1/p'; }

# True when the installed ngspice knows the osdi command.
ngspice_has_osdi() {
  command -v ngspice >/dev/null 2>&1 || return 1
  probe=$(mktemp -d)
  printf '* probe\n.control\nosdi %s/none.osdi\nquit 0\n.endc\n.end\n' "$probe" > "$probe/p.cir"
  # Its own HOME keeps a user's ~/.spiceinit out of the probe.
  out=$(cd "$probe" && HOME="$probe" timeout 60 ngspice -b p.cir 2>&1 || true)
  rm -rf "$probe"
  case $out in *"no such command"*) return 1 ;; *ngspice*) return 0 ;; esac
  return 1
}

if [ "$dry" = 0 ] && ngspice_has_osdi; then
  echo "ngspice with OSDI is already installed: $(version)"
  exit 0
fi

# One-line entries, "deb [options] URI suite components": the first one for
# the release's own suite, with its type and suite replaced.
derive_one_line() {
  for f in "$apt_dir/sources.list" "$list_dir"/*.list; do
    [ -f "$f" ] || continue
    awk -v codename="$codename" -v suite="$suite" -v type="$1" '
      /^[ \t]*#/ || NF < 4 { next }
      $1 == "deb" || $1 == "deb-src" {
        i = 2
        if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
        if ($(i + 1) != codename) next
        $1 = type; $(i + 1) = suite; print; exit
      }' "$f"
  done | head -n 1
}

# deb822 stanzas: the first enabled one whose Suites name the release's own
# suite, with Types and Suites replaced and every other field (Signed-By
# among them) kept.
derive_deb822() {
  for f in "$list_dir"/*.sources; do
    [ -f "$f" ] || continue
    awk -v codename="$codename" -v suite="$suite" -v type="$1" '
      function flush() {
        if (!done && n && hit && !off) { for (k = 1; k <= n; k++) print lines[k]; print ""; done = 1 }
        n = 0; hit = 0; off = 0
      }
      done { exit }
      /^[ \t]*$/ { flush(); next }
      {
        line = $0
        key = tolower($1)
        if (key == "suites:") {
          for (k = 2; k <= NF; k++) if ($k == codename) hit = 1
          line = "Suites: " suite
        } else if (key == "types:") {
          line = "Types: " type
        } else if (key == "enabled:" && tolower($2) == "no") {
          off = 1
        }
        lines[++n] = line
      }
      END { flush() }' "$f"
  done | awk 'BEGIN { RS = "" } NR == 1 { print; exit }'
}

# True when some entry of type $1 already names the backports suite.
configured() {
  for f in "$apt_dir/sources.list" "$list_dir"/*.list; do
    [ -f "$f" ] || continue
    awk -v suite="$suite" -v type="$1" '
      /^[ \t]*#/ { next }
      $1 == type { for (k = 3; k <= NF; k++) if ($k == suite) found = 1 }
      END { exit !found }' "$f" && return 0
  done
  for f in "$list_dir"/*.sources; do
    [ -f "$f" ] || continue
    awk -v suite="$suite" -v type="$1" '
      BEGIN { RS = "" }
      {
        t = 0; s = 0
        n = split($0, l, "\n")
        for (k = 1; k <= n; k++) {
          m = split(l[k], w, /[ \t]+/)
          key = tolower(w[1])
          for (j = 2; j <= m; j++) {
            if (key == "types:" && w[j] == type) t = 1
            if (key == "suites:" && w[j] == suite) s = 1
          }
        }
        if (t && s) found = 1
      }
      END { exit !found }' "$f" && return 0
  done
  return 1
}

# Adds the entry of type $1 as $list_dir/$2.sources or .list, unless the
# suite is configured already.
add_entry() {
  configured "$1" && return 0
  entry=$(derive_deb822 "$1") ext=sources
  if [ -z "$entry" ]; then
    entry=$(derive_one_line "$1") ext=list
  fi
  if [ -z "$entry" ]; then
    echo "$0: no Debian apt source entry for '$codename' found to derive '$suite' from" >&2
    exit 1
  fi
  if [ "$dry" = 1 ]; then
    printf '%s: %s\n' "$2.$ext" "$entry" | sed '2,$s/^/  /'
  else
    printf '%s\n' "$entry" > "$list_dir/$2.$ext"
    echo "added $list_dir/$2.$ext ($1, $suite)"
  fi
}

add_entry deb "zelkpp-$suite"
[ "$dry" = 0 ] || exit 0

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if ! ngspice_has_osdi; then
  apt-get install -y -qq -t "$suite" ngspice >/dev/null
fi
if ! ngspice_has_osdi; then
  echo "$0: the installed ngspice still cannot load OSDI modules" >&2
  exit 1
fi
echo "ngspice with OSDI: $(version)"
