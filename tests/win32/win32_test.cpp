// End-to-end test of the Windows program under Wine or Windows: the real window on native
// controls, driven from a second thread with the messages a person's mouse and keyboard make,
// on memo folders in real temporary directories, with every file checked byte for byte in code
// page 932. Run by scripts/test-windows.sh; the argument is the built tetomu.exe.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "store/cp932_codec.h"
#include "store/store_error.h"
#include "store/title.h"
#include "win32/ansi_codec.h"
#include "win32/memo_frame.h"
#include "win32/win32_file_system.h"
#include "window/layout.h"
#include "window/texts.h"

namespace {

namespace fs = std::filesystem;
using namespace tetomu;
using namespace std::chrono_literals;

// ---------------------------------------------------------------------------------------------
// Checks

int scenarioFailures = 0;

std::string utf8(std::u16string_view text) {
    std::wstring wide(text.begin(), text.end());
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(std::size_t(std::max(size, 0)), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), size, nullptr,
                            nullptr);
    }
    return out;
}

std::string shown(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}
std::string shown(std::u16string_view text) {
    std::string out = utf8(text);
    std::string escaped;
    for (char c : out)
        escaped += c == '\r' ? std::string("\\r") : c == '\n' ? "\\n" : std::string(1, c);
    return "u\"" + escaped + "\"";
}
std::string shown(long long n) {
    return std::to_string(n);
}

void fail(int line, const std::string& what) {
    ++scenarioFailures;
    std::printf("    line %d: %s\n", line, what.c_str());
    std::fflush(stdout);
}

void expectTrue(bool ok, const char* expr, int line) {
    if (!ok) fail(line, std::string("expected ") + expr);
}

template <class A, class B>
void checkEq(const A& actual, const B& expected, const char* expr, int line) {
    if constexpr (std::is_integral_v<A>) {
        if (static_cast<long long>(actual) != static_cast<long long>(expected)) {
            fail(line, std::string(expr) + ": got " + shown(static_cast<long long>(actual)) +
                           ", expected " + shown(static_cast<long long>(expected)));
        }
    } else {
        if (!(actual == expected)) {
            fail(line,
                 std::string(expr) + ": got " + shown(actual) + ", expected " + shown(expected));
        }
    }
}

#define CHECK(c) expectTrue((c), #c, __LINE__)
#define CHECK_EQ(a, b) checkEq((a), (b), #a, __LINE__)

// ---------------------------------------------------------------------------------------------
// Files

std::string cp932(std::u16string_view text) {
    return Cp932Codec().encode(text);
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string fileNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& name : names)
        out += (out.empty() ? "" : " ") + name;
    return out;
}

class TempDir {
  public:
    TempDir() {
        static int count = 0;
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = fs::path(base) / (L"tetomu-win-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++count));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// A memo folder laid out as the program stores it: texts in 0.txt, 1.txt, ... and the titles.
void layOut(const fs::path& memo, const std::vector<std::u16string>& texts,
            const std::vector<std::u16string>& titles) {
    fs::create_directories(memo);
    std::u16string index;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        writeBytes(memo / (std::to_string(i) + ".txt"), cp932(texts[i]));
        index += titles[i] + u"\r\n";
    }
    writeBytes(memo / "group.gl", cp932(index));
}

// ---------------------------------------------------------------------------------------------
// Windows and the person in front of them

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::u16string textOf(HWND hwnd) {
    wchar_t buffer[4096];
    const int got = GetWindowTextW(hwnd, buffer, 4096);
    return std::u16string(buffer, buffer + std::max(got, 0));
}

std::u16string classOf(HWND hwnd) {
    wchar_t buffer[256];
    const int got = GetClassNameW(hwnd, buffer, 256);
    return std::u16string(buffer, buffer + std::max(got, 0));
}

// The program's message box, as a person sees it.
struct Box {
    HWND hwnd = nullptr;
    std::u16string text;
    int buttons = 0;
    std::u16string buttonText;
    bool icon = false;
};

std::optional<Box> findBox(DWORD processId, DWORD threadId = 0) {
    struct Search {
        DWORD process, thread;
        HWND found = nullptr;
    } search{processId, threadId};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            DWORD process = 0;
            const DWORD thread = GetWindowThreadProcessId(hwnd, &process);
            if (process != s.process || (s.thread && thread != s.thread)) return TRUE;
            if (!IsWindowVisible(hwnd) || classOf(hwnd) != u"#32770") return TRUE;
            if (textOf(hwnd) != texts::kAppTitle) return TRUE;
            s.found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) return std::nullopt;
    Box box;
    box.hwnd = search.found;
    for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const auto cls = classOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (cls == u"Button") {
            ++box.buttons;
            box.buttonText = textOf(child);
        } else if (cls == u"Static" && (style & SS_TYPEMASK) == SS_ICON) {
            if (SendMessageW(child, STM_GETICON, 0, 0)) box.icon = true;
        } else if (cls == u"Static" && !textOf(child).empty()) {
            box.text = textOf(child);
        }
    }
    return box;
}

