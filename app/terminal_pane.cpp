#include "app/terminal_pane.h"
#include "app/send_panel.h"
#include "framework/clipboard.h"
#include "framework/dpi.h"
#include "resources/resource_ids.h"

namespace {

const wchar_t terminal_class[] = L"QuorvexTerminal";
constexpr int default_font_points = 10;
constexpr COLORREF default_foreground = RGB(204, 204, 204);
constexpr COLORREF default_background = RGB(12, 12, 12);

// The sixteen colours, then the 6 x 6 x 6 cube, then 24 greys.
COLORREF palette_colour(int index)
{
    static const COLORREF sixteen[16] = {
        RGB(0, 0, 0),       RGB(205, 49, 49),   RGB(13, 188, 121),  RGB(229, 229, 16),
        RGB(36, 114, 200),  RGB(188, 63, 188),  RGB(17, 168, 205),  RGB(229, 229, 229),
        RGB(102, 102, 102), RGB(241, 76, 76),   RGB(35, 209, 139),  RGB(245, 245, 67),
        RGB(59, 142, 234),  RGB(214, 112, 214), RGB(41, 184, 219),  RGB(255, 255, 255)};
    if (index < 16)
        return sixteen[index];
    if (index < 232) {
        int i = index - 16;
        auto level = [](int v) { return v == 0 ? 0 : 55 + v * 40; };
        return RGB(level(i / 36), level(i / 6 % 6), level(i % 6));
    }
    int grey = 8 + (index - 232) * 10;
    return RGB(grey, grey, grey);
}

COLORREF colour_of(uint32_t colour, COLORREF fallback)
{
    switch (colour & term_colour_kind) {
    case term_indexed:
        return palette_colour(static_cast<int>(colour & 0xFF));
    case term_rgb:
        return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    default:
        return fallback;
    }
}

unsigned key_modifiers()
{
    unsigned modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers |= key_shift;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers |= key_control;
    if (GetKeyState(VK_MENU) < 0)
        modifiers |= key_alt;
    return modifiers;
}

// The terminal key a virtual key is, or false.
bool terminal_key_of(WPARAM vk, TerminalKey* key)
{
    static const struct {
        WPARAM vk;
        TerminalKey key;
    } keys[] = {
        {VK_RETURN, TerminalKey::enter},    {VK_BACK, TerminalKey::backspace},
        {VK_TAB, TerminalKey::tab},         {VK_ESCAPE, TerminalKey::escape},
        {VK_UP, TerminalKey::up},           {VK_DOWN, TerminalKey::down},
        {VK_RIGHT, TerminalKey::right},     {VK_LEFT, TerminalKey::left},
        {VK_HOME, TerminalKey::home},       {VK_END, TerminalKey::end},
        {VK_INSERT, TerminalKey::insert},   {VK_DELETE, TerminalKey::delete_key},
        {VK_PRIOR, TerminalKey::page_up},   {VK_NEXT, TerminalKey::page_down},
    };
    for (const auto& entry : keys)
        if (entry.vk == vk) {
            *key = entry.key;
            return true;
        }
    if (vk >= VK_F1 && vk <= VK_F12) {
        *key = static_cast<TerminalKey>(static_cast<int>(TerminalKey::f1) + static_cast<int>(vk - VK_F1));
        return true;
    }
    return false;
}

}  // namespace

TerminalPane::~TerminalPane()
{
    if (font_)
        DeleteObject(font_);
    if (bold_font_)
        DeleteObject(bold_font_);
    font_ = bold_font_ = nullptr;
}

bool TerminalPane::create(HWND dialog, SendHost* host)
{
    dialog_ = dialog;
    host_ = host;
    // A new main window begins with an empty screen.
    terminal_.reset();
    terminal_.screen().clear_scrollback();
    view_offset_ = 0;
    has_selection_ = false;
    base_title_[0] = L'\0';
    WNDCLASSW window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));  // IDC_IBEAM
    window_class.lpszClassName = terminal_class;
    // A second main window in the process (the tests make many) finds the
    // class already there.
    if (!RegisterClassW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    window_ = nullptr;
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, terminal_class, L"", WS_CHILD | WS_TABSTOP, 0, 0, 10, 10, dialog,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TERMINAL)),
                              GetModuleHandleW(nullptr), this);
    if (!window_)
        return false;
    apply_settings();
    return true;
}

void TerminalPane::apply_settings()
{
    terminal_.set_scrollback_limit(settings_.scrollback);
    make_font();
    fit_size();
    if (window_)
        InvalidateRect(window_, nullptr, FALSE);
}

