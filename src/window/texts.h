#pragma once
// Every text the window shows, and the few that are put together from what was found.
#include <string>
#include <string_view>

#include "window/version.h"

namespace tetomu {
struct FolderFindings;
}

namespace tetomu::texts {

inline constexpr std::u16string_view kAppTitle = u"テトム";
inline constexpr std::u16string_view kCaption = u"テトム★";
inline constexpr std::u16string_view kArrangeLabel = u"整理";
inline constexpr std::u16string_view kCheckCaption = u"Check1";
// What a screen reader says for the list and the text box, which have no caption of their own.
inline constexpr std::u16string_view kListName = u"メモの一覧";
inline constexpr std::u16string_view kTextName = u"メモ";

inline constexpr std::u16string_view kMenuNew = u"新規";
inline constexpr std::u16string_view kMenuDelete = u"削除";
inline constexpr std::u16string_view kMenuInFront = u"手前";
inline constexpr std::u16string_view kMenuKeepInFront = u"常に手前にする";
inline constexpr std::u16string_view kMenuRelease = u"解除する";
inline constexpr std::u16string_view kMenuVersion = u"バージョン";

inline constexpr std::u16string_view kVersion = u"作者：ぺぽ\r\nバージョン：" TETOMU_VERSION;
inline constexpr std::u16string_view kNothingToArrange = u"選ばれてないやん☆";
inline constexpr std::u16string_view kSameOneClicked = u"同じものクリックしても一緒！";
inline constexpr std::u16string_view kNothingToDelete = u"選ばれてないやんｗ";
inline constexpr std::u16string_view kListFull = u"メモがいっぱいやん！これ以上は作られへん！";
inline constexpr std::u16string_view kFirstPickGone = u"最初に選んだメモがもうないやん☆";
inline constexpr std::u16string_view kTempLeftOver =
    u"memo フォルダに temp.txt が残ってるから入れ替えられへん！";
inline constexpr std::u16string_view kCannotDelete =
    u"memo フォルダが group.gl と合うてへんから、このメモは消されへん！";
// A copy in another session of this machine (another person's, say) works on the folder: it
// cannot be brought forward from here, so the person is told before this copy ends.
inline constexpr std::u16string_view kFolderInAnotherSession =
    u"memo フォルダは、ほかのセッションで動いてるテトムが使てるで。そっちを閉じてから開いてな！";
inline constexpr std::u16string_view kTitleNotWritten =
    u"group.gl に書かれへんから、一覧の題はファイルに入れてへんで。見るだけならこのまま使えるで！";

inline constexpr std::u16string_view kStillUnsaved =
    u"まだ保存できてへんから、ほかのメモには移られへん！書いた字はそのまま残してあるで。";

// The text of a memo whose own file refuses it (a link at its name, a file made read-only) is
// kept as a new memo, now open.
std::u16string keptAsNewMemo(std::u16string_view from, std::u16string_view to);
// Memo `name` is not a plain file, or is missing: the swap does not happen.
std::u16string cannotSwap(std::u16string_view name);
// A keystroke's save of memo `name` was refused at the file `where`, for `reason`: the text stays
// in the box and is tried again.
std::u16string saveRefused(std::u16string_view name, std::u16string_view where,
                           std::u16string_view reason);
// Start-up found the folder out of step with its index; nothing was changed but the left-overs
// of a save cut short, when there were any.
std::u16string folderFindings(const FolderFindings& found, bool leftoversRemoved);
// A picked memo whose file is not there: the box stays empty until something is written.
std::u16string memoMissing(std::u16string_view name);
// A picked memo whose name holds a link, a pipe or a folder: never read or written through.
std::u16string memoNotAFile(std::u16string_view name);
// The delete of such a memo could not take its name away.
std::u16string cannotRemove(std::u16string_view name);
// Characters the code page cannot hold, typed or pasted, have become '?'; a kept byte among
// them is a stray byte of the file, named by its value.
// A keystroke met a memo that another program changed meanwhile: its file stays theirs, and the
// text typed became the last memo.
std::u16string changedElsewhere(std::u16string_view name, std::u16string_view now);
// Memo `name` was to be deleted, but another program had changed it: it stays, read again.
std::u16string notDeletedChangedElsewhere(std::u16string_view name);
std::u16string notHoldable(std::u16string_view characters);
// Something that is not a plain file sits where the next new memo would go.
std::u16string cannotCreate(std::u16string_view name);

}  // namespace tetomu::texts
