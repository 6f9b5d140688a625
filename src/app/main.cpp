// The program entry: one running copy per user; a later copy hands its first argument to the
// running one and ends without a window.
#include "ProgramEntry.h"

int main(int argc, char** argv) {
    return RunStudentProgram(argc, argv, ProgramEnvironment{});
}
