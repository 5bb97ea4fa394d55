// tcab: builds, lists and extracts cabinet files.
#include "tools/tcab/CancelRequest.h"
#include "tools/tcab/Commands.h"
#include "tools/tcab/ProgressLine.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    tcab::WatchForCancel();
    return tcab::Run(std::vector<std::string>(argv + 1, argv + argc),
                     tcab::Console{std::cout, std::cerr, tcab::IsTerminal(STDERR_FILENO), tcab::Verbosity::Normal});
}
