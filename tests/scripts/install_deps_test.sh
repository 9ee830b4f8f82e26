#!/usr/bin/env bash
# A user without root and without sudo (a fresh Debian 12 has none unless it was chosen) who runs
# run.sh with a package missing: the script must stop with the packages named and the root command
# that installs them, not with bash's "sudo: command not found".
set -u
script="$1/scripts/install_deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin="$work/bin"
mkdir -p "$bin"
# Only these commands exist: no sudo. dpkg-query reports every package missing but g++.
for tool in bash grep cat; do ln -s "$(command -v $tool)" "$bin/$tool"; done
printf '#!%s\n[ "${*: -1}" = "g++" ] && printf "install ok installed"; exit 0\n' "$(command -v bash)" > "$bin/dpkg-query"
printf '#!%s\necho 1000\n' "$(command -v bash)" > "$bin/id"
printf '#!%s\necho called >> "%s/apt-get.calls"\n' "$(command -v bash)" "$work" > "$bin/apt-get"
chmod +x "$bin"/dpkg-query "$bin"/id "$bin"/apt-get

out=$(PATH="$bin" "$(command -v bash)" "$script" 2>&1)
rc=$?
fail=0
[ $rc -ne 0 ] || { echo "exit code 0 though nothing was installed"; fail=1; }
[ ! -e "$work/apt-get.calls" ] || { echo "apt-get was run without root"; fail=1; }
case "$out" in *"command not found"*) echo "bash's own error reached the user"; fail=1;; esac
case "$out" in *"libsdl2-dev"*) ;; *) echo "the missing packages are not named"; fail=1;; esac
case "$out" in *"g++"*) echo "an installed package is listed as missing"; fail=1;; esac
case "$out" in *"apt-get install"*) ;; *) echo "the command to run as root is not given"; fail=1;; esac
[ $fail -eq 0 ] || { echo "--- install_deps.sh said:"; echo "$out"; }
exit $fail