// Consolas where there is one, else Lucida Console, at the window's scale.
void TerminalPane::make_font()
{
    if (!window_)
        return;
    int points = settings_.font_size ? settings_.font_size : default_font_points;
    int height = -MulDiv(points, static_cast<int>(window_dpi(window_)), 72);
    HFONT fonts[2] = {};
    for (int bold = 0; bold < 2; ++bold) {
        static const wchar_t* const faces[] = {L"Consolas", L"Lucida Console"};
        for (const wchar_t* face : faces) {
            HFONT font = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                     FIXED_PITCH | FF_MODERN, face);
            if (!font)
                continue;
            HDC dc = GetDC(window_);
            wchar_t chosen[LF_FACESIZE] = {};
            HGDIOBJ old = SelectObject(dc, font);
            GetTextFaceW(dc, LF_FACESIZE, chosen);
            if (!bold) {
                TEXTMETRICW metrics;
                if (GetTextMetricsW(dc, &metrics)) {
                    cell_width_ = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 8;
                    cell_height_ = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
                }
            }
            SelectObject(dc, old);
            ReleaseDC(window_, dc);
            if (fonts[bold])
                DeleteObject(fonts[bold]);
            fonts[bold] = font;
            if (lstrcmpiW(chosen, face) == 0)
                break;
        }
    }
    if (font_)
        DeleteObject(font_);
    if (bold_font_)
        DeleteObject(bold_font_);
    font_ = fonts[0];
    bold_font_ = fonts[1];
}

// The screen takes as many cells as the window holds, or the fixed size.
void TerminalPane::fit_size()
{
    if (!window_)
        return;
    RECT client;
    GetClientRect(window_, &client);
    int columns = settings_.columns;
    int rows = settings_.rows;
    if (columns == 0 || rows == 0) {
        columns = (client.right - client.left) / cell_width_;
        rows = (client.bottom - client.top) / cell_height_;
    }
    if (columns < 2)
        columns = 2;
    if (rows < 1)
        rows = 1;
    if (columns == terminal_.screen().columns() && rows == terminal_.screen().rows())
        return;
    terminal_.resize(columns, rows);
    view_offset_ = 0;
    has_selection_ = false;
    InvalidateRect(window_, nullptr, FALSE);
    if (shown_) {
        char size[32];
        wsprintfA(size, "%d x %d", columns, rows);
        status_.set_text(status_send, size);
    }
}

void TerminalPane::show(bool shown)
{
    shown_ = shown;
    if (!window_)
        return;
    ShowWindow(window_, shown ? SW_SHOW : SW_HIDE);
    if (shown) {
        fit_size();
        SetFocus(window_);
    }
}

void TerminalPane::place(const RECT& rect)
{
    if (window_)
        MoveWindow(window_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void TerminalPane::take(const char* bytes, int count)
{
    terminal_.feed(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(count));
    if (terminal_.reply_length() > 0) {
        send(terminal_.replies(), terminal_.reply_length());
        terminal_.clear_replies();
    }
    if (terminal_.take_bells() > 0 && shown_)
        MessageBeep(MB_OK);
    if (terminal_.take_title_change() && shown_)
        show_title();
    // Scrolled back, the view keeps its lines while new ones push in below.
    if (view_offset_ > 0) {
        view_offset_ += terminal_.screen().lines_pushed();
        if (view_offset_ > terminal_.screen().scrollback_lines())
            view_offset_ = terminal_.screen().scrollback_lines();
    }
    if (!shown_) {
        terminal_.screen().clear_damage();
        return;
    }
    // Only the rows that changed are painted; the cursor's old and new rows
    // are among them. A view scrolled back is painted whole.
    RECT row = {0, 0, 0x7FFF, 0};
    for (int y = 0; y < terminal_.screen().rows(); ++y) {
        if (!terminal_.screen().damaged(y) && view_offset_ == 0)
            continue;
        row.top = y * cell_height_;
        row.bottom = row.top + cell_height_;
        InvalidateRect(window_, &row, FALSE);
    }
    terminal_.screen().clear_damage();
}

void TerminalPane::send(const char* bytes, size_t count)
{
    if (host_ && count > 0)
        host_->send_bytes(bytes, static_cast<int>(count));
}

LRESULT CALLBACK TerminalPane::window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        auto* pane = static_cast<TerminalPane*>(create->lpCreateParams);
        pane->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pane));
    }
    auto* pane = reinterpret_cast<TerminalPane*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!pane || pane->window_ != window)
        return DefWindowProcW(window, msg, wparam, lparam);
    LRESULT result = pane->message(msg, wparam, lparam);
    if (msg == WM_NCDESTROY)
        pane->window_ = nullptr;
    return result;
}

