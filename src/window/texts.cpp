#include "window/texts.h"

#include <string>
#include <vector>

#include "store/folder_check.h"
#include "store/store_error.h"

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

std::u16string folderFindings(const FolderFindings& found) {
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
    if (found.otherLineEnds) text += u"・group.gl の改行が CR LF やないやん\r\n";
    text += u"ファイルはどれもそのままにしてあるで。";
    return text;
}

std::u16string notHoldable(std::u16string_view characters) {
    std::u16string quoted;
    std::vector<std::u16string> seen;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        std::size_t units = 1;
        if (characters[i] >= 0xD800 && characters[i] <= 0xDBFF && i + 1 < characters.size())
            units = 2;
        std::u16string c(characters.substr(i, units));
        i += units - 1;
        bool known = false;
        for (const auto& s : seen)
            known = known || s == c;
        if (known) continue;
        seen.push_back(c);
        quoted += u"「";
        quoted += c;
        quoted += u"」";
    }
    quoted += u"は保存できへん字やから「?」にしたで！";
    return quoted;
}

std::u16string cannotCreate(std::u16string_view name) {
    std::u16string text = u"memo フォルダの ";
    text += name;
    text += u" がふつうのファイルやないから、新しいメモを作られへん！";
    return text;
}

}  // namespace tetomu::texts
