#include "ui/PathText.h"

#include <QTest>

using namespace tavrel;

class PathTextTest : public QObject {
    Q_OBJECT
private slots:
    void extensionSwitch_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sdf to tsd") << "C:\\data\\run.sdf"
                                    << ".tsd"
                                    << "C:\\data\\run.tsd";
        QTest::newRow("and back") << "C:\\data\\run.tsd"
                                  << ".sdf"
                                  << "C:\\data\\run.sdf";
        QTest::newRow("no extension") << "C:\\data\\run"
                                      << ".tsd"
                                      << "C:\\data\\run.tsd";
        QTest::newRow("dot in directory") << "C:\\data.old\\run"
                                          << ".tsd"
                                          << "C:\\data.old\\run.tsd";
        QTest::newRow("unix dot in directory") << "/home/a.b/run"
                                               << ".sdf"
                                               << "/home/a.b/run.sdf";
        QTest::newRow("two dots") << "/d/run.1.sdf"
                                  << ".tsd"
                                  << "/d/run.1.tsd";
        QTest::newRow("drive only") << "C:run.sdf"
                                    << ".tsd"
                                    << "C:run.tsd";
        QTest::newRow("empty") << ""
                               << ".sdf"
                               << ".sdf";
        QTest::newRow("japanese name") << "/データ/計測.sdf"
                                       << ".tsd"
                                       << "/データ/計測.tsd";
    }
    void extensionSwitch() {
        QFETCH(QString, path);
        QFETCH(QString, ext);
        QFETCH(QString, expected);
        QCOMPARE(ChangeFileExt(path, ext), expected);
    }

    void extension() {
        QCOMPARE(ExtractFileExt("/a/b.apm"), QString(".apm"));
        QCOMPARE(ExtractFileExt("/a.b/c"), QString());
        QCOMPARE(ExtractFileExt("C:\\x.y\\run.SDF"), QString(".SDF"));
    }

    void directoryPart_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows dir") << "C:\\data\\run1.sdf"
                                     << "C:\\data";
        QTest::newRow("drive root") << "C:\\run1.sdf"
                                    << "C:\\";
        QTest::newRow("bare name") << "run1.sdf"
                                   << "";
        QTest::newRow("drive colon") << "C:run1.sdf"
                                     << "C:";
        QTest::newRow("unix dir") << "/tmp/x/run.sdf"
                                  << "/tmp/x";
        QTest::newRow("unix root") << "/run.sdf"
                                   << "/";
        QTest::newRow("double separator") << "\\\\server\\run.sdf"
                                          << "\\\\server";
        QTest::newRow("doubled inside") << "/tmp//run.sdf"
                                        << "/tmp//";
        QTest::newRow("kanji with 0x5C byte") << "C:\\表\\ソ.sdf"
                                              << "C:\\表";
    }
    void directoryPart() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ExtractFileDir(path), expected);
    }
};

QTEST_GUILESS_MAIN(PathTextTest)
#include "PathTextTest.moc"
