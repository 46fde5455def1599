#include "framework/custom_control.h"
#include "framework/program_instance.h"

HCURSOR click_cursor = nullptr;

namespace {

struct RegistryNode {
    int control_id;
    RegistryNode* next;
    CustomControl* object;
};

// Filled during static initialisation and only read afterwards; the nodes
// live as long as the process.
RegistryNode* registry_head = nullptr;

}  // namespace

CustomControl::CustomControl(int id) : control_id(id)
{
    registry_head = new RegistryNode{id, registry_head, this};
}

CustomControl* find_custom_control(int control_id)
{
    for (RegistryNode* node = registry_head; node; node = node->next)
        if (node->control_id == control_id)
            return node->object;
    return nullptr;
}

void register_all_custom_classes()
{
    for (RegistryNode* node = registry_head; node; node = node->next)
        node->object->register_class();
}

ATOM register_custom_class(const char* class_name)
{
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = custom_control_proc;
    window_class.hInstance = program_instance;
    window_class.lpszClassName = class_name;
    return RegisterClassA(&window_class);
}

LRESULT CALLBACK custom_control_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    CustomControl* object = find_custom_control(GetDlgCtrlID(window));
    if (!object)
        return DefWindowProcA(window, msg, wparam, lparam);
    switch (msg) {
    case WM_CREATE:       object->on_create(window); return 0;
    case WM_DESTROY:      object->on_destroy(); return 0;
    case WM_SIZE:         object->on_size(wparam, lparam); return 0;
    case WM_SETFOCUS:     object->on_set_focus(); return 0;
    case WM_PAINT:        object->on_paint(); return 0;
    case WM_SETCURSOR:    object->on_set_cursor(); return 0;
    case WM_DRAWITEM:     object->on_draw_item(wparam, lparam); return 0;
    case WM_COMMAND:      object->on_command(wparam, lparam); return 0;
    case WM_MOUSEMOVE:    object->on_mouse_move(wparam, lparam); return 0;
    case WM_LBUTTONDOWN:  object->on_lbutton_down(wparam, lparam); return 0;
    case WM_LBUTTONUP:    object->on_lbutton_up(wparam, lparam); return 0;
    default:              return DefWindowProcA(window, msg, wparam, lparam);
    }
}

void CustomControl::notify_parent(UINT code)
{
    notify_header.hwndFrom = hwnd;
    notify_header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    notify_header.code = code;
    SendMessageA(GetParent(hwnd), WM_NOTIFY, static_cast<WPARAM>(control_id),
                 reinterpret_cast<LPARAM>(&notify_header));
}

void CustomControl::on_set_cursor()
{
    if (interactive)
        SetCursor(click_cursor);
}

void CustomControl::on_lbutton_up(WPARAM, LPARAM)
{
    if (interactive)
        notify_parent(WM_LBUTTONUP);
}

void CustomControl::on_command(WPARAM, LPARAM) {}
void CustomControl::on_create(HWND) {}
void CustomControl::on_destroy() {}
void CustomControl::on_draw_item(WPARAM, LPARAM) {}
void CustomControl::on_lbutton_down(WPARAM, LPARAM) {}
void CustomControl::on_mouse_move(WPARAM, LPARAM) {}
void CustomControl::on_paint() {}
void CustomControl::on_set_focus() {}
void CustomControl::on_size(WPARAM, LPARAM) {}
