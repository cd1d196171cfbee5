// The tests' main: GoogleTest's, then the leak check while the GL driver is still loaded.
#include <gtest/gtest.h>

#include "platform/LeakCheck.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  platform::checkLeaksNow();
  return result;
}
