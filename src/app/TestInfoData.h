#pragma once
// What the test descriptions read of a loaded test.
#include "model/TestLoader.h"
#include "ui/TestInfo.h"

TestInfoData TestInfoFrom(const LoadedTest& loaded);
