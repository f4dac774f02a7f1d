#pragma once
// Every test folder builds one executable; each test class registers itself
// here with PEMO_TEST and the shared main runs them all in turn.
#include <QObject>
#include <QtTest>
#include <functional>

namespace PemoTest {
using Factory = std::function<QObject *()>;
int registerTest(const char *name, Factory factory);
// Absolute path of a file below the source tree (tests/<folder>/data/...).
QString sourcePath(const QString &relative);
} // namespace PemoTest

#define PEMO_TEST(Class)                                                               \
    static const int pemoTestRegistered_##Class =                                      \
        PemoTest::registerTest(#Class, [] { return static_cast<QObject *>(new Class); });
