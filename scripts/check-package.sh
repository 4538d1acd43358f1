#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built, as root, on a machine
# where tavrune is not installed: validates its desktop entry and AppStream
# metadata, installs it with apt-get, runs what it installed (tavrune-batch on
# the installed samples, the man pages, the bash completion, the windows program
# offscreen, ended by SIGTERM), then purges it and makes sure nothing of it is left.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8

app_id=io.github.tavrune.Tavrune
samples=/usr/share/doc/tavrune/samples
work=$(mktemp -d)
installed_here=false

fail() {
    echo "check-package: $*" >&2
    exit 1
}
step() { echo "== $*"; }
cleanup() {
    if $installed_here && dpkg -s tavrune >/dev/null 2>&1; then
        apt-get purge -y -qq tavrune >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

shopt -s nullglob
debs=(build-package/tavrune_*.deb)
shopt -u nullglob
((${#debs[@]} == 1)) || fail "expected one build-package/tavrune_*.deb, found ${#debs[@]}"
deb=${debs[0]}

step "package $deb"
dpkg-deb --info "$deb"
version=$(sed -n 's/^project(Tavrune VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ $(dpkg-deb --field "$deb" Version) == "$version" ]] || fail "package version is not $version"
depends=$(dpkg-deb --field "$deb" Depends)
# The linked libraries come from dpkg-shlibdeps, the rest is named by the package.
for needed in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libzip4 libgsf-1-114 \
    zlib1g libqt6svg6 qt6-translations-l10n fonts-noto-cjk; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        fail "Depends lacks $needed"
done

step "validate the desktop entry and the AppStream metadata as shipped"
dpkg-deb --extract "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app_id.metainfo.xml"
grep -qx "Exec=tavrune %F" "$work/root/usr/share/applications/$app_id.desktop" ||
    fail "the desktop entry does not start tavrune with the files"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metadata does not name release $version"

step "install"
if dpkg -s tavrune >/dev/null 2>&1; then
    fail "tavrune is installed already; remove it first"
fi
installed_here=true
apt-get install -y -qq --no-install-recommends "./$deb"
# What the package owns that is not a directory; all of it must go with it.
mapfile -t owned < <(dpkg -L tavrune | while read -r path; do
    [[ -d $path && ! -L $path ]] || echo "$path"
done)
printf '%s\n' "${owned[@]}"
for path in /usr/bin/tavrune /usr/bin/tavrune-batch /usr/share/doc/tavrune/index.html \
    "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" "$samples/table_definitions.xlsx" \
    "$samples/tavrune.dat"; do
    [[ -f $path ]] || fail "$path was not installed"
done

# The programs run as a user would, with a home of their own.
home=$work/home
runtime=$work/runtime
mkdir -p "$home" "$work/out"
mkdir -m 700 "$runtime"
as_user=(env -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$runtime")

step "tavrune-batch"
[[ $(command -v tavrune-batch) == /usr/bin/tavrune-batch ]] || fail "tavrune-batch is not /usr/bin's"
[[ $("${as_user[@]}" tavrune-batch --version) == "tavrune-batch $version" ]] ||
    fail "tavrune-batch --version does not say $version"
(cd "$work/out" && "${as_user[@]}" tavrune-batch --settings "$samples/tavrune.dat" \
    --file 'CREATE TABLE (1ファイル)' --stdout "$samples/table_definitions.xlsx" |
    iconv -f CP932 -t UTF-8 >readme.sql)
grep -c '^CREATE TABLE' "$work/out/readme.sql" >/dev/null || fail "the sample run wrote no CREATE TABLE"
head -n 5 "$work/out/readme.sql"
(cd "$work/out" && "${as_user[@]}" tavrune-batch --settings "$samples/tavrune.dat" \
    --file 'Oracle (1ファイル)' --stdout "$samples/table_definitions.xlsx" >oracle.sql)
cmp "$work/out/oracle.sql" samples/expected/create_tables_oracle.sql ||
    fail "the installed tavrune-batch does not write the expected Oracle script"

step "man pages"
for page in tavrune-batch tavrune; do
    [[ $(man -w "$page") == /usr/share/man/man1/$page.1* ]] || fail "man -w $page"
done
MANPAGER=cat MANWIDTH=80 man tavrune-batch | grep -q -- '--output-dir' || fail "man tavrune-batch"

step "bash completion"
completions=$(bash -c '
    source /usr/share/bash-completion/bash_completion
    __load_completion tavrune-batch || exit 1
    function=$(complete -p tavrune-batch | sed -n "s/.*-F \([^ ]*\).*/\1/p")
    COMP_WORDS=(tavrune-batch --s)
    COMP_CWORD=1
    COMP_LINE="tavrune-batch --s"
    COMP_POINT=${#COMP_LINE}
    "$function" tavrune-batch --s tavrune-batch
    printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "')
[[ $completions == "--settings --sheet --stdout" ]] || fail "completions of --s: \"$completions\""

step "tavrune, offscreen, opening the sample workbook, ended by SIGTERM"
QT_QPA_PLATFORM=offscreen "${as_user[@]}" tavrune "$samples/table_definitions.xlsx" &
gui=$!
# It is up once it listens for later starts.
for ((i = 0; i < 100; ++i)); do
    [[ -S $runtime/tavrune.socket ]] && break
    kill -0 "$gui" 2>/dev/null || break
    sleep 0.1
done
[[ -S $runtime/tavrune.socket ]] || fail "tavrune did not start"
sleep 1
kill -TERM "$gui"
status=0
wait "$gui" || status=$?
((status == 0)) || fail "tavrune ended with status $status on SIGTERM"
state=$home/.config/tavrune/tavrune.ini
[[ -f $state ]] || fail "no window state saved in $state"
grep -q 'table_definitions.xlsx' "$state" || fail "the sample workbook is not among the recent files"
[[ -z $(ls -A "$runtime") ]] || fail "left in the runtime directory: $(ls -A "$runtime")"
for path in /usr/bin/tavrune.dat /usr/bin/tavrune.ini; do
    [[ ! -e $path ]] || fail "the installed program wrote $path"
done

step "purge"
apt-get purge -y -qq tavrune
installed_here=false
if dpkg -s tavrune >/dev/null 2>&1; then
    fail "dpkg still knows tavrune"
fi
for path in "${owned[@]}" /usr/share/doc/tavrune /usr/share/tavrune; do
    [[ ! -e $path && ! -L $path ]] || fail "left after purge: $path"
done
echo "check-package: the package installs, runs and purges cleanly"
