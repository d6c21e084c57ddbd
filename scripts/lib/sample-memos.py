# Lays a few Japanese memos into the folder given, in code page 932 with CR LF line breaks, as
# the program writes them: the folder the screenshots show.
import pathlib
import sys

memos = [
    "買い物：牛乳、卵、食パン",
    "会議メモ\n10時から第二会議室\n・来期の予定\n・予算の確認",
    "電話：山田さん（午後に折り返し）",
    "読みたい本\n『吾輩は猫である』\n『坊っちゃん』",
]
folder = pathlib.Path(sys.argv[1])
titles = []
for n, text in enumerate(memos):
    text = text.replace("\n", "\r\n")
    (folder / f"{n}.txt").write_bytes(text.encode("cp932"))
    titles.append(text[:60].replace("\r\n", ""))
(folder / "group.gl").write_bytes("".join(t + "\r\n" for t in titles).encode("cp932"))