LRESULT TerminalPane::message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_GETDLGCODE:    return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_PAINT:         paint(); return 0;
    case WM_ERASEBKGND:    return 1;
    case WM_SIZE:          fit_size(); return 0;
    case WM_SETFOCUS:      InvalidateRect(window_, nullptr, FALSE); return 0;
    case WM_KILLFOCUS:     InvalidateRect(window_, nullptr, FALSE); return 0;
    case WM_KEYDOWN:       if (key_down(wparam, false)) return 0; break;
    case WM_SYSKEYDOWN:    if (key_down(wparam, true)) return 0; break;
    case WM_CHAR:          typed_char(wparam, false); return 0;
    case WM_SYSCHAR:       typed_char(wparam, true); return 0;
    case WM_MOUSEWHEEL:    scroll_view(GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA * 3); return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(window_);
        SetCapture(window_);
        POINT cell = cell_at(lparam);
        selecting_ = true;
        has_selection_ = false;
        select_from_line_ = select_to_line_ = cell.y;
        select_from_column_ = select_to_column_ = cell.x;
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (selecting_) {
            POINT cell = cell_at(lparam);
            select_to_line_ = cell.y;
            select_to_column_ = cell.x;
            has_selection_ = select_to_line_ != select_from_line_ || select_to_column_ != select_from_column_;
            InvalidateRect(window_, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP:
        selecting_ = false;
        ReleaseCapture();
        return 0;
    case 0x02E3:  // WM_DPICHANGED_AFTERPARENT: the font follows the scale
        apply_settings();
        return 0;
    }
    return DefWindowProcW(window_, msg, wparam, lparam);
}

// Keys other than characters. Shift+Page Up and Down scroll back; Ctrl+
// Shift+C and V copy and paste; Alt+F4 still closes the program.
bool TerminalPane::key_down(WPARAM vk, bool system)
{
    unsigned modifiers = key_modifiers();
    if ((modifiers & (key_control | key_shift)) == (key_control | key_shift) && !(modifiers & key_alt) &&
        (vk == 'C' || vk == 'V')) {
        swallow_char_ = true;
        if (vk == 'C')
            copy();
        else
            paste();
        return true;
    }
    if (modifiers == key_shift && (vk == VK_PRIOR || vk == VK_NEXT)) {
        int page = terminal_.screen().rows() - 1;
        scroll_view(vk == VK_PRIOR ? page : -page);
        return true;
    }
    if (system && vk == VK_F4)
        return false;
    TerminalKey key;
    if (!terminal_key_of(vk, &key))
        return false;
    KeyOptions options;
    options.enter = static_cast<EnterSends>(settings_.enter);
    options.backspace_sends_bs = settings_.backspace_bs != 0;
    options.application_cursor_keys = terminal_.application_cursor_keys();
    char bytes[key_bytes_room];
    size_t count = encode_key(key, modifiers, options, bytes);
    // The keys that also make a character (Enter, Backspace, Tab, Escape)
    // are sent here, and their character is not.
    swallow_char_ = vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE;
    scroll_view(-view_offset_);
    send(bytes, count);
    if (settings_.local_echo && count > 0) {
        if (key == TerminalKey::enter)
            take("\r\n", 2);
        else if (key == TerminalKey::backspace)
            take("\b \b", 3);
    }
    return true;
}

// A typed character: its UTF-8, or with Ctrl the control byte Windows
// already made of it (Ctrl+C is 0x03), or with Alt ESC and the character.
void TerminalPane::typed_char(WPARAM wparam, bool alt)
{
    if (swallow_char_) {
        swallow_char_ = false;
        return;
    }
    wchar_t ch = static_cast<wchar_t>(wparam);
    uint32_t code_point = ch;
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        high_surrogate_ = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (!high_surrogate_)
            return;
        code_point = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (ch - 0xDC00);
        high_surrogate_ = 0;
    }
    unsigned modifiers = alt ? key_alt : 0;
    // Ctrl+Space and Ctrl+@ come as the character itself; AltGr (Ctrl and
    // Alt together) makes a character of its own.
    if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 && code_point >= 0x20)
        modifiers |= key_control;
    char bytes[key_bytes_room];
    size_t count = code_point < 0x20 ? 0 : encode_char(code_point, modifiers, bytes);
    if (code_point < 0x20) {
        if (alt)
            bytes[count++] = 0x1B;
        bytes[count++] = static_cast<char>(code_point);
    }
    scroll_view(-view_offset_);
    send(bytes, count);
    if (settings_.local_echo)
        take(bytes, static_cast<int>(count));
}

