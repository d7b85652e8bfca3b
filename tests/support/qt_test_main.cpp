// The main of the test programs that show real windows: GoogleTest inside a
// QApplication, which keeps running when a test closes its last window.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  application.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
