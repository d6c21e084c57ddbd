#pragma once
// A word to the person in a balloon at the caret of the text box, the system's form for a
// warning about what is being typed: it takes neither the focus nor a key, and goes by itself.
// The edit control's own balloon (EM_SHOWBALLOONTIP) where the system has one; else a tracking
// balloon tooltip of the same look, which is what the edit control makes.
#include <windows.h>

#include <string>

namespace tetomu {

class NoticeBalloon {
  public:
    static constexpr UINT kShownMs = 10000;

    NoticeBalloon() = default;
    NoticeBalloon(const NoticeBalloon&) = delete;
    NoticeBalloon& operator=(const NoticeBalloon&) = delete;
    ~NoticeBalloon();

    void show(HWND edit, const std::u16string& title, const std::u16string& text);

  private:
    static void CALLBACK hide(HWND tip, UINT, UINT_PTR, DWORD);

    HWND tip_ = nullptr;
    std::wstring text_;
};

}  // namespace tetomu