void pressOk(const Box& box) {
    for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (classOf(child) == u"Button") {
            PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                         reinterpret_cast<LPARAM>(child));
        }
    }
    waitUntil([&] { return !IsWindow(box.hwnd); });
}

void sendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (auto [key, down] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window in this process, on its own thread with its own message loop, on a memo folder in
// a temporary directory. The test thread plays the person.
class Session {
  public:
    explicit Session(const fs::path& programDirectory, std::wstring singleCopyName = {}) {
        static int count = 0;
        options_.programDirectory = programDirectory.native();
        options_.singleCopyName = !singleCopyName.empty()
                                      ? singleCopyName
                                      : L"Local\\tetomu-test-" +
                                            std::to_wstring(GetCurrentProcessId()) + L"-" +
                                            std::to_wstring(++count);
        startedEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        markEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, &Session::main, this, 0, &threadId_);
        // Started, or stopped in a box that the scenario will look at.
        waitUntil([&] {
            return WaitForSingleObject(startedEvent_, 0) == WAIT_OBJECT_0 || box().has_value();
        });
    }
    ~Session() {
        if (frame_ && IsWindow(frame_.load()->hwnd()))
            PostMessageW(frame_.load()->hwnd(), WM_CLOSE, 0, 0);
        if (WaitForSingleObject(thread_, 10000) != WAIT_OBJECT_0) {
            std::printf("    the window thread did not end\n");
            ++scenarioFailures;
        }
        CloseHandle(thread_);
        CloseHandle(startedEvent_);
        CloseHandle(markEvent_);
    }

    bool started() const { return WaitForSingleObject(startedEvent_, 0) == WAIT_OBJECT_0; }
    StartResult result() const { return result_; }
    MemoFrame& frame() { return *frame_.load(); }
    MemoWindow& core() { return frame_.load()->window(); }
    HWND hwnd() { return frame_.load()->hwnd(); }
    HWND list() { return frame_.load()->list(); }
    HWND edit() { return frame_.load()->edit(); }
    HWND check() { return frame_.load()->check(); }
    HandlerTrace& trace() { return trace_; }
    DWORD threadId() const { return threadId_; }

    // The window thread's exit status once it has ended, or -1.
    int exitCode() {
        if (WaitForSingleObject(thread_, 10000) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeThread(thread_, &code);
        return int(code);
    }

    // Waits until the window thread has handled everything posted so far; a message box it
    // opened meanwhile stays open.
    void settle() {
        if (WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) return;
        PostMessageW(marker_, WM_APP, 0, 0);
        const HANDLE either[] = {markEvent_, thread_};
        if (WaitForMultipleObjects(2, either, FALSE, 10000) == WAIT_TIMEOUT) {
            std::printf("    the window thread does not answer\n");
            ++scenarioFailures;
        }
    }
    std::optional<Box> box() { return findBox(GetCurrentProcessId(), threadId_); }
    // The box that the last action opened: its text, after which OK is pressed.
    std::u16string closeBox(const std::function<void()>& whileShown = {}) {
        std::optional<Box> shownBox;
        waitUntil([&] { return (shownBox = box()).has_value(); }, 5s);
        if (!shownBox) return u"<no box>";
        CHECK_EQ(shownBox->buttons, 1);
        CHECK(!shownBox->icon);
        if (whileShown) whileShown();
        pressOk(*shownBox);
        settle();
        return shownBox->text;
    }
    bool noBox() {
        settle();
        return !box().has_value();
    }

    // A person's actions.
    void type(std::u16string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n' && i > 0 && text[i - 1] == u'\r') continue;
            PostMessageW(edit(), WM_CHAR, text[i], 1);
        }
        settle();
    }
    void caretToEnd() {
        const auto length = GetWindowTextLengthW(edit());
        PostMessageW(edit(), EM_SETSEL, length, length);
        settle();
    }
    RECT itemRect(int i) {
        RECT r{};
        SendMessageW(list(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void clickItem(int i) {
        const RECT r = itemRect(i);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list(), WM_LBUTTONUP, 0, at);
        settle();
    }
    void listKey(WORD key) {
        PostMessageW(list(), WM_KEYDOWN, key, 1);
        PostMessageW(list(), WM_KEYUP, key, 0xC0000001);
        settle();
    }
    void clickCheck() {
        PostMessageW(check(), BM_CLICK, 0, 0);
        settle();
    }
    void choose(int id) {
        PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        settle();
    }

    // What the person sees.
    std::vector<std::u16string> items() {
        std::vector<std::u16string> out;
        const int count = int(SendMessageW(list(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t buffer[256] = {};
            SendMessageW(list(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
            out.emplace_back(reinterpret_cast<const char16_t*>(buffer));
        }
        return out;
    }
    std::u16string itemsText() {
        std::u16string out;
        for (const auto& item : items())
            out += item + u"|";
        return out;
    }
    int selected() { return int(SendMessageW(list(), LB_GETCURSEL, 0, 0)); }
    std::u16string memoText() { return textOf(edit()); }
    bool ticked() { return SendMessageW(check(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    HWND focus() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        return info.hwndFocus;
    }
    // How often a handler ran at the outermost level, as a person's action raised it.
    int clicks(const char* handler) {
        int n = 0;
        for (const auto& line : trace_.lines)
            n += line == handler;
        return n;
    }

  private:
    static DWORD WINAPI main(LPVOID self) { return static_cast<Session*>(self)->run(); }
    DWORD run() {
        Win32FileSystem files;
        AnsiCodec codec;
        MemoFrame frame(GetModuleHandleW(nullptr), files, codec, options_);
        frame.create();
        frame.window().trace = &trace_;
        marker_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
        SetWindowLongPtrW(marker_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(markEvent_));
        SetWindowLongPtrW(marker_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Session::markerProc));
        frame_ = &frame;
        result_ = frame.start();
        SetEvent(startedEvent_);
        const int status = result_ == StartResult::Shown    ? frame.run()
                           : result_ == StartResult::Failed ? 1
                                                            : 0;
        // Messages the test posts after the end still find the marker.
        frame_ = nullptr;
        DestroyWindow(marker_);
        return DWORD(status);
    }
    static LRESULT CALLBACK markerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            SetEvent(reinterpret_cast<HANDLE>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    FrameOptions options_;
    HandlerTrace trace_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE startedEvent_ = nullptr;
    HANDLE markEvent_ = nullptr;
    std::atomic<HWND> marker_ = nullptr;
    std::atomic<MemoFrame*> frame_ = nullptr;
    StartResult result_ = StartResult::Failed;
};

// ---------------------------------------------------------------------------------------------
// Scenarios

// The system's code page and the file calls under the store.
void codePageAndFileCalls() {
    CHECK_EQ(GetACP(), 932u);
    const AnsiCodec system;
    CHECK_EQ(system.codePage(), 932u);
    CHECK_EQ(system.encode(u"買い物\r\n①ｱ"),
             std::string("\x94\x83\x82\xA2\x95\xA8\r\n\x87\x40\xB1"));
    // Bytes no code page defines survive a read and a write unchanged.
    const std::string odd("\x81\x20\xFF\xA0memo\x82", 9);
    CHECK_EQ(system.encode(system.decode(odd)), odd);

    const AnsiCodec western(1252);
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(char(b));
    CHECK_EQ(western.encode(western.decode(all)), all);
    CHECK_EQ(western.decode("caf\xE9"), std::u16string(u"café"));
    CHECK_EQ(western.encode(u"買い物"), std::string("???"));

    const AnsiCodec chinese(936);
    CHECK_EQ(chinese.decode("\xC4\xE3"), std::u16string(u"你"));
    const std::string broken("\xC4\x20\xFF\xC4\xE3", 5);
    CHECK_EQ(chinese.encode(chinese.decode(broken)), broken);

    TempDir dir;
    Win32FileSystem files;
    const fs::path memo = dir.path() / "0.txt";
    files.write(memo, "first text, longer");
    files.write(memo, "second");
    CHECK_EQ(readBytes(memo), std::string("second"));
    CHECK_EQ(files.read(memo), std::string("second"));
    CHECK_EQ(fileNames(dir.path()), std::string("0.txt"));
    CHECK_EQ(files.readOrCreate(dir.path() / "group.gl"), std::string());
    CHECK_EQ(readBytes(dir.path() / "group.gl"), std::string());

    auto refusal = [](const std::function<void()>& call) -> std::optional<StoreError> {
        try {
            call();
        } catch (const StoreError& error) {
            return error;
        }
        return std::nullopt;
    };
    auto missing = refusal([&] { files.read(dir.path() / "7.txt"); });
    CHECK(missing && missing->fault() == StoreFault::NotFound);
    CHECK(missing && missing->code() == ERROR_FILE_NOT_FOUND);
    CHECK(missing && missing->path() == dir.path() / "7.txt");
    CHECK(missing && !missing->systemText().empty());
    auto taken = refusal([&] { files.rename(memo, dir.path() / "group.gl"); });
    CHECK(taken && taken->fault() == StoreFault::AlreadyExists);
    CHECK(taken && taken->path() == dir.path() / "group.gl");
    CHECK_EQ(readBytes(memo), std::string("second"));
    CHECK(refusal([&] { files.rename(dir.path() / "7.txt", dir.path() / "8.txt"); }).has_value());
    CHECK(refusal([&] { files.remove(dir.path() / "7.txt"); }).has_value());
    files.rename(memo, dir.path() / "temp.txt");
    files.remove(dir.path() / "temp.txt");
    CHECK_EQ(fileNames(dir.path()), std::string("group.gl"));
    auto noFolder = refusal([&] { files.readOrCreate(dir.path() / "memo" / "group.gl"); });
    CHECK(noFolder && noFolder->fault() == StoreFault::NotFound);

    // Someone holding the memo open without letting it be replaced, as a scanner does for a
    // moment: the write waits for it instead of failing.
    files.write(memo, "old");
    HANDLE held = CreateFileW(memo.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    CHECK(held != INVALID_HANDLE_VALUE);
    std::thread release([&] {
        std::this_thread::sleep_for(300ms);
        CloseHandle(held);
    });
    files.write(memo, "new");
    release.join();
    CHECK_EQ(readBytes(memo), std::string("new"));
    CHECK_EQ(fileNames(dir.path()), std::string("0.txt group.gl"));
}

// The window as it opens: its frame, controls, menu bar, keyboard and boxes.
void windowAndMenus() {
    TempDir dir;
    fs::create_directory(dir.path() / "memo");
    const std::wstring singleCopy = L"Local\\tetomu-test-" + std::to_wstring(GetCurrentProcessId());
    Session s(dir.path(), singleCopy);
    CHECK(s.result() == StartResult::Shown);
    // No index yet: the first read leaves an empty one behind.
    CHECK_EQ(fileNames(dir.path() / "memo"), std::string("group.gl"));
    CHECK_EQ(readBytes(dir.path() / "memo" / "group.gl"), std::string());

    const HWND w = s.hwnd();
    CHECK_EQ(textOf(w), std::u16string(u"テトム★"));
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    CHECK(IsWindowVisible(w));
    CHECK((style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)) ==
          (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    CHECK((style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) == 0);
    CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    CHECK(SendMessageW(w, WM_GETICON, ICON_BIG, 0) != 0);

    const int dpi = s.frame().dpi();
    RECT client{};
    GetClientRect(w, &client);
    CHECK_EQ(client.right, layout::toPixels(5250, dpi));
    CHECK_EQ(client.bottom, layout::toPixels(3930, dpi));
    auto placeOf = [&](HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        return std::array<long, 4>{r.left, r.top, r.right - r.left, r.bottom - r.top};
    };
    if (dpi == 96) {
        CHECK(placeOf(s.list()) == (std::array<long, 4>{0, 16, 113, 244}));
        CHECK(placeOf(s.check()) == (std::array<long, 4>{232, 0, 17, 17}));
        CHECK(placeOf(s.frame().label()) == (std::array<long, 4>{200, 3, 25, 17}));
        CHECK(placeOf(s.edit()) == (std::array<long, 4>{120, 16, 233, 249}));
    }
    const LONG listStyle = GetWindowLongW(s.list(), GWL_STYLE);
    CHECK_EQ(classOf(s.list()), std::u16string(u"ListBox"));
    // The vertical scroll bar comes and goes with the number of titles (see the long list).
    CHECK((listStyle & (LBS_NOTIFY | WS_TABSTOP)) == (LBS_NOTIFY | WS_TABSTOP));
    CHECK((listStyle & (LBS_SORT | WS_HSCROLL | LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) == 0);
    const LONG editStyle = GetWindowLongW(s.edit(), GWL_STYLE);
    const LONG editWanted = ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL |
                            WS_VSCROLL | ES_WANTRETURN | WS_TABSTOP;
    CHECK((editStyle & editWanted) == editWanted);
    CHECK_EQ(GetWindowLongW(s.check(), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    CHECK_EQ(textOf(s.check()), std::u16string(u"Check1"));
    CHECK(!s.ticked());
    CHECK_EQ(textOf(s.frame().label()), std::u16string(u"整理"));
    CHECK((GetWindowLongW(s.frame().label(), GWL_STYLE) & WS_TABSTOP) == 0);

    // The bar: three commands and one drop-down of two radio items with their shortcuts.
    const HMENU bar = GetMenu(w);
    CHECK_EQ(GetMenuItemCount(bar), 4);
    auto caption = [](HMENU menu, int at) {
        wchar_t buffer[128] = {};
        GetMenuStringW(menu, at, buffer, 128, MF_BYPOSITION);
        return std::u16string(reinterpret_cast<const char16_t*>(buffer));
    };
    CHECK_EQ(caption(bar, 0), std::u16string(u"新規"));
    CHECK_EQ(caption(bar, 1), std::u16string(u"削除"));
    CHECK_EQ(caption(bar, 2), std::u16string(u"手前"));
    CHECK_EQ(caption(bar, 3), std::u16string(u"バージョン"));
    CHECK(!GetSubMenu(bar, 0) && !GetSubMenu(bar, 1) && !GetSubMenu(bar, 3));
    const HMENU inFront = GetSubMenu(bar, 2);
    CHECK_EQ(GetMenuItemCount(inFront), 2);
    CHECK_EQ(caption(inFront, 0), std::u16string(u"常に手前にする\tCtrl+F7"));
    CHECK_EQ(caption(inFront, 1), std::u16string(u"解除する\tCtrl+F8"));
    auto marks = [&] {
        std::string out;
        for (int i = 0; i < 2; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STATE | MIIM_FTYPE;
            GetMenuItemInfoW(inFront, i, TRUE, &info);
            out += (info.fType & MFT_RADIOCHECK) ? "(" : "[";
            out += (info.fState & MFS_CHECKED) ? "x" : " ";
        }
        return out;
    };
    CHECK_EQ(marks(), std::string("(x( "));

    // The keyboard: focus starts in the list, Tab goes list, check box, text box and round.
    CHECK(s.focus() == s.list());
    SetForegroundWindow(w);
    s.settle();
    sendKeys({{VK_TAB, true}, {VK_TAB, false}});
    CHECK(waitUntil([&] { return s.focus() == s.check(); }, 3s));
    sendKeys({{VK_TAB, true}, {VK_TAB, false}});
    CHECK(waitUntil([&] { return s.focus() == s.edit(); }, 3s));
    sendKeys({{VK_TAB, true}, {VK_TAB, false}});
    CHECK(waitUntil([&] { return s.focus() == s.list(); }, 3s));
    sendKeys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
    CHECK(waitUntil([&] { return s.focus() == s.edit(); }, 3s));
    CHECK_EQ(s.memoText(), std::u16string());

    // Ctrl+F8 and Ctrl+F7 while typing: the marks and the placement move, the text does not.
    s.type(u"あ");
    const std::string index = readBytes(dir.path() / "memo" / "group.gl");
    sendKeys({{VK_CONTROL, true}, {VK_F8, true}, {VK_F8, false}, {VK_CONTROL, false}});
    CHECK(waitUntil([&] { return marks() == "( (x"; }, 3s));
    CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);
    sendKeys({{VK_CONTROL, true}, {VK_F7, true}, {VK_F7, false}, {VK_CONTROL, false}});
    CHECK(waitUntil([&] { return marks() == "(x( "; }, 3s));
    CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    s.settle();
    CHECK_EQ(s.memoText(), std::u16string(u"あ"));
    CHECK_EQ(readBytes(dir.path() / "memo" / "group.gl"), index);
    CHECK_EQ(readBytes(dir.path() / "memo" / "0.txt"), cp932(u"あ"));
    // The same from the menu.
    s.choose(kIdRelease);
    CHECK_EQ(marks(), std::string("( (x"));
    CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0);
    s.choose(kIdKeepInFront);
    CHECK_EQ(marks(), std::string("(x( "));

    s.choose(kIdVersion);
    CHECK_EQ(s.closeBox(), std::u16string(u"作者：ぺぽ\r\nバージョン：4"));

    // A second copy ends at once, without a window and without touching any folder: where it
    // would look there is no memo folder, and no error box comes.
    TempDir other;
    Session second(other.path(), singleCopy);
    CHECK(second.result() == StartResult::AnotherCopyRunning);
    CHECK_EQ(second.exitCode(), 0);
    CHECK(!second.box().has_value());
    CHECK_EQ(fileNames(other.path()), std::string());
    CHECK(IsWindowVisible(w));
}

// A day of use on the native controls: three memos, opening and editing one, deleting one,
// swapping two, and the commands and boxes around them.
void dayOfUse() {
    TempDir dir;
    const fs::path memo = dir.path() / "memo";
    fs::create_directory(memo);
    Session s(dir.path());
    auto file = [&](const char* name) { return readBytes(memo / name); };

    // Typing with nothing selected creates memo 0, keystroke by keystroke.
    s.type(u"買い物\r\n牛乳");
    CHECK_EQ(file("0.txt"), cp932(u"買い物\r\n牛乳"));
    CHECK_EQ(file("group.gl"), cp932(u"買い物牛乳\r\n"));
    CHECK_EQ(s.itemsText(), std::u16string(u"買い物牛乳|"));
    CHECK_EQ(s.selected(), 0);

    // "新規" clears the window; the store is as it was and no "temp" remains.
    s.choose(kIdNew);
    CHECK_EQ(s.memoText(), std::u16string());
    CHECK_EQ(s.selected(), -1);
    CHECK_EQ(fileNames(memo), std::string("0.txt group.gl"));
    CHECK_EQ(file("group.gl"), cp932(u"買い物牛乳\r\n"));
    s.type(u"会議");
    s.choose(kIdNew);
    s.type(u"旅行");
    s.choose(kIdNew);
    CHECK_EQ(fileNames(memo), std::string("0.txt 1.txt 2.txt group.gl"));
    CHECK_EQ(file("group.gl"), cp932(u"買い物牛乳\r\n会議\r\n旅行\r\n"));
    CHECK_EQ(s.itemsText(), std::u16string(u"買い物牛乳|会議|旅行|"));

    // A click opens memo 0; the person goes on typing at the end of it.
    s.clickItem(0);
    CHECK_EQ(s.selected(), 0);
    CHECK_EQ(s.memoText(), std::u16string(u"買い物\r\n牛乳"));
    CHECK_EQ(file("0.txt"), cp932(u"買い物\r\n牛乳"));
    s.caretToEnd();
    s.type(u"と卵");
    CHECK_EQ(file("0.txt"), cp932(u"買い物\r\n牛乳と卵"));
    CHECK_EQ(file("group.gl"), cp932(u"買い物牛乳と卵\r\n会議\r\n旅行\r\n"));
    CHECK_EQ(s.itemsText(), std::u16string(u"買い物牛乳と卵|会議|旅行|"));
    CHECK_EQ(s.selected(), 0);
    // Saving leaves the caret where the person typed.
    DWORD from = 0, to = 0;
    SendMessageW(s.edit(), EM_GETSEL, WPARAM(&from), LPARAM(&to));
    CHECK_EQ(from, 9u);
    CHECK_EQ(to, 9u);

    // A click on the item that is already selected is a click, once.
    const int before = s.clicks("List1_Click");
    s.clickItem(0);
    CHECK_EQ(s.clicks("List1_Click"), before + 1);
    CHECK_EQ(s.memoText(), std::u16string(u"買い物\r\n牛乳と卵"));
    s.clickItem(1);
    CHECK_EQ(s.clicks("List1_Click"), before + 2);
    CHECK_EQ(s.memoText(), std::u16string(u"会議"));
    // The arrow key moves the selection and opens the memo there.
    s.listKey(VK_DOWN);
    CHECK_EQ(s.clicks("List1_Click"), before + 3);
    CHECK_EQ(s.selected(), 2);
    CHECK_EQ(s.memoText(), std::u16string(u"旅行"));
    s.listKey(VK_UP);
    CHECK_EQ(s.memoText(), std::u16string(u"会議"));

    // "削除" deletes memo 1 and moves memo 2 down into its place.
    s.choose(kIdDelete);
    CHECK(s.noBox());
    CHECK_EQ(fileNames(memo), std::string("0.txt 1.txt group.gl"));
    CHECK_EQ(file("1.txt"), cp932(u"旅行"));
    CHECK_EQ(file("group.gl"), cp932(u"買い物牛乳と卵\r\n旅行\r\n"));
    CHECK_EQ(s.itemsText(), std::u16string(u"買い物牛乳と卵|旅行|"));
    CHECK_EQ(s.selected(), -1);
    CHECK_EQ(s.memoText(), std::u16string());

    // "削除" with nothing selected only says so.
    s.choose(kIdDelete);
    CHECK_EQ(s.closeBox(), std::u16string(u"選ばれてないやんｗ"));
    CHECK_EQ(fileNames(memo), std::string("0.txt 1.txt group.gl"));

    // "整理" with nothing selected: unticked again before the box shows.
    s.clickCheck();
    CHECK_EQ(s.closeBox([&] { CHECK(!s.ticked()); }), std::u16string(u"選ばれてないやん☆"));
    CHECK(!s.ticked());

    // Arrange mode: memo 0 first, then a click on memo 1 swaps them.
    s.clickItem(0);
    s.clickCheck();
    CHECK(s.ticked());
    CHECK(s.noBox());
    s.clickItem(1);
    CHECK(s.noBox());
    CHECK_EQ(fileNames(memo), std::string("0.txt 1.txt group.gl"));
    CHECK_EQ(file("0.txt"), cp932(u"旅行"));
    CHECK_EQ(file("1.txt"), cp932(u"買い物\r\n牛乳と卵"));
    CHECK_EQ(file("group.gl"), cp932(u"旅行\r\n買い物牛乳と卵\r\n"));
    CHECK_EQ(s.itemsText(), std::u16string(u"旅行|買い物牛乳と卵|"));
    CHECK_EQ(s.selected(), -1);
    CHECK_EQ(s.memoText(), std::u16string());
    CHECK(!s.ticked());

    // The same memo twice: the box, with the box still ticked while it shows; nothing moves.
    s.clickItem(1);
    s.clickCheck();
    s.clickItem(1);
    CHECK_EQ(s.closeBox([&] { CHECK(s.ticked()); }),
             std::u16string(u"同じものクリックしても一緒！"));
    CHECK(!s.ticked());
    CHECK_EQ(s.selected(), 1);
    CHECK_EQ(s.memoText(), std::u16string(u"買い物\r\n牛乳と卵"));
    CHECK_EQ(file("0.txt"), cp932(u"旅行"));
    CHECK_EQ(file("1.txt"), cp932(u"買い物\r\n牛乳と卵"));
    CHECK_EQ(file("group.gl"), cp932(u"旅行\r\n買い物牛乳と卵\r\n"));

    // Emptying the text by hand deletes the memo.
    SendMessageW(s.edit(), EM_SETSEL, 0, -1);
    s.type(u"\b");
    CHECK_EQ(fileNames(memo), std::string("0.txt group.gl"));
    CHECK_EQ(file("group.gl"), cp932(u"旅行\r\n"));
    CHECK(s.noBox());
}

// A long list keeps its scroll position while the person types, and a text the core holds with
// lone line breaks is only replaced by the person's own edit.
void longListAndOddText() {
    TempDir dir;
    std::vector<std::u16string> texts, titles;
    for (int i = 0; i < 40; ++i) {
        const std::u16string n(1, char16_t(u'Ａ' + i % 26));
        texts.push_back(u"メモ" + n + u"\r\n本文");
        titles.push_back(u"メモ" + n + u"本文");
    }
    texts[30] = u"一行目\n二行目";
    titles[30] = u"一行目\n二行目";
    layOut(dir.path() / "memo", texts, titles);
    Session s(dir.path());
    CHECK_EQ(int(s.items().size()), 40);
    CHECK_EQ(s.selected(), -1);
    CHECK((GetWindowLongW(s.list(), GWL_STYLE) & WS_VSCROLL) != 0);
    CHECK((GetWindowLongW(s.list(), GWL_STYLE) & WS_HSCROLL) == 0);

    SendMessageW(s.list(), LB_SETTOPINDEX, 20, 0);
    s.clickItem(25);
    s.caretToEnd();
    s.type(u"！");
    CHECK_EQ(readBytes(dir.path() / "memo" / "25.txt"), cp932(texts[25] + u"！"));
    CHECK_EQ(SendMessageW(s.list(), LB_GETTOPINDEX, 0, 0), 20);
    CHECK_EQ(s.selected(), 25);

    // Opening the memo with a lone LF writes it back unchanged, as the core holds it.
    s.clickItem(30);
    CHECK_EQ(s.core().txtmemo.Text(), texts[30]);
    CHECK_EQ(readBytes(dir.path() / "memo" / "30.txt"), cp932(texts[30]));
    CHECK_EQ(SendMessageW(s.list(), LB_GETTOPINDEX, 0, 0), 20);
}

// Run-time errors: the box with the system's number and the path, then the end.
void runtimeErrors() {
    {
        TempDir dir;  // no memo folder
        Session s(dir.path());
        const std::u16string text = s.closeBox();
        CHECK(text.rfind(u"実行時エラー '3':", 0) == 0);
        const std::wstring path = (dir.path() / "memo" / "group.gl").native();
        CHECK(text.find(std::u16string(path.begin(), path.end())) != std::u16string::npos);
        CHECK_EQ(s.exitCode(), 1);
        CHECK(s.result() == StartResult::Failed);
        CHECK_EQ(fileNames(dir.path()), std::string());
    }
    {
        TempDir dir;
        layOut(dir.path() / "memo", {u"鍵"}, {u"鍵"});
        Session s(dir.path());
        const fs::path memo = dir.path() / "memo" / "0.txt";
        HANDLE locked =
            CreateFileW(memo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        s.clickItem(0);
        const std::u16string text = s.closeBox();
        CloseHandle(locked);
        CHECK(text.rfind(u"実行時エラー '32':", 0) == 0);
        CHECK_EQ(s.exitCode(), 1);
        CHECK_EQ(readBytes(memo), cp932(u"鍵"));
        CHECK_EQ(readBytes(dir.path() / "memo" / "group.gl"), cp932(u"鍵\r\n"));
    }
}

// The program file itself: its memo folder beside it, one copy at a time, its exit status.
fs::path programFile;

struct Program {
    PROCESS_INFORMATION info{};
    explicit Program(const fs::path& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe.native() + L"\"";
        const std::wstring folder = exe.parent_path().native();
        CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &info);
    }
    ~Program() {
        if (info.hProcess) {
            TerminateProcess(info.hProcess, 99);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    HWND window() {
        struct Search {
            DWORD process;
            HWND found = nullptr;
        } search{info.dwProcessId};
        EnumWindows(
            [](HWND hwnd, LPARAM lParam) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(lParam);
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (process == s.process && IsWindowVisible(hwnd) &&
                    textOf(hwnd) == texts::kCaption) {
                    s.found = hwnd;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    int exitCode(DWORD waitMs = 15000) {
        if (WaitForSingleObject(info.hProcess, waitMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        info.hProcess = nullptr;
        return int(code);
    }
};

void programFileScenario() {
    if (programFile.empty()) {
        fail(__LINE__, "no program file given");
        return;
    }
    TempDir dir;
    const fs::path exe = dir.path() / "tetomu.exe";
    fs::copy_file(programFile, exe);
    layOut(dir.path() / "memo", {u"机の上"}, {u"机の上"});
    {
        Program first(exe);
        CHECK(waitUntil([&] { return first.window() != nullptr; }, 20s));
        const HWND w = first.window();
        CHECK_EQ(SendMessageW(FindWindowExW(w, nullptr, L"ListBox", nullptr), LB_GETCOUNT, 0, 0),
                 1);
        Program second(exe);
        CHECK_EQ(second.exitCode(), 0);
        CHECK(first.window() == w);
        PostMessageW(w, WM_CLOSE, 0, 0);
        CHECK_EQ(first.exitCode(), 0);
    }
    CHECK_EQ(fileNames(dir.path() / "memo"), std::string("0.txt group.gl"));
    CHECK_EQ(readBytes(dir.path() / "memo" / "group.gl"), cp932(u"机の上\r\n"));

    // Without a memo folder beside it: the error box, then a failure status.
    fs::remove_all(dir.path() / "memo");
    Program lost(exe);
    std::optional<Box> box;
    CHECK(waitUntil([&] { return (box = findBox(lost.info.dwProcessId)).has_value(); }, 20s));
    if (box) {
        CHECK(box->text.rfind(u"実行時エラー '3':", 0) == 0);
        pressOk(*box);
    }
    CHECK_EQ(lost.exitCode(), 1);
}

// For the screenshot: the program file on a few memos with one of them open, until told to end.
int show(const fs::path& dir, const fs::path& program) {
    const std::vector<std::u16string> texts = {
        u"買い物\r\n牛乳\r\n食パン\r\n卵",
        u"会議メモ\r\n10時から第二会議室\r\n・来期の予定\r\n・予算の確認",
        u"電話番号\r\n山田さん 03-1234-5678",
        u"読みたい本\r\n吾輩は猫である",
    };
    std::vector<std::u16string> titles;
    for (const auto& text : texts)
        titles.push_back(TitleOf(text));
    layOut(dir / "memo", texts, titles);
    const fs::path exe = dir / "tetomu.exe";
    fs::copy_file(program, exe);
    Program p(exe);
    HWND w = nullptr;
    waitUntil([&] { return (w = p.window()) != nullptr; }, 20s);
    if (!w) return 1;
    // A person's click on the second title, and the caret at the end of its text.
    const HWND list = FindWindowExW(w, nullptr, L"ListBox", nullptr);
    const int height = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(20, height + height / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    const HWND edit = FindWindowExW(w, nullptr, L"Edit", nullptr);
    waitUntil([&] { return GetWindowTextLengthW(edit) > 0; }, 5s);
    PostMessageW(edit, EM_SETSEL, GetWindowTextLengthW(edit), GetWindowTextLengthW(edit));
    // Where the whole window is, frame and caption included, for cropping the photograph.
    RECT r{};
    GetWindowRect(w, &r);
    const std::string where = std::to_string(r.right - r.left) + "x" +
                              std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) +
                              "+" + std::to_string(r.top);
    std::this_thread::sleep_for(1s);
    writeBytes(dir / "ready", where);
    waitUntil([&] { return fs::exists(dir / "done"); }, 30s);
    PostMessageW(w, WM_CLOSE, 0, 0);
    return p.exitCode();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 3 && std::wstring_view(argv[1]) == L"--show") return show(argv[2], argv[3]);
    if (argc > 1) programFile = argv[1];
    // Nothing may hang a CI run: the whole test ends after two minutes whatever happens.
    std::thread([] {
        std::this_thread::sleep_for(120s);
        std::printf("timed out\n");
        std::fflush(stdout);
        ExitProcess(3);
    }).detach();

    const std::pair<const char*, void (*)()> scenarios[] = {
        {"the code page and the file calls", codePageAndFileCalls},
        {"the window, its menus and keyboard", windowAndMenus},
        {"a day of use", dayOfUse},
        {"a long list and a text with lone line breaks", longListAndOddText},
        {"run-time errors", runtimeErrors},
        {"the program file", programFileScenario},
    };
    int passed = 0, failed = 0;
    for (const auto& [name, run] : scenarios) {
        scenarioFailures = 0;
        try {
            run();
        } catch (const std::exception& error) {
            fail(0, std::string("exception: ") + error.what());
        }
        std::printf("%s %s\n", scenarioFailures == 0 ? "ok  " : "FAIL", name);
        std::fflush(stdout);
        (scenarioFailures == 0 ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
