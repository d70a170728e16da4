#include <gtest/gtest.h>

#include "support/TestPlatform.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  ostrel::test::PrepareProcess();
  return RUN_ALL_TESTS();
}
