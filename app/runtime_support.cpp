// Small stand-ins for the parts of the C++ runtime that the program uses, so
// that the executable does not carry the runtime's exception machinery: the
// program is built without exceptions and allocates little.
#include <windows.h>
#include <cstddef>

void* operator new(std::size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* block) noexcept
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

void operator delete[](void* block) noexcept
{
    operator delete(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    operator delete(block);
}

// Called only if a pure virtual operation is reached through a broken object.
extern "C" void __cxa_pure_virtual()
{
    ExitProcess(3);
}
