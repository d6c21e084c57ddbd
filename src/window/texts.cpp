#include "window/texts.h"

#include <algorithm>
#include <string>
#include <vector>

#include "store/folder_check.h"
#include "store/store_error.h"
#include "store/text_codec.h"

namespace tetomu::texts {
namespace {

std::u16string number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

// A few names, and how many more there are.
std::u16string someOf(const std::vector<std::u16string>& names) {
    constexpr std::size_t kShown = 3;
    std::u16string out;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) {
        if (i > 0) out += u"、";
        out += names[i];
    }
    if (names.size() > kShown) {
        out += u" ほか ";
        out += number(names.size() - kShown);
        out += u" 個";
    }
    return out;
}

std::vector<std::u16string> memoNames(const std::vector<int>& numbers) {
    std::vector<std::u16string> names;
    for (const int n : numbers) {
        names.push_back(number(std::size_t(n)));
        names.back() += u".txt";
    }
    return names;
}

}  // namespace

std::u16string folderFindings(const FolderFindings& found, bool leftoversRemoved) {
    std::u16string text = u"memo フォルダが group.gl と合うてへんで！\r\n";
    auto line = [&](const std::vector<std::u16string>& names, std::u16string_view what) {
        if (names.empty()) return;
        text += u"・";
        text += someOf(names);
        text += what;
        text += u"\r\n";
    };
    line(memoNames(found.missing), u" がないやん");
    line(memoNames(found.strays), u" が一覧にないやん（新しいメモを作るときに一覧に入れるで）");
    std::vector<std::u16string> notFiles;
    for (const auto& name : found.notFiles)
        notFiles.push_back(pathText(name));
    line(notFiles, u" がふつうのファイルやないやん");
    if (found.temp) text += u"・temp.txt が残ってるやん\r\n";
    text += leftoversRemoved
                ? u"保存の途中で残ったファイルは消したけど、ほかはどれもそのままにしてあるで。"
                : u"ファイルはどれもそのままにしてあるで。";
    return text;
}

std::u16string notHoldable(std::u16string_view characters) {
    // A handful is enough to find them again; a long paste must not make a box taller than a
    // small screen.
    constexpr std::size_t kShown = 5;
    std::vector<std::u16string> seen;
    std::u16string strays;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (isKeptByte(characters[i])) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const unsigned byte = characters[i] - 0xDC00u;
            if (!strays.empty()) strays += u"、";
            strays += char16_t(kHex[byte >> 4]);
            strays += char16_t(kHex[byte & 15]);
            continue;
        }
        std::size_t units = 1;
        if (characters[i] >= 0xD800 && characters[i] <= 0xDBFF && i + 1 < characters.size())
            units = 2;
        std::u16string c(characters.substr(i, units));
        i += units - 1;
        if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(std::move(c));
    }
    std::u16string text;
    if (!seen.empty()) {
        for (std::size_t i = 0; i < seen.size() && i < kShown; ++i)
            text += u"「" + seen[i] + u"」";
        if (seen.size() > kShown) text += u"ほか " + number(seen.size() - kShown) + u" 字";
        text += u"は保存できへん字やから「?」にしたで！";
    }
    if (!strays.empty()) {
        if (!text.empty()) text += u"\r\n";
        text +=
            u"ファイルにあった半端なバイト（" + strays + u"）は次の字とくっつくから「?」にしたで！";
    }
    return text;
}

std::u16string cannotCreate(std::u16string_view name) {
    std::u16string text = u"memo フォルダの ";
    text += name;
    text += u" がふつうのファイルやないから、新しいメモを作られへん！";
    return text;
}

std::u16string memoMissing(std::u16string_view name) {
    return std::u16string(name) + u" がないやん！書いたら、そのときに作るで";
}

std::u16string memoNotAFile(std::u16string_view name) {
    return std::u16string(name) + u" がふつうのファイルやないから、開かれへんし書かれへん！";
}

std::u16string cannotRemove(std::u16string_view name) {
    return std::u16string(name) + u" がふつうのファイルやないから、このメモは消されへん！";
}

std::u16string keptAsNewMemo(std::u16string_view from, std::u16string_view to) {
    return std::u16string(from) + u" には保存できへんから、書いた字は新しいメモ（" +
           std::u16string(to) + u"）にしといたで！";
}

std::u16string cannotSwap(std::u16string_view name) {
    return std::u16string(name) + u" がふつうのファイルやないか、ないから、入れ替えられへん！";
}

std::u16string saveRefused(std::u16string_view name, std::u16string_view where,
                           std::u16string_view reason) {
    return std::u16string(name) + u" に保存できへんかったで。\r\n" + std::u16string(where) + u"：" +
           std::u16string(reason) +
           u"\r\n書いた字はそのまま残してあるから、次に打ったときと、少ししてからも、また保存して"
           u"みるで！";
}

std::u16string notDeletedChangedElsewhere(std::u16string_view name) {
    return std::u16string(name) + u" はほかのソフトが書きかえてたから、消さんと読み直したで！";
}

std::u16string changedElsewhere(std::u16string_view name, std::u16string_view now) {
    return std::u16string(name) +
           u" はほかのソフトが書きかえてたから、そっちはそのままにして、書いた字は新しいメモ（" +
           std::u16string(now) + u"）にしといたで！";
}

}  // namespace tetomu::texts
