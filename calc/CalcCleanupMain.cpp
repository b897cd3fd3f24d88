// gombrel-calc-cleanup FOLDER: removes what the Calc session in FOLDER
// leaves (its sockets, its lock files, its folder) once the program that
// made the session has ended, however it ended (SessionCleanup.h).  Reads,
// from standard input, the process id of each Calc the session starts, until
// the input ends with the program; then waits for the last Calc to end,
// since it is killed with its program, and removes the files.  A session
// that ended as it should has removed them already; nothing is left to do.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "CalcProfile.h"
#include "ChildProcess.h"

namespace {

using namespace std::chrono_literals;

// Calc is killed at once with its program; should it be kept from ending,
// its files go all the same after this.
constexpr auto kCalcEndLimit = 10s;

void AwaitProcessEnd(int iProcessId)
{
    const auto deadline = std::chrono::steady_clock::now() + kCalcEndLimit;
    while (ProcessRunning(iProcessId) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: gombrel-calc-cleanup FOLDER (started by the Calc connection)\n";
        return 2;
    }
    int calc = -1;
    for (std::string line; std::getline(std::cin, line);)
        calc = std::atoi(line.c_str());
    AwaitProcessEnd(calc);
    RemoveSession(argv[1]);
    return 0;
}
