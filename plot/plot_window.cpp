// The plot window's life, input and commands; the drawing is in
// plot_frame.cpp.
#include "plot/plot_window.h"
#include "plot/beside_window.h"
#include "plot/y_range_dialog.h"
#include "framework/file_dialog.h"
#include "framework/dpi.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"
#include "text/plot_csv.h"

namespace {

// The window's class name and title.
const char plot_class[] = "Quorvex Plot";

int write_to_file(void* file, const char* bytes, int count)
{
    DWORD written = 0;
    return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == static_cast<DWORD>(count);
}

int plot_class_registered = 0;

}  // namespace

PlotWindow::PlotWindow()
{
    style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
}

int PlotWindow::register_class()
{
    return register_window_kind_class(plot_class, plot_class_registered);
}

// The messages the framework's table leaves to this function; 1 when one is
// handled here, 0 to leave it to Windows.
int PlotWindow::on_default_message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_ERASEBKGND:       return 1;  // each frame covers the whole window
    case WM_WINDOWPOSCHANGED: place_changed(); return 0;  // Windows then sends WM_SIZE
    case WM_GETMINMAXINFO:    on_min_max_info(reinterpret_cast<MINMAXINFO*>(lparam)); return 1;
    case WM_DPICHANGED:       on_dpi_changed(wparam, reinterpret_cast<const RECT*>(lparam)); return 1;
    case WM_MOUSELEAVE:       hover_x = -1; redraw(); return 1;
    default:                  return 0;
    }
}

int PlotWindow::on_create()
{
    return 1;
}

// Windows' own handling of these keeps the menu's keys (Alt, F10), Alt+F4
// and the caption's right-click menu.
void PlotWindow::on_context_menu(WPARAM wparam, LPARAM lparam)
{
    DefWindowProcA(hwnd, WM_CONTEXTMENU, wparam, lparam);
}

void PlotWindow::on_sys_key_down(WPARAM wparam, LPARAM lparam)
{
    DefWindowProcA(hwnd, WM_SYSKEYDOWN, wparam, lparam);
}

void PlotWindow::on_sys_key_up(WPARAM wparam, LPARAM lparam)
{
    DefWindowProcA(hwnd, WM_SYSKEYUP, wparam, lparam);
}

void PlotWindow::on_lbutton_down(WPARAM, LPARAM)
{
    toggle_pause();
}

int PlotWindow::show(HWND owner, PlotSettings& settings, const RECT* place, int32_t& changed)
{
    settings_ = &settings;
    changed_ = &changed;
    samples.set_capacity(settings.points);
    reader.reset();
    paused = 0;
    hover_x = -1;
    frames = 0;
    tracking_ = 0;
    register_class();
    dpi_ = window_dpi(owner);
    pad_ = scale_to_dpi(6, dpi_);
    // Where it was last, else beside the main window rather than over it.
    RECT rect = place ? *place
                      : beside_window(owner, scale_to_dpi(560, dpi_), scale_to_dpi(360, dpi_));
    if (!create_window(plot_class, owner, nullptr, plot_class, rect.left, rect.top,
                       rect.right - rect.left, rect.bottom - rect.top))
        return 0;
    menu_ = LoadMenuA(program_instance, MAKEINTRESOURCEA(IDM_PLOT_WINDOW));
    SetMenu(hwnd, menu_);
    set_scale(window_dpi(hwnd));
    GetWindowRect(hwnd, &last_place_);
    tracking_ = 1;
    return 1;
}

void PlotWindow::on_destroy()
{
    if (frame_)
        DeleteObject(frame_);
    if (font_)
        DeleteObject(font_);
    frame_ = nullptr;
    font_ = nullptr;
    area_width_ = 0;
    samples.clear();
    // Later messages of the dying window go to Windows alone.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    hwnd = nullptr;
}

void PlotWindow::feed(const char* bytes, int count)
{
    feed(bytes, count, GetTickCount());
}

void PlotWindow::feed(const char* bytes, int count, uint32_t time_ms)
{
    if (!hwnd)
        return;
    uint32_t before = samples.end();
    reader.feed(bytes, count, samples, time_ms);
    if (samples.end() == before)
        return;
    fresh_ = 1;
    if (!paused)
        columns.follow(samples);
}

void PlotWindow::refresh()
{
    if (hwnd && fresh_ && !paused)
        redraw();
}

void PlotWindow::clear()
{
    if (!hwnd)
        return;
    samples.clear();
    reader.reset();
    columns.rebuild(samples, 0, 0, area_width_);
    redraw();
}

