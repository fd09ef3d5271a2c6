// main() for test programs that need a QApplication (widgets, item models).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TarselB2B"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarsel Otomotiv B2B Programı"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
