#!/usr/bin/env bash
# Builds the release: dist/Quillbox-<version>-win64.zip with Quillbox.exe, 使用说明.txt and the
# receiver script the exe carries (ReceiverScript.ps1, for anyone to read before pasting it), and
# its SHA-256 beside it. The same commit gives the same bytes in any folder, at any time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh >&2
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "release: note: the tree has uncommitted changes; this zip is not that of a commit" >&2
fi
# The one time that goes into the build (the compiler's __DATE__) and the zip: the commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

cmake --preset release >/dev/null
cmake --build --preset release >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
zip=Quillbox-$version-win64.zip

# The guide is made by the build (UTF-8 with a BOM and CRLF line ends, for Windows 7's Notepad).
mkdir -p dist
python3 - "$SOURCE_DATE_EPOCH" build/release/Quillbox.exe build/release/generated/UsageGuide.txt "dist/$zip" \
  src/relay/ReceiverScript.ps1 <<'PY'
import sys, time, zipfile

epoch, exe, guide, out, script = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]


class Entry(zipfile.ZipInfo):
    # Windows 7's Explorer ignores the UTF-8 flag and reads names in the system's code page.
    def _encodeFilenameFlags(self):
        return self.filename.encode("cp936"), self.flag_bits & ~0x800


def entry(name):
    e = Entry(name, time.gmtime(max(epoch, 315532800))[:6])  # zip times start in 1980
    e.create_system = 0  # MS-DOS attributes: a plain archived file
    e.external_attr = 0x20
    e.compress_type = zipfile.ZIP_DEFLATED
    return e


with zipfile.ZipFile(out, "w", compresslevel=9) as z:
    z.writestr(entry("Quillbox.exe"), open(exe, "rb").read())
    z.writestr(entry("使用说明.txt"), open(guide, "rb").read())
    z.writestr(entry("ReceiverScript.ps1"), open(script, "rb").read())
PY
(cd dist && sha256sum "$zip" >"$zip.sha256")
cat "dist/$zip.sha256"
