// main() of the grid tests: a QApplication (widgets, item models) with the
// Turkish locale, so texts such as 1.234,50 do not depend on the machine.
#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
