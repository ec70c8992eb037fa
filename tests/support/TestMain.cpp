#include <QCoreApplication>

#include <gtest/gtest.h>

// Qt's process and thread classes expect an application object; tests never run its event loop.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
