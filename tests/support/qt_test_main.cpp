// main() of the Qt tests: a QApplication on the offscreen platform (unless
// a display is named), then GoogleTest.
#include <QtWidgets/QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
