#!/bin/sh
# Runs a test program against a Secret Service of its own: a session bus and a
# keyring daemon unlocked with a throwaway password, in a throwaway home.
# Exits 77 (skipped) where either is missing.
command -v dbus-run-session >/dev/null && command -v gnome-keyring-daemon >/dev/null || exit 77
home=$(mktemp -d) || exit 1
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home dbus-run-session -- sh -c '
    printf throwaway | gnome-keyring-daemon --unlock --components=secrets >/dev/null || exit 1
    exec "$@"' keyring "$@"
