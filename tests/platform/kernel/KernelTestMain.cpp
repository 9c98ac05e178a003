// The kernel kit's test program: runs the tests, or a helper process when started with
// --helper. Tests publish their ports in a runtime folder of their own, removed at the end.

#include "HelperProcess.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "--helper") == 0)
        return run_helper(std::vector<std::string>(argv + 2, argv + argc));

    TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
