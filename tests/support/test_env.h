#pragma once
// A clean world for one test: a temporary settings folder, link state at its start-up values,
// English texts, the port closed.

#include <QTemporaryDir>

namespace kz::test {

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv &) = delete;
    TestEnv &operator=(const TestEnv &) = delete;

    QString configDir() const { return dir_.path(); }
    // Writes "key=value" lines into section Settings of the settings file.
    void writeSetting(const QString &key, const QString &value) const;

private:
    QTemporaryDir dir_;
};

}  // namespace kz::test
