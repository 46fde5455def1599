// Swaps a function that this test program imports from a system DLL for a
// stand-in, for the life of the object, so that a test can see the exact
// arguments the product code passes, or make a call fail on purpose.
#pragma once
#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the program does not import that function (or there was
    // no replacement): nothing was changed.
    bool active() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