void PlotWindow::redraw()
{
    fresh_ = 0;
    stale_ = 1;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void PlotWindow::toggle_pause()
{
    paused = !paused;
    CheckMenuItem(menu_, IDM_PLOT_PAUSE, paused ? MF_CHECKED : MF_UNCHECKED);
    if (!paused)
        columns.rebuild(samples, samples.first(), samples.end(), area_width_);
    redraw();
}

// Columns as wide as the plot area: the newest samples when following,
// what is still kept of the held picture when paused.
void PlotWindow::columns_for_width()
{
    RECT client;
    GetClientRect(hwnd, &client);
    area_width_ = client.right - 2 * pad_;
    uint32_t first = paused && columns.first() > samples.first() ? columns.first() : samples.first();
    columns.rebuild(samples, first, paused ? columns.end() : samples.end(), area_width_);
}

void PlotWindow::on_size(WPARAM kind, LPARAM)
{
    if (kind == SIZE_MINIMIZED)
        return;
    if (frame_)
        DeleteObject(frame_);
    frame_ = nullptr;
    columns_for_width();
    stale_ = 1;
}

void PlotWindow::set_scale(UINT new_dpi)
{
    dpi_ = new_dpi;
    pad_ = scale_to_dpi(6, dpi_);
    if (font_)
        DeleteObject(font_);
    font_ = CreateFontA(-MulDiv(9, static_cast<int>(dpi_), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                        DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg 2");
    columns_for_width();
    redraw();
}

// A move or a new size of the normal window is kept for the next run.
void PlotWindow::place_changed()
{
    RECT now;
    if (!tracking_ || (GetWindowLongPtrA(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)) ||
        !GetWindowRect(hwnd, &now) || EqualRect(&now, &last_place_))
        return;
    last_place_ = now;
    settings_->window = now;
    settings_->has_window = 1;
    *changed_ = 1;
}

void PlotWindow::on_min_max_info(MINMAXINFO* info)
{
    info->ptMinTrackSize = POINT{scale_to_dpi(240, dpi_), scale_to_dpi(160, dpi_)};
}

void PlotWindow::on_dpi_changed(WPARAM wparam, const RECT* suggested)
{
    set_scale(LOWORD(wparam));
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlotWindow::on_close()
{
    SendMessageA(GetWindow(hwnd, GW_OWNER), WM_COMMAND, IDM_PLOT, 0);
}

void PlotWindow::on_command(WPARAM wparam, LPARAM)
{
    switch (LOWORD(wparam)) {
    case IDM_PLOT_SAVE_CSV: choose_csv_file(); break;
    case IDM_PLOT_PAUSE:    toggle_pause(); break;
    case IDM_PLOT_Y_RANGE:  choose_y_range(); break;
    default:                break;
    }
}

// The window's keys: its menu's Ctrl+S and Space, and Escape to close it.
void PlotWindow::on_key_down(WPARAM key, LPARAM)
{
    if (key == VK_ESCAPE)
        on_close();
    else if (key == VK_SPACE)
        toggle_pause();
    else if (key == 'S' && GetKeyState(VK_CONTROL) < 0)
        choose_csv_file();
}

void PlotWindow::on_mouse_move(WPARAM, LPARAM lparam)
{
    if (hover_x < 0) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
    }
    hover_x = static_cast<short>(LOWORD(lparam));
    redraw();
}

// The Y range dialog starts from the range shown, fixed or fitted; OK takes
// the new one.
void PlotWindow::choose_y_range()
{
    YRangeDialog dialog;
    double range[2];
    char texts[2][sizeof range_texts[0] + 3];
    int lengths[2];
    y_range(range, texts, lengths);
    for (int i = 0; i < 2; ++i)
        lstrcpynA(dialog.texts[i], texts[i], sizeof dialog.texts[i]);
    if (dialog.run(hwnd) != 1)
        return;
    fixed_y = dialog.fixed;
    bottom = dialog.values[0];
    top = dialog.values[1];
    for (int i = 0; i < 2; ++i)
        lstrcpynA(range_texts[i], dialog.texts[i], sizeof range_texts[i]);
    redraw();
}

void PlotWindow::choose_csv_file()
{
    wchar_t path[MAX_PATH] = {};
    if (!choose_file(hwnd, path, true, L"CSV (*.csv)\0*.csv\0", L"csv") || save_csv(path))
        return;
    // Windows' own words for what went wrong ("There is not enough space on
    // the disk.").
    char why[256];
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        csv_error_, 0, why, sizeof why, nullptr))
        why[0] = '\0';
    MessageBoxA(hwnd, why, plot_class, MB_OK | MB_ICONEXCLAMATION);
}

// A file that could not be written whole is deleted rather than left cut;
// the error of the failed step is kept for the message.
int PlotWindow::save_csv(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        csv_error_ = GetLastError();
        return 0;
    }
    int written = write_plot_csv(samples, write_to_file, file);
    DWORD error = GetLastError();
    if (!CloseHandle(file) && written) {
        written = 0;
        error = GetLastError();
    }
    if (!written) {
        DeleteFileW(path);
        csv_error_ = error;
    }
    return written;
}