void TerminalPane::scroll_view(int lines)
{
    int offset = view_offset_ + lines;
    int most = terminal_.screen().scrollback_lines();
    offset = offset < 0 ? 0 : offset > most ? most : offset;
    if (offset == view_offset_)
        return;
    view_offset_ = offset;
    InvalidateRect(window_, nullptr, FALSE);
}

const Cell* TerminalPane::shown_row(int y, int* length, long* line) const
{
    const CellScreen& screen = terminal_.screen();
    long index = static_cast<long>(screen.scrollback_lines()) - view_offset_ + y;
    *line = index;
    if (index < screen.scrollback_lines())
        return screen.scrollback_line(static_cast<int>(index), length);
    *length = screen.columns();
    return screen.row(static_cast<int>(index - screen.scrollback_lines()));
}

POINT TerminalPane::cell_at(LPARAM point) const
{
    int x = static_cast<short>(LOWORD(point)) / cell_width_;
    int y = static_cast<short>(HIWORD(point)) / cell_height_;
    int rows = terminal_.screen().rows();
    y = y < 0 ? 0 : y >= rows ? rows - 1 : y;
    x = x < 0 ? 0 : x > terminal_.screen().columns() ? terminal_.screen().columns() : x;
    POINT cell = {x, static_cast<LONG>(terminal_.screen().scrollback_lines() - view_offset_ + y)};
    return cell;
}

bool TerminalPane::selected(long line, int column) const
{
    if (!has_selection_)
        return false;
    long from_line = select_from_line_, to_line = select_to_line_;
    int from_column = select_from_column_, to_column = select_to_column_;
    if (from_line > to_line || (from_line == to_line && from_column > to_column)) {
        from_line = select_to_line_;
        to_line = select_from_line_;
        from_column = select_to_column_;
        to_column = select_from_column_;
    }
    if (line < from_line || line > to_line)
        return false;
    if (line == from_line && column < from_column)
        return false;
    return !(line == to_line && column >= to_column);
}

void TerminalPane::paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    if (!dc)
        return;
    HGDIOBJ old_font = SelectObject(dc, font_);
    int rows = terminal_.screen().rows();
    int first = paint.rcPaint.top / cell_height_;
    int last = (paint.rcPaint.bottom + cell_height_ - 1) / cell_height_;
    for (int y = first; y < last && y < rows; ++y) {
        int length = 0;
        long line = 0;
        const Cell* cells = shown_row(y, &length, &line);
        paint_row(dc, y, cells, length, line);
    }
    // Below the last row and right of the last column: the background.
    RECT client;
    GetClientRect(window_, &client);
    HBRUSH background = CreateSolidBrush(default_background);
    if (background) {
        RECT below = {0, rows * cell_height_, client.right, client.bottom};
        FillRect(dc, &below, background);
        RECT right = {terminal_.screen().columns() * cell_width_, 0, client.right, rows * cell_height_};
        FillRect(dc, &right, background);
        DeleteObject(background);
    }
    SelectObject(dc, old_font);
    EndPaint(window_, &paint);
}

