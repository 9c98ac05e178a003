#!/usr/bin/env bash
# Installs the build into a fresh prefix and uses it as the desktop and a user would: the
# desktop entry passes desktop-file-validate, the icons lie in the theme's folders, the
# installed program converts a file, speaks Japanese from its installed catalogue and finds
# its read-me beside itself.
#
#     install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null

# The desktop entry: valid, offered for MIDI files, handing them over as files.
entry="$prefix/share/applications/cadenzo.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refuses $entry"
grep -qx 'MimeType=audio/midi;audio/x-midi;' "$entry" || fail "no MIDI types in $entry"
grep -q '^Exec=cadenzo .*%F' "$entry" || fail "Exec does not take files (%F) in $entry"

# The icons: PNG files of their folder's size (the width and height of the IHDR chunk).
for size in 16 32 48 128; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/cadenzo.png"
    header="$(od -An -tx1 -j12 -N12 "$icon" 2>/dev/null | tr -d ' \n')"
    printf -v expected '49484452%08x%08x' "$size" "$size"
    [ "$header" = "$expected" ] || fail "$icon is not a ${size}x${size} PNG"
done

[ -s "$prefix/share/man/man1/cadenzo.1" ] || fail "no manual page"

# The installed program, with settings of its own, converts a song in the terminal.
export XDG_CONFIG_HOME="$work/config" HOME="$work/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME" "$work/songs"
"$build/bin/make_sample_midi" --notes 50 "$work/songs/song.mid" >/dev/null
cadenzo="$prefix/bin/cadenzo"
LANG=C.UTF-8 LANGUAGE= "$cadenzo" --batch "$work/songs/song.mid" >/dev/null 2>"$work/en.txt" ||
    fail "the installed cadenzo did not convert a song: $(cat "$work/en.txt")"
[ -s "$work/songs/song.fem" ] || fail "no song.fem beside song.mid"
[ ! -s "$work/en.txt" ] || fail "a conversion that went well said more: $(cat "$work/en.txt")"
# A failure gives the English catalogue's text.
LANG=C.UTF-8 LANGUAGE= "$cadenzo" --batch "$work/songs/gone.mid" >/dev/null 2>"$work/en.txt" &&
    fail "a missing song was converted"
grep -q "cannot be read as a Standard MIDI File" "$work/en.txt" ||
    fail "no English alert text: $(cat "$work/en.txt")"

# Japanese from the installed catalogue, chosen by the session's language.
rm -f "$work/songs/song.fem"
LANG=C.UTF-8 LANGUAGE=ja "$cadenzo" --batch "$work/songs/song.mid" >"$work/ja-out.txt" 2>"$work/ja.txt" ||
    fail "the installed cadenzo did not convert in Japanese"
grep -q "変換中" "$work/ja-out.txt" || fail "no Japanese status line: $(cat "$work/ja-out.txt")"
LANG=C.UTF-8 LANGUAGE=ja "$cadenzo" --batch "$work/songs/gone.mid" >/dev/null 2>"$work/ja.txt" &&
    fail "a missing song was converted"
grep -q "スタンダード MIDI ファイルとして読み込めません" "$work/ja.txt" ||
    fail "no Japanese alert text: $(cat "$work/ja.txt")"

# The read-me each catalogue names lies beside the program, where Help looks.
for language in en ja; do
    catalogue="$prefix/share/locale/$language/LC_MESSAGES/cadenzo.mo"
    readme="$(msgunfmt "$catalogue" | grep -A1 '^msgid "\$FileNameHelp\$"' | sed -n 's/^msgstr "\(.*\)"$/\1/p')"
    [ -n "$readme" ] && [ -s "$(dirname "$cadenzo")/$readme" ] ||
        fail "the $language read-me '$readme' is not beside the program"
done

# Every text the English catalogue has, the Japanese one translates.
msgcmp "$source/po/ja.po" "$source/po/en.po" 2>"$work/msgcmp.txt" ||
    fail "ja.po lacks texts of en.po: $(cat "$work/msgcmp.txt")"

[ "$failures" -eq 0 ] && echo "installed and used: all well"
exit "$((failures > 0))"
