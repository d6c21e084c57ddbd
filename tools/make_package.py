#!/usr/bin/env python3
"""Packs the program as a person downloads it: one folder holding the program, an empty memo
folder and the Japanese read-me, as a zip for Windows or a tar.gz for Linux.

    make_package.py windows|linux PROGRAM VERSION OUT_DIR

The read-me is res/readme-ja.txt with the platform's lines put in. On Windows it is UTF-8 with a
byte-order mark and CR LF line ends, which every Notepad since Windows XP reads as it is.
"""
import io
import os
import sys
import tarfile
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
README = "はじめにお読みください.txt"

PLATFORMS = {
    "windows": {
        "archive": "tetomu-{v}-windows-x64.zip",
        "program": "tetomu.exe",
        "start": (
            "zip ファイルのまま中を開いて起動すると、メモのフォルダが見つからずに終わります。\n"
            "先に右クリックの「すべて展開」で取り出してから起動してください。\n"
            "「Windows によって PC が保護されました」と出たら、「詳細情報」から「実行」を選ぶと起動できます。\n"
        ),
        "system": "Windows 10、Windows 11（64 ビット）。ほかに入れるものはありません。",
        "newline": "\r\n",
        "bom": True,
    },
    "linux": {
        "archive": "tetomu-{v}-linux-x86_64.tar.gz",
        "program": "tetomu",
        "start": (
            "端末から起動するなら、このフォルダで ./tetomu です。\n"
            "アプリのメニューに入れるには、このフォルダで次の 1 行を打ちます。\n"
            "\n"
            "  mkdir -p ~/.local/share/applications && printf '[Desktop Entry]\\nType=Application\\n"
            "Name=テトム\\nExec=\"%s/tetomu\"\\nIcon=%s/tetomu.png\\nCategories=Utility;\\n' "
            "\"$PWD\" \"$PWD\" > ~/.local/share/applications/tetomu.desktop\n"
        ),
        "system": (
            "Debian 12 や Ubuntu 22.04 以降など、Qt 6 のあるデスクトップ。\n"
            "入っていなければ: sudo apt install libqt6widgets6 fonts-noto-cjk\n"
            "（libqt6widgets6 が libqt6gui6、libqt6core6、libqt6dbus6 を連れてきます）"
        ),
        "newline": "\n",
        "bom": False,
    },
}


def readme(platform, program):
    with open(os.path.join(ROOT, "res", "readme-ja.txt"), encoding="utf-8") as f:
        text = f.read()
    text = (
        text.replace("@PROGRAM@", program)
        .replace("@START_NOTE@", platform["start"])
        .replace("@SYSTEM@", platform["system"])
    )
    text = text.replace("\n", platform["newline"])
    return ("\ufeff" if platform["bom"] else "").encode("utf-8") + text.encode("utf-8")


def main():
    kind, program_path, version, out_dir = sys.argv[1:5]
    platform = PLATFORMS[kind]
    folder = f"tetomu-{version}"
    archive = os.path.join(out_dir, platform["archive"].format(v=version))
    os.makedirs(out_dir, exist_ok=True)
    with open(program_path, "rb") as f:
        program = f.read()
    files = [(platform["program"], program, 0o755), (README, readme(platform, platform["program"]), 0o644)]
    if kind == "linux":
        with open(os.path.join(ROOT, "res", "tetomu.png"), "rb") as f:
            files.append(("tetomu.png", f.read(), 0o644))
    if kind == "windows":
        # Names in UTF-8, marked as such (the language encoding flag), as Explorer reads them.
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            memo = zipfile.ZipInfo(f"{folder}/memo/", time.localtime()[:6])
            memo.external_attr = 0o40755 << 16 | 0x10  # a folder, to Windows and to Unix
            z.writestr(memo, b"")
            for name, data, mode in files:
                info = zipfile.ZipInfo(f"{folder}/{name}", time.localtime()[:6])
                info.external_attr = (0o100000 | mode) << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                z.writestr(info, data)
    else:
        with tarfile.open(archive, "w:gz", format=tarfile.PAX_FORMAT) as t:
            entries = [(f"{folder}/memo", None, 0o755)]
            entries += [(f"{folder}/{name}", data, mode) for name, data, mode in files]
            for name, data, mode in entries:
                info = tarfile.TarInfo(name)
                info.mode = mode
                info.mtime = int(time.time())
                if data is None:
                    info.type = tarfile.DIRTYPE
                    t.addfile(info)
                else:
                    info.size = len(data)
                    t.addfile(info, io.BytesIO(data))
    print(archive)


if __name__ == "__main__":
    main()
