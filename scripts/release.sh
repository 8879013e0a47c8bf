#!/usr/bin/env bash
# Builds the release: dist/Quillbox-<version>-win64.zip with Quillbox.exe and 使用说明.txt, and
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

# For Windows 7's Notepad: UTF-8 with a BOM, CRLF line ends (added when the zip is written).
cat >build/release/guide.txt <<TEXT
Quillbox $version 使用说明

Quillbox 把文件转换成 UUE 编码的文本（begin 644 文件名 … end）。把文本粘贴到远程桌面、远程服务器或论坛帖子中，再用 WinRAR、uudecode 等工具解码，就能还原出原来的文件。

一、转换文件
1、在文件上点右键，选择“Quillbox(U)”。没有添加右键菜单时，也可以把文件拖到 Quillbox.exe 上。
2、小于 10 MB（10,485,760 字节）的文件：编码后的文本放到剪贴板上，可以直接粘贴。
3、10 MB 及以上的文件：不设置剪贴板，在原文件旁边生成“文件名.uue”，例如 x.zip 生成 x.zip.uue，同名的旧文件会被替换。
4、大于 20,000,000 字节的文件会先询问是否继续；最大能编码 766,958,445 字节（约 731 MB）的文件。
5、转换超过约 2 秒时（例如从 U 盘或网络共享读取），会显示进度窗口。点“取消”会停止转换：不生成 .uue 文件，原有的同名 .uue 文件保持不变，剪贴板也不改变。

二、添加右键菜单
1、不带文件直接运行 Quillbox.exe，会打开软件主页和选项窗口。
2、勾选“添加到文件的右键菜单”，再点“应用(A)”；取消勾选后点“应用(A)”即可删除。
3、右键菜单是为这台电脑的所有用户添加的，需要管理员权限。开启了用户帐户控制（UAC）时，“应用(A)”按钮上会显示盾牌图标：点“应用”后，Windows 会请求同意（标准帐户需要输入管理员密码），然后由一个以管理员身份运行的 Quillbox.exe 只完成添加或删除这一步，完成前程序的窗口暂时不能操作。取消请求则什么也不改变，可以再点一次“应用”。以管理员身份运行的 Quillbox.exe 直接添加或删除，不再请求。
4、如果 Quillbox.exe 放在只为当前用户映射的网络驱动器上，以管理员身份运行的程序可能看不到这个驱动器，会提示“写注册表失败”或“删除注册表失败”。请先把程序复制到本机磁盘上。
5、右键菜单记下的是 Quillbox.exe 所在的位置；移动程序后，请在新位置重新添加一次。

三、命令行
Quillbox.exe 只接受一个文件路径（引号会被去掉）。唯一的选项是“|add-context-menu|”和“|remove-context-menu|”两个内部参数：选项窗口以管理员身份启动自己时使用，只添加或删除右键菜单，不显示窗口和消息框，成功时退出代码为 0，失败时为 1。
TEXT

mkdir -p dist
python3 - "$SOURCE_DATE_EPOCH" build/release/Quillbox.exe build/release/guide.txt "dist/$zip" <<'PY'
import sys, time, zipfile

epoch, exe, guide, out = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]


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


text = open(guide, encoding="utf-8").read().replace("\n", "\r\n")
with zipfile.ZipFile(out, "w", compresslevel=9) as z:
    z.writestr(entry("Quillbox.exe"), open(exe, "rb").read())
    z.writestr(entry("使用说明.txt"), ("\ufeff" + text).encode("utf-8"))
PY
(cd dist && sha256sum "$zip" >"$zip.sha256")
cat "dist/$zip.sha256"
