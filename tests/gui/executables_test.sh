#!/usr/bin/env bash
# What the Windows executables themselves declare: they talk to the system in UTF-16 only (no
# ANSI function among their imports) and each embeds the application manifest.
#
#   executables_test.sh OBJDUMP MANIFEST PROGRAM.exe...
#
# An import fails the test when its name is an ANSI variant ("...A" after a lower-case letter or
# digit: CreateFileA, SetWindowTextA, LoadStringA, MessageBoxA, GetOpenFileNameA, RegOpenKeyExA,
# ShellExecuteA ...) or a C-runtime call that takes a file name in the ANSI code page (fopen,
# _stat ...). Exempt are the three ANSI functions the static C and C++ runtimes import for
# themselves, none of which takes a file name or shows a text: CreateEventA and
# CreateSemaphoreA (unnamed events and semaphores of the thread library) and OutputDebugStringA
# (messages for a debugger). Anything else comes from our own code.
set -euo pipefail
objdump=${1:?objdump}
manifest=${2:?manifest}
shift 2

runtime_ansi='^(CreateEventA|CreateSemaphoreA|OutputDebugStringA)$'
narrow_file_calls='^(fopen|freopen|_open|_sopen|_sopen_s|_creat|_stat|_stat32|_stat64|_stati64|'
narrow_file_calls+='_access|_chmod|_chdir|_mkdir|_rmdir|_unlink|remove|rename|_findfirst|_findfirst32|'
narrow_file_calls+='_findfirst64|_findfirsti64|_fullpath|_getcwd|_getdcwd|_popen|system|_spawnv|'
narrow_file_calls+='_spawnvp|_execv|_execvp)$'

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# "DLL function" for each import of $1.
imports() {
    "$objdump" -p "$1" | awk -F'\t' '
        /^\tDLL Name: / { dll = substr($2, 11); next }
        /^$/ { dll = "" }
        dll != "" && $2 ~ /^[0-9a-f]+$/ { n = split($3, f, " "); print dll, f[n] }'
}

# The bytes of a file as one line of hexadecimal digits.
hex() { od -An -v -tx1 "$1" | tr -d ' \n'; }

manifest_hex=$(hex "$manifest")
for exe in "$@"; do
    name=$(basename "$exe")
    list=$(imports "$exe")
    # The parse itself: every program opens files through the wide call.
    grep -qx 'KERNEL32.dll CreateFileW' <<<"$list" ||
        fail "$name: CreateFileW not found among its imports"
    while read -r dll function; do
        if [[ $function =~ [a-z0-9]A$ && ! $function =~ $runtime_ansi ]]; then
            fail "$name imports the ANSI function $function ($dll)"
        elif [[ ${dll,,} == msvcrt.dll && $function =~ $narrow_file_calls ]]; then
            fail "$name imports $function, which takes an ANSI file name ($dll)"
        fi
    done <<<"$list"
    if hex "$exe" | grep -qF "$manifest_hex"; then
        echo "ok   $name: wide imports only; embeds $(basename "$manifest")"
    else
        fail "$name does not embed $(basename "$manifest")"
    fi
done
exit $((failures > 0))
