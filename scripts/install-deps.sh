#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (as root, or through sudo).
# Extras by argument, any number of them: "fuzz" adds clang, its sanitizer and
# libFuzzer runtime and the symbolizer; "package" adds what scripts/package.sh
# and scripts/check-package.sh use (dpkg-shlibdeps and file for the package's
# dependencies, the desktop entry and AppStream validators, man, bash-completion).
set -euo pipefail
# The windows also need the SVG plugin for the program's icon, Qt's Japanese
# translations for the standard buttons and Qt's own file dialog, and Japanese
# fonts. The tests of the sample settings load their scripts into PostgreSQL,
# MariaDB and SQLite and render their Markdown with cmark-gfm, driven by Python;
# the database comparison reaches the same servers through Qt SQL's drivers, and
# through unixODBC with the PostgreSQL and SQLite ODBC drivers. Passwords of named
# connections go to the desktop's keyring (QtKeychain); its test runs against a
# keyring daemon of its own on a session bus of its own. The workbooks written from
# a database are read back by openpyxl and LibreOffice.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libzip-dev zlib1g-dev libxml2-dev libgsf-1-dev libgtest-dev qtkeychain-qt6-dev
    libqt6svg6 qt6-translations-l10n fonts-noto-cjk libqt6sql6-psql libqt6sql6-mysql libqt6sql6-sqlite
    libqt6sql6-odbc unixodbc-dev odbc-postgresql libsqliteodbc
    python3 postgresql mariadb-server sqlite3 cmark-gfm dbus gnome-keyring
    python3-openpyxl libreoffice-calc-nogui)
for extra in "$@"; do
    case $extra in
        fuzz) packages+=(clang libclang-rt-14-dev llvm-14) ;;
        package) packages+=(dpkg-dev file desktop-file-utils appstream man-db bash-completion) ;;
        *)
            echo "install-deps.sh: unknown argument \"$extra\" (fuzz, package)" >&2
            exit 2
            ;;
    esac
done
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
