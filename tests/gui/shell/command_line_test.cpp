// The main program's arguments are parsed strictly: mistakes are usage errors, never a start
// on some other data root.

#include <QtTest>

#include "gui/shell/command_line.h"

using namespace zirvo::gui;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void AcceptsRootAndAddress() {
        const auto line =
            ParseCommandLine({QStringLiteral("zirvo"), QStringLiteral("--root"),
                              QStringLiteral("/tmp/r"), QStringLiteral("qova://http://h/f.xml")});
        QCOMPARE(line.action, CommandLine::Action::Run);
        QCOMPARE(line.root, QStringLiteral("/tmp/r"));
        QCOMPARE(line.url, QStringLiteral("qova://http://h/f.xml"));
        const auto eq = ParseCommandLine({QStringLiteral("zirvo"), QStringLiteral("--root=/x")});
        QCOMPARE(eq.root, QStringLiteral("/x"));
        QVERIFY(eq.url.isEmpty());
    }

    void RefusesMistakesAsUsageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--rot"), QStringLiteral("/x")};
        QTest::newRow("root without folder") << QStringList{QStringLiteral("--root")};
        QTest::newRow("root empty") << QStringList{QStringLiteral("--root=")};
        QTest::newRow("root twice")
            << QStringList{QStringLiteral("--root=/a"), QStringLiteral("--root=/b")};
        QTest::newRow("two addresses")
            << QStringList{QStringLiteral("http://a"), QStringLiteral("http://b")};
        QTest::newRow("blank address") << QStringList{QStringLiteral("  ")};
    }
    void RefusesMistakesAsUsageErrors() {
        QFETCH(QStringList, args);
        args.prepend(QStringLiteral("zirvo"));
        const auto line = ParseCommandLine(args);
        QCOMPARE(line.action, CommandLine::Action::UsageError);
        QVERIFY(!line.error.isEmpty());
        QVERIFY(line.root.isEmpty() || args.contains(QStringLiteral("--root=/a")));
    }

    void HelpAndVersionWin() {
        QCOMPARE(ParseCommandLine({QStringLiteral("zirvo"), QStringLiteral("--help")}).action,
                 CommandLine::Action::Help);
        QCOMPARE(ParseCommandLine({QStringLiteral("zirvo"), QStringLiteral("--version")}).action,
                 CommandLine::Action::Version);
        // After "--" a dash-led word is an address, not an option.
        const auto line = ParseCommandLine(
            {QStringLiteral("zirvo"), QStringLiteral("--"), QStringLiteral("-odd")});
        QCOMPARE(line.url, QStringLiteral("-odd"));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
