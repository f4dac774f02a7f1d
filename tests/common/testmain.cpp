#include "testmain.h"

#ifdef PEMO_GUILESS
#include <QCoreApplication>
#else
#include <QApplication>
#endif
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <vector>

namespace {
struct Entry {
    const char *name;
    PemoTest::Factory factory;
};
std::vector<Entry> &registry()
{
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

int PemoTest::registerTest(const char *name, Factory factory)
{
    registry().push_back({name, std::move(factory)});
    return int(registry().size());
}

QString PemoTest::sourcePath(const QString &relative)
{
    QString root = qEnvironmentVariable("PEMO_SOURCE_DIR");
    if (root.isEmpty())
        root = QStringLiteral(PEMO_TEST_SOURCE_DIR);
    return QDir(root).filePath(relative);
}

// Usage: test_x [-only Class[,Class]] [Qt Test options...]
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    // Data the program keeps for the user (recovery copies) goes to a
    // temporary folder as well, never to the real one.
    QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir.path()));
#ifdef PEMO_GUILESS
    QCoreApplication app(argc, argv);
#else
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
#endif
    // Whatever a test remembers goes to a folder of its own that disappears
    // with the run: the settings of the person running the tests stay as they are.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("PemoTests"));
    QStringList args = app.arguments();
    QStringList only;
    int at = args.indexOf(QStringLiteral("-only"));
    if (at > 0 && at + 1 < args.size()) {
        only = args.at(at + 1).split(u',');
        args.remove(at, 2);
    }
    int failures = 0;
    for (const Entry &e : registry()) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(e.name)))
            continue;
        QObject *test = e.factory();
        failures += QTest::qExec(test, args);
        delete test;
    }
    return failures == 0 ? 0 : 1;
}
