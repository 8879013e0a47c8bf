#!/usr/bin/env bash
# Builds the release of the current commit twice, in two fresh clones at paths of different
# lengths, and fails unless the exe and the zip come out byte-identical and the zip is laid out
# for Windows 7 (code-page-936 name without the UTF-8 flag, guide in UTF-8 with BOM and CRLF).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse HEAD)
work=$(mktemp -d /tmp/qb-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT

for d in a longer/path/b; do
  git clone --quiet --no-checkout "$root" "$work/$d"
  git -C "$work/$d" checkout --quiet --detach "$commit"
  if ! bash "$work/$d/scripts/release.sh" >"$work/$d.log" 2>&1; then
    cat "$work/$d.log" >&2
    exit 1
  fi
done
a=$work/a b=$work/longer/path/b
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$a/build/release/CMakeCache.txt")
zip=Quillbox-$version-win64.zip
sha256sum "$a/build/release/Quillbox.exe" "$b/build/release/Quillbox.exe" "$a/dist/$zip" "$b/dist/$zip"
cmp "$a/build/release/Quillbox.exe" "$b/build/release/Quillbox.exe"
cmp "$a/dist/$zip" "$b/dist/$zip"
(cd "$a/dist" && sha256sum -c --quiet "$zip.sha256")

python3 - "$a/dist/$zip" "$a/build/release/Quillbox.exe" "$a/src/relay/ReceiverScript.ps1" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
exe, guide, script = z.infolist()
assert exe.filename == "Quillbox.exe" and z.read(exe) == open(sys.argv[2], "rb").read()
# The receiver script as the exe carries it and the clone checked it out: CRLF, as pasted.
assert script.filename == "ReceiverScript.ps1" and z.read(script) == open(sys.argv[3], "rb").read()
assert z.read(script).count(b"\n") == z.read(script).count(b"\r\n"), "script has bare LF line ends"
# Without the UTF-8 flag the name is read back as code page 437; its bytes must be cp936.
assert not guide.flag_bits & 0x800, "UTF-8 flag set on the guide's name"
assert guide.filename.encode("cp437").decode("cp936") == "使用说明.txt", guide.filename
text = z.read(guide)
assert text.startswith(b"\xef\xbb\xbf"), "guide lacks the UTF-8 BOM"
assert text.count(b"\n") == text.count(b"\r\n") > 10, "guide has bare LF line ends"
text.decode("utf-8")
PY
echo "check-release: $zip is the same from both builds"