// Runs of cells with the same look are drawn with one call, each character
// placed on its cell, so that the columns line up whatever the font.
void TerminalPane::paint_row(HDC dc, int y, const Cell* cells, int length, long line)
{
    int columns = terminal_.screen().columns();
    bool cursor_here = view_offset_ == 0 && terminal_.cursor_visible() && GetFocus() == window_ &&
                       line - terminal_.screen().scrollback_lines() == terminal_.cursor_row();
    wchar_t text[512];
    int widths[512];
    int x = 0;
    while (x < columns) {
        Cell cell = x < length ? cells[x] : Cell{0, 0, 0, 0, 0};
        bool inverse = ((cell.flags & cell_reverse) != 0) != selected(line, x);
        if (cursor_here && x == terminal_.cursor_column())
            inverse = !inverse;
        int start = x;
        int count = 0;
        while (x < columns && count < 510) {
            Cell next = x < length ? cells[x] : Cell{0, 0, 0, 0, 0};
            bool next_inverse = ((next.flags & cell_reverse) != 0) != selected(line, x);
            if (cursor_here && x == terminal_.cursor_column())
                next_inverse = !next_inverse;
            if (x > start && (next.fg != cell.fg || next.bg != cell.bg || next_inverse != inverse ||
                              (next.flags & ~(cell_wide | cell_wide_tail)) !=
                                  (cell.flags & ~(cell_wide | cell_wide_tail))))
                break;
            ++x;
            if (next.flags & cell_wide_tail) {
                if (count > 0)
                    widths[count - 1] += cell_width_;
                continue;
            }
            uint32_t c = next.ch == 0 || (next.flags & cell_hidden) ? ' ' : next.ch;
            if (c >= 0x10000) {
                text[count] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
                widths[count++] = cell_width_;
                text[count] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
                widths[count++] = 0;
                continue;
            }
            text[count] = static_cast<wchar_t>(c);
            widths[count++] = cell_width_;
        }
        COLORREF foreground = colour_of(cell.fg, default_foreground);
        COLORREF background = colour_of(cell.bg, default_background);
        if (inverse) {
            COLORREF swap = foreground;
            foreground = background;
            background = swap;
        }
        SetTextColor(dc, foreground);
        SetBkColor(dc, background);
        SelectObject(dc, (cell.flags & cell_bold) ? bold_font_ : font_);
        RECT box = {start * cell_width_, y * cell_height_, x * cell_width_, (y + 1) * cell_height_};
        ExtTextOutW(dc, box.left, box.top, ETO_OPAQUE | ETO_CLIPPED, &box, text, static_cast<UINT>(count), widths);
        if (cell.flags & cell_underline) {
            RECT line_box = {box.left, box.bottom - 1, box.right, box.bottom};
            HBRUSH brush = CreateSolidBrush(foreground);
            if (brush) {
                FillRect(dc, &line_box, brush);
                DeleteObject(brush);
            }
        }
    }
}

void TerminalPane::copy()
{
    // The text of the lines as UTF-16, rows joined by CR LF.
    const CellScreen& screen = terminal_.screen();
    long first = screen.scrollback_lines();
    long last = first + screen.rows() - 1;
    if (has_selection_) {
        first = select_from_line_ < select_to_line_ ? select_from_line_ : select_to_line_;
        last = select_from_line_ < select_to_line_ ? select_to_line_ : select_from_line_;
    }
    SIZE_T room = static_cast<SIZE_T>(last - first + 1) * (static_cast<SIZE_T>(screen.columns()) * 2 + 2) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, room * sizeof(wchar_t));
    if (!block)
        return;
    wchar_t* text = static_cast<wchar_t*>(GlobalLock(block));
    wchar_t* at = text;
    for (long line = first; line <= last; ++line) {
        if (line != first) {
            *at++ = L'\r';
            *at++ = L'\n';
        }
        int length = 0;
        const Cell* cells;
        if (line < screen.scrollback_lines()) {
            cells = screen.scrollback_line(static_cast<int>(line), &length);
        } else {
            cells = screen.row(static_cast<int>(line - screen.scrollback_lines()));
            length = screen.columns();
        }
        wchar_t* row = at;
        for (int x = 0; x < length && x < screen.columns(); ++x) {
            if (has_selection_ && !selected(line, x))
                continue;
            if (cells[x].flags & cell_wide_tail)
                continue;
            uint32_t c = cells[x].ch == 0 ? ' ' : cells[x].ch;
            if (c >= 0x10000) {
                *at++ = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
                *at++ = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                *at++ = static_cast<wchar_t>(c);
            }
        }
        while (at > row && at[-1] == L' ')
            --at;
    }
    *at = L'\0';
    GlobalUnlock(block);
    put_text_on_clipboard(window_, block);
}

// The clipboard's text as UTF-8, line ends as Enter, framed as a paste when
// the device asked for that.
void TerminalPane::paste()
{
    if (!OpenClipboard(window_))
        return;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (text) {
        int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        char* utf8 = length > 0 ? static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length * 2 + 16)) : nullptr;
        if (utf8) {
            WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, length, nullptr, nullptr);
            char* framed = utf8 + length;
            size_t count = encode_paste(utf8, static_cast<size_t>(length - 1), terminal_.bracketed_paste(), framed);
            scroll_view(-view_offset_);
            send(framed, count);
            HeapFree(GetProcessHeap(), 0, utf8);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
}

// "Quorvex - COM7" becomes "Quorvex - COM7 - <the device's title>".
void TerminalPane::show_title()
{
    if (!base_title_[0])
        GetWindowTextW(dialog_, base_title_, sizeof base_title_ / sizeof base_title_[0]);
    wchar_t title[300];
    lstrcpynW(title, base_title_, 64);
    wchar_t device[200];
    int got = MultiByteToWideChar(CP_UTF8, 0, terminal_.title(), -1, device, 200);
    if (got > 1)
        wsprintfW(title + lstrlenW(title), L" - %s", device);
    SetWindowTextW(dialog_, title);
}
