#!/usr/bin/env bash
# Tests the packages that scripts/package.sh builds:
#   - the Debian package: lintian finds no error and no warning in it; its contents (the user
#     guide and the short README for users, not the developers' README), its control fields, and
#     the program it installs, run on the sample files it installs;
#   - the Windows zip: its contents;
#   - the NSIS installer under Wine, in a Wine prefix of its own: a silent install, the Start-menu
#     entries and the uninstall entry, a conversion by the installed console program that must
#     give the same bytes as the Debian package's program, the user guide's console example run
#     as written from a command prompt, and a silent uninstall that removes every installed
#     file, the entries and the folder.
# Usage: package_test.sh [PACKAGE_DIR]   (default build/packages)
# Prints one line per check; the exit status is 1 when any check failed.
set -euo pipefail

packages=$(realpath "${1:-build/packages}")
source_dir=$(realpath "$(dirname "$0")/../..")
version=3.6.2.24
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then ok "$what"; else fail "$what"; fi
}

work=$(mktemp -d)
wineserver=""
cleanup() {
    [[ -n $wineserver ]] && WINEPREFIX=$work/prefix "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Two lines the sample files become, worked out from the record layouts: station 0003 from its
# *80*, *85* and *86* records, and the *22* direction of set 1 (SERFIL names for the numbers).
expected_station='$GEO_COMPACT; BASE; 39.443050000; 0.0000001; -105.001275000; 0.0000001; 1635.1180; 0.0000001; -16.7900; 0.0000001; 1618.3280; 0.0000001; 3.1200; 0.4500; -1.8700; 0.4500'
expected_direction='$DIR_COMPACT; BASE; TOWR; 34.271450; 1.118; NOOBS; NOOBS; NOOBS; NOOBS; 1.52000; 1.80000; 1'

echo "== Debian package"
deb=$packages/bbook2tellurax_${version}_amd64.deb
if [[ ! -f $deb ]]; then
    fail "no $deb (run scripts/package.sh)"
else
    # lintian says "running with root privileges is not recommended!" on its standard error.
    if lintian --fail-on error,warning "$deb" >"$work/lintian.out" 2>/dev/null; then
        ok "lintian finds no error and no warning in the Debian package"
    else
        fail "lintian: $(cat "$work/lintian.out")"
    fi
    dpkg-deb -c "$deb" | awk '{ print $1, $NF }' >"$work/deb-contents"
    doc=./usr/share/doc/bbook2tellurax
    for entry in "-rwxr-xr-x ./usr/bin/bbook2tellurax" \
        "-rw-r--r-- ./usr/share/man/man1/bbook2tellurax.1.gz" \
        "-rw-r--r-- $doc/copyright" "-rw-r--r-- $doc/changelog.gz" "-rw-r--r-- $doc/README" \
        "-rw-r--r-- $doc/user-guide.html" "-rw-r--r-- $doc/examples/project.bfl"; do
        check "the Debian package holds ${entry#* }" grep -qxF -- "$entry" "$work/deb-contents"
    done
    check "it does not hold the developers' README" eval '! grep -q README.md "$work/deb-contents"'
    check "the Debian package holds nothing outside /usr/bin and /usr/share" \
        test -z "$(grep -vE ' \./usr/((bin|share)/.*)?$' "$work/deb-contents")"
    check "its version is $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
    check "it depends on the C++ runtime" grep -q 'libstdc++6' <(dpkg-deb -f "$deb" Depends)

    dpkg-deb -x "$deb" "$work/deb"
    program=$work/deb/usr/bin/bbook2tellurax
    samples=$work/deb/usr/share/doc/bbook2tellurax/examples
    check "the installed program reports its version" \
        test "$("$program" --version)" = "bbook2tellurax $version"
    if (cd "$samples" && "$program" -s serfil -b project.bfl -g project.gfl \
        -o "$work/linux.txt" >"$work/linux.msg"); then
        ok "the installed program converts the installed samples"
        check "it says so: $(cat "$work/linux.msg")" \
            grep -qxF "Success - the results are in $work/linux.txt" "$work/linux.msg"
        check "the output holds station 0003 as worked out by hand" \
            grep -qxF "$expected_station"$'\r' "$work/linux.txt"
        check "the output holds the *22* direction as worked out by hand" \
            grep -qxF "$expected_direction"$'\r' "$work/linux.txt"
    else
        fail "the installed program fails on the installed samples"
    fi
    check "the installed manual page formats as bbook2tellurax(1)" grep -q \
        'bbook2tellurax - convert NGS Blue Book files' \
        <(MANWIDTH=100 man -l "$work/deb/usr/share/man/man1/bbook2tellurax.1.gz" 2>/dev/null)
    check "its README is the one for users" \
        cmp "$work/deb/usr/share/doc/bbook2tellurax/README" "$source_dir/docs/user-readme.txt"
fi

echo "== Windows zip"
zip=$packages/BBookToTellurax-${version}-win64.zip
top=BBookToTellurax-${version}-win64
if [[ ! -f $zip ]]; then
    fail "no $zip (run scripts/package.sh)"
else
    unzip -Z1 "$zip" | sort >"$work/zip-contents"
    printf '%s\n' "$top/BBookToTellurax.exe" "$top/README.txt" "$top/UserGuide.html" \
        "$top/bbook2tellurax.exe" "$top/examples/" "$top/examples/project.bfl" \
        "$top/examples/project.gfl" "$top/examples/serfil" | sort >"$work/zip-expected"
    if cmp -s "$work/zip-contents" "$work/zip-expected"; then
        ok "the zip holds both programs, the user guide, README.txt and the samples in one folder"
    else
        fail "the zip's contents differ (<: found, >: expected):"
        diff "$work/zip-contents" "$work/zip-expected" | grep '^[<>]' || true
    fi
    unzip -q "$zip" -d "$work/zip"
    check "the zip's README.txt is the README for users" \
        cmp "$work/zip/$top/README.txt" "$source_dir/docs/user-readme.txt"
fi

echo "== Windows installer under Wine"
installer=$packages/BBookToTellurax-${version}-win64.exe
wine=$(command -v wine64 || command -v /usr/lib/wine/wine64 || true)
if [[ ! -f $installer ]]; then
    fail "no $installer (run scripts/package.sh)"
elif [[ -z $wine ]]; then
    fail "no wine64 to run the installer (scripts/setup.sh package)"
else
    wineserver=$(dirname "$wine")/wineserver
    # Console programs and a silent installer need no display. Wine's helpers must not hold
    # the caller's output open, so they get their own.
    export WINEPREFIX=$work/prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
    unset DISPLAY
    w() { "$wine" "$@" </dev/null 2>>"$work/wine.log"; }
    w wineboot -i >/dev/null
    drive_c=$work/prefix/drive_c
    installed=$drive_c/Program\ Files/BBookToTellurax
    menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Blue\ Book\ To\ Tellurax
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\BBookToTellurax'

    check "the installer runs silently (/S)" w "$installer" /S
    "$wineserver" -w
    for file in BBookToTellurax.exe bbook2tellurax.exe UserGuide.html README.txt Uninstall.exe \
        examples/serfil examples/project.bfl examples/project.gfl; do
        check "it installed $file in C:\\Program Files\\BBookToTellurax" test -f "$installed/$file"
    done
    check "the Start menu has the dialog program" test -f "$menu/Blue Book To Tellurax.lnk"
    check "the Start menu has the user guide" test -f "$menu/Blue Book To Tellurax User Guide.lnk"
    check "the uninstall entry names the program and its version" grep -q \
        "DisplayName.*Blue Book To Tellurax $version" <(w reg query "$uninstall_key")

    # The installed console program on the installed samples, with Windows paths.
    dir='C:\Program Files\BBookToTellurax'
    if w "$dir\\bbook2tellurax.exe" -s "$dir\\examples\\serfil" -b "$dir\\examples\\project.bfl" \
        -g "$dir\\examples\\project.gfl" -o 'C:\converted.txt' >"$work/windows.msg"; then
        ok "the installed console program converts the installed samples"
        if [[ -f $work/linux.txt ]]; then
            check "its output equals the Debian package's program's, byte for byte" \
                cmp "$drive_c/converted.txt" "$work/linux.txt"
        fi
    else
        fail "the installed console program fails: $(cat "$work/windows.msg")"
    fi

    # The user guide's console example, its lines run as written from a command prompt in a
    # project folder holding files of those names.
    sed -n '/<pre id="console-example">/,/<\/pre>/p' "$source_dir/docs/user-guide.html" |
        sed -e 's/<pre id="console-example">//' -e 's/<\/pre>//' -e '/^$/d' \
            -e 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' |
        sed 's/$/\r/' >"$drive_c/example.bat"
    project=$(sed -n 's/^cd \/d \(C:.*\)\r$/\1/p' "$drive_c/example.bat" | tr '\\' '/')
    if [[ -n $project && $(wc -l <"$drive_c/example.bat") == 2 ]]; then
        mkdir -p "$drive_c/${project#C:/}"
        cp "$installed/examples/serfil" "$drive_c/${project#C:/}/serfil"
        cp "$installed/examples/project.bfl" "$drive_c/${project#C:/}/bfile"
        cp "$installed/examples/project.gfl" "$drive_c/${project#C:/}/gfile"
        output=$(sed -n 's/.* -o \([^ ]*\) .*/\1/p' "$drive_c/example.bat")
        w cmd /c 'C:\example.bat' >"$work/example.msg" 2>&1 || true
        check "the user guide's console example works as written: $(tr -d '\r' <"$drive_c/example.bat" | paste -sd'|')" \
            cmp "$drive_c/${project#C:/}/$output" "$work/linux.txt"
    else
        fail "the user guide holds no console example of two lines, cd /d and the command"
    fi

    # The zip is portable: its console program runs where it was unpacked.
    if [[ -d $work/zip ]]; then
        zipped="Z:${work//\//\\}\\zip\\$top"
        if w "$zipped\\bbook2tellurax.exe" -s "$zipped\\examples\\serfil" \
            -b "$zipped\\examples\\project.bfl" -g "$zipped\\examples\\project.gfl" \
            -o 'C:\from-zip.txt' >/dev/null && [[ -f $work/linux.txt ]]; then
            check "the zip's console program gives the same bytes too" \
                cmp "$drive_c/from-zip.txt" "$work/linux.txt"
        else
            fail "the zip's console program fails on the zip's samples"
        fi
    fi

    check "the uninstaller runs silently (/S)" w "$installed/Uninstall.exe" /S
    "$wineserver" -w  # the uninstaller runs on from a copy of itself in the temporary folder
    check "the uninstall removed the installation folder" test ! -e "$installed"
    check "the uninstall removed the Start-menu folder" test ! -e "$menu"
    check "the uninstall removed the uninstall entry" \
        eval '! w reg query "$uninstall_key" >/dev/null'
fi

if ((failures)); then echo "package tests: $failures failed"; exit 1; fi
echo "package tests: all passed"
