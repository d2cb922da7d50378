#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and checks what a package would ship: every file is
# there, the desktop entry, the AppStream data and the manual pages pass their validators, the
# icons have their sizes, and the installed tarvolin-cli scans a folder from its new place.
#   check_install.sh BUILD_DIR SOURCE_DIR VERSION [SANITIZER]
set -uo pipefail
build=$1 source=$2 version=$3 sanitizer=${4:-}
id=example.tarvolin.Tarvolin
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; echo "FAIL: cmake --install" >&2; exit 1; }
usr=$scratch/root/usr

expected=(bin/tarvolin bin/tarvolin-cli share/tarvolin/help/index.html
          share/applications/$id.desktop share/metainfo/$id.metainfo.xml
          share/icons/hicolor/scalable/apps/$id.svg
          share/man/man1/tarvolin.1.gz share/man/man1/tarvolin-cli.1.gz)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
[ -d "$source/res/template" ] && expected+=(share/tarvolin/template/style.css)
for file in "${expected[@]}"; do
    [ -s "$usr/$file" ] || fail "not installed: $file"
done
for program in tarvolin tarvolin-cli; do
    [ -x "$usr/bin/$program" ] || fail "not executable: bin/$program"
done

# The programs find their files relative to themselves, never where they were built. Sanitizer
# builds carry source names for their reports, so only plain builds are checked.
if [ -z "$sanitizer" ]; then
    for program in tarvolin tarvolin-cli; do
        [ -f "$usr/bin/$program" ] || continue
        for path in "$(cd "$source" && pwd)" "$(cd "$build" && pwd)"; do
            strings -d "$usr/bin/$program" | grep -qF "$path" && fail "bin/$program holds the path $path"
        done
    done
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in "${sizes[@]}"; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || continue
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
    [ "$width x $height" = "$size x $size" ] || fail "$size px icon is $width x $height"
done

# Hints (such as two main categories, which the menu entry wants) pass; errors and warnings do not.
desktop=$usr/share/applications/$id.desktop
if ! out=$(desktop-file-validate "$desktop" 2>&1) || grep -qE 'error:|warning:' <<<"$out"; then
    fail "desktop-file-validate: $out"
fi
grep -qx 'Exec=tarvolin %f' "$desktop" || fail "desktop entry does not start tarvolin with a folder"
grep -qx 'MimeType=inode/directory;' "$desktop" || fail "desktop entry is not offered for folders"
metainfo=$usr/share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
# The newest release listed must be the version being built.
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$release" = "$version" ] || fail "metainfo's newest release is '$release', the build is $version"

for page in tarvolin tarvolin-cli; do
    file=$usr/share/man/man1/$page.1.gz
    [ -f "$file" ] || continue
    if ! text=$(MANWIDTH=80 man --warnings -l "$file" 2>"$scratch/man.err"); then
        fail "man -l $page.1 failed"
    fi
    [ -s "$scratch/man.err" ] && fail "man -l $page.1 warns: $(cat "$scratch/man.err")"
    grep -q "^NAME" <<<"$text" && grep -q "$page - " <<<"$text" || fail "$page.1 has no NAME line"
done

# The installed command line program, moved away from the build tree, scans a folder.
cli=$usr/bin/tarvolin-cli
if [ -x "$cli" ]; then
    [ "$("$cli" --version)" = "tarvolin-cli $version" ] || fail "tarvolin-cli --version: $("$cli" --version)"
    tree=$scratch/tree
    mkdir -p "$tree/big/inner" "$tree/small"
    head -c 3000 /dev/zero >"$tree/big/inner/f"
    head -c 10 /dev/zero >"$tree/small/g"
    if out=$("$cli" scan "$tree" --sort size --descending --no-files 2>&1); then
        first=$(sed -n 2p <<<"$out")
        [[ $first == big*"2.92 KB"* ]] || fail "installed tarvolin-cli scan listed: $out"
        grep -q '^Total *2.93 KB' <<<"$out" || fail "installed tarvolin-cli scan total: $out"
    else
        fail "installed tarvolin-cli scan failed: $out"
    fi
    [ "$("$usr/bin/tarvolin" --version)" = "tarvolin $version" ] || fail "tarvolin --version"
fi

[ "$failures" -eq 0 ] && echo "install tree complete: ${#expected[@]} files checked"
exit $((failures > 0))
