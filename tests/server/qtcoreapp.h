#pragma once
// Gives a GoogleTest binary a QCoreApplication for its whole run (Qt SQL
// loads its driver plugins through it). Include in one source file of the
// test binary.

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace tarsel::test {

class QtCoreAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app_ = new QCoreApplication(argc_, argv_);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    inline static char name_[] = "tarsel-test";
    inline static char *argv_[] = {name_, nullptr};
    inline static int argc_ = 1;
    QCoreApplication *app_ = nullptr;
};

inline ::testing::Environment *const kQtCoreAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtCoreAppEnvironment);

} // namespace tarsel::test
