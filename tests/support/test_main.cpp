// Entry of every test program. The test programs carry the program's
// resources in their own module, so the instance handle is stored first, as
// the program's entry point does.
#include <gtest/gtest.h>
#include "framework/program_instance.h"

int main(int argc, char** argv)
{
    program_instance = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
