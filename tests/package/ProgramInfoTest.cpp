// What the program says about itself: the version it carries, its answers to --version and --help,
// and where it finds its user guide, in a build tree and in an installed tree.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include "app/AboutBox.h"
#include "app/ProgramInfo.h"
#include "app/QORForm.h"

using namespace kvqor::app;

namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html></html>");
}

QString Answer(const QStringList& arguments, const QString& helpFile) {
    QString text;
    QTextStream out(&text);
    const int status = AnswerInfoRequest(arguments, helpFile, out);
    return status == 0 ? text : QStringLiteral("status %1").arg(status);
}

}  // namespace

class ProgramInfoTest : public QObject {
    Q_OBJECT

private slots:
    void VersionIsTheBuildsVersion() {
        QCOMPARE(ProgramVersion(), QStringLiteral(KVQOR_EXPECTED_VERSION));
        QCOMPARE(Answer({"kvqor", "--version"}, {}), QStringLiteral("kvqor " KVQOR_EXPECTED_VERSION "\n"));
        QCOMPARE(Answer({"kvqor", "-V"}, {}), QStringLiteral("kvqor " KVQOR_EXPECTED_VERSION "\n"));
    }

    void AboutBoxShowsTheSameVersion() {
        TAboutBox about;
        auto* label = about.findChild<QLabel*>(QStringLiteral("ProgramVersion"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("kvqor " KVQOR_EXPECTED_VERSION));
    }

    void InfoRequests_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("info");
        QTest::newRow("no arguments") << QStringList{"kvqor"} << false;
        QTest::newRow("--version") << QStringList{"kvqor", "--version"} << true;
        QTest::newRow("--help after Qt's options")
            << QStringList{"kvqor", "-platform", "offscreen", "--help"} << true;
        QTest::newRow("-h") << QStringList{"kvqor", "-h"} << true;
        QTest::newRow("Qt's options only") << QStringList{"kvqor", "-style", "Fusion"} << false;
        QTest::newRow("after --") << QStringList{"kvqor", "--", "--version"} << false;
        QTest::newRow("program name alone") << QStringList{"--version"} << false;
    }
    void InfoRequests() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, info);
        QCOMPARE(IsInfoRequest(arguments), info);
    }

    void HelpNamesTheGuideAndSaysWhenItIsMissing() {
        QTemporaryDir dir;
        const QString guide = dir.filePath(kHelpFileName);
        const QString missing = Answer({"kvqor", "--help"}, guide);
        QVERIFY(missing.startsWith(QStringLiteral("Usage: kvqor ")));
        QVERIFY(missing.endsWith(QStringLiteral("User guide: ") + guide + QStringLiteral(" (missing)\n")));
        Touch(guide);
        QVERIFY(Answer({"kvqor", "--version", "--help"}, guide)
                    .endsWith(QStringLiteral("User guide: ") + guide + QStringLiteral("\n")));
    }

    // The guide is looked for beside the program first (a build tree), then in the installed data
    // folder found from the program's folder (bin/../share/kvqor).
    void GuideLookup_data() {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("found");
        QTest::newRow("build tree") << true << false << "beside";
        QTest::newRow("installed tree") << false << true << "installed";
        QTest::newRow("both: the copy beside wins") << true << true << "beside";
        QTest::newRow("neither: named beside the program") << false << false << "beside";
    }
    void GuideLookup() {
        QFETCH(bool, beside);
        QFETCH(bool, installed);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral(KVQOR_INSTALLED_BIN_DIR));
        QDir().mkpath(bin);
        const QString besidePath = QDir(bin).filePath(kHelpFileName);
        const QString installedPath =
            prefix.filePath(QStringLiteral(KVQOR_INSTALLED_GUIDE_DIR "/") + kHelpFileName);
        if (beside)
            Touch(besidePath);
        if (installed)
            Touch(installedPath);
        QCOMPARE(FindHelpFile(bin, kHelpFileName),
                 found == QStringLiteral("beside") ? besidePath : installedPath);
    }
};

QTEST_MAIN(ProgramInfoTest)
#include "ProgramInfoTest.moc"
