#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: lintian finds no error,
# the desktop entry and the AppStream metadata validate, the package installs (dpkg -i, its
# dependencies with apt-get -f install), the installed program starts offscreen in a fresh
# home folder until its main menu has run the start-up in the first-start folder, the
# installed quilto-cli works on that folder, and the package is removed again. Needs root.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
id=io.github.quilto.Quilto

if [[ $(id -u) -ne 0 ]]; then
    echo "test-package.sh: installing the package needs root; skipped." >&2
    exit 0
fi
if dpkg-query -W -f='${Status}' quilto 2>/dev/null | grep -q 'install ok installed'; then
    echo "test-package.sh: quilto is installed on this machine already; this test installs" \
        "and removes it: remove it first (apt remove quilto)." >&2
    exit 1
fi

deb=$("$here/scripts/package.sh" | tail -n 1)
echo "== $deb"
lintian --fail-on error "$deb"
work=$(mktemp -d)
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml"

# Several runs of this test on one machine take turns: the package is the machine's.
exec 9>/var/lock/quilto-package-test.lock
flock 9
quilto_pid=
finish() {
    [[ -n $quilto_pid ]] && kill "$quilto_pid" 2>/dev/null && wait "$quilto_pid" 2>/dev/null
    dpkg -r quilto >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT
if ! dpkg -i "$deb"; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -f install -y -qq \
        --no-install-recommends
fi
dpkg-query -W -f='${Status}\n' quilto | grep -q 'install ok installed'
for f in /usr/bin/quilto /usr/bin/quilto-cli /usr/share/man/man1/quilto-cli.1.gz \
    /usr/share/bash-completion/completions/quilto-cli /usr/share/quilto/manual/index.html \
    "/usr/share/quilto/skeleton/XlsBase/見積書00.xlsx" /usr/share/quilto/skeleton/XlsBase/XKP00.Dat \
    /usr/share/quilto/skeleton/XlsBase/XKPSei00.invoice \
    "/usr/share/icons/hicolor/scalable/apps/$id.svg" "/usr/share/icons/hicolor/48x48/apps/$id.png" \
    "/usr/share/icons/hicolor/256x256/apps/$id.png"; do
    [[ -e $f ]] || { echo "test-package.sh: the package did not install $f" >&2; exit 1; }
done

# A new user: an empty home, no configuration, started from the desktop's menu (in the home
# folder), the first-start question answered with --folder as a user may.
home="$work/home"
mkdir -p "$home"
cd "$home"
run_as_user=(env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen)
folder="$("${run_as_user[@]}" xdg-user-dir DOCUMENTS)/Quilto"
"${run_as_user[@]}" /usr/bin/quilto --folder "$folder" >"$work/quilto.log" 2>&1 &
quilto_pid=$!
# The start-up check that writes the environment and the unit list runs once the main menu
# shows; the templates come from the installed skeleton.
for _ in $(seq 1 300); do
    [[ -f $folder/sp_jis.dat && -f $folder/MST/sp_unit.dat ]] && break
    kill -0 "$quilto_pid" 2>/dev/null || break
    sleep 0.2
done
if ! kill -0 "$quilto_pid" 2>/dev/null || [[ ! -f $folder/MST/sp_unit.dat ]]; then
    echo "test-package.sh: the installed program did not reach its main menu in $folder" >&2
    cat "$work/quilto.log" >&2
    exit 1
fi
cmp "$folder/XlsBase/見積書00.xlsx" "/usr/share/quilto/skeleton/XlsBase/見積書00.xlsx"
cmp "$folder/XlsBase/XKPSei00.invoice" /usr/share/quilto/skeleton/XlsBase/XKPSei00.invoice
grep -qF "WorkingFolder=$folder" "$home/.config/quilto/quilto.conf"
# quilto-cli takes the remembered folder from anywhere.
cd /
cat >"$work/estimate.json" <<'JSON'
{"cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事"},
 "summary": [["", "1", "工事一式", "式", "1", "100,000", "100,000"]]}
JSON
number=$("${run_as_user[@]}" /usr/bin/quilto-cli create --json "$work/estimate.json")
"${run_as_user[@]}" /usr/bin/quilto-cli list | grep -q "^$number .*山田工務店"
[[ -f $folder/DAT/m_$number.dat ]]
"${run_as_user[@]}" /usr/bin/quilto-cli --folder "$folder" check >/dev/null
kill "$quilto_pid"
wait "$quilto_pid" 2>/dev/null || true
quilto_pid=
dpkg -r quilto >/dev/null
if [[ -e /usr/bin/quilto ]]; then
    echo "test-package.sh: removing the package left /usr/bin/quilto behind" >&2
    exit 1
fi
echo "test-package.sh: the package installs, starts, works and is removed again"
