#pragma once
// A clean world for one test: a temporary settings folder, link state at its start-up values,
// English texts, the port closed, no serial devices but those a test lists.

#include "support/fixed_devices.h"

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
    FixedSerialDevices noDevices_;
};

}  // namespace kz::test
