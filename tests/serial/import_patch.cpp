#include "import_patch.h"
#include <cstring>

namespace {

// The import address table entry through which this program calls
// `function` of `dll`, or null.
void** find_import_slot(const char* dll, const char* function)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return nullptr;
    auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
            continue;
        if (descriptor->OriginalFirstThunk == 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

bool write_slot(void** slot, void* value)
{
    DWORD old_protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old_protection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old_protection, &old_protection);
    return true;
}

}  // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
{
    if (!replacement)
        return;
    slot_ = find_import_slot(dll, function);
    if (!slot_)
        return;
    original_ = *slot_;
    if (!write_slot(slot_, replacement))
        slot_ = nullptr;
}

ImportPatch::~ImportPatch()
{
    if (slot_)
        write_slot(slot_, original_);
}
