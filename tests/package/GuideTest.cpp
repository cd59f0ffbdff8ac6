// The user guide Help opens explains the texts the program shows: every result text, status text
// and message it can show is named in the guide, so a text that changes in the program and not
// in the guide is caught here.

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <string>
#include <string_view>
#include <vector>

#include "app/Ports.h"
#include "app/QORForm.h"
#include "device/Workspace.h"
#include "fuse/FuseControl.h"
#include "link/Identify.h"
#include "link/Link.h"
#include "ops/Texts.h"

using namespace kvqor;

namespace {

// The guide as a reader sees it: tags gone, entities resolved, runs of white space as one blank.
QString GuideText() {
    QFile f(QStringLiteral(KVQOR_HELP_SOURCE));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&hellip;"), QStringLiteral("..."))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

void Add(std::vector<std::string>& texts, const SingleReplyTexts& t) {
    texts.insert(texts.end(), {std::string(t.wait), std::string(t.timeOut), std::string(t.fail),
                               std::string(t.pass), std::string(t.error)});
}

void Add(std::vector<std::string>& texts, const BlockTexts& t) {
    texts.insert(texts.end(),
                 {std::string(t.wait), std::string(t.progress), std::string(t.failPrefix),
                  std::string(t.timeOut), std::string(t.brk), std::string(t.error), std::string(t.pass)});
}

}  // namespace

class GuideTest : public QObject {
    Q_OBJECT

private slots:
    void GuideNamesEveryTextTheProgramShows() {
        const QString guide = GuideText();
        QVERIFY(guide.contains(QStringLiteral("KV-QOR V3.01 User Help")));

        std::vector<std::string> texts;
        for (const SingleReplyTexts* t :
             {&kEraseTexts, &kBlankTexts, &kLock1Texts, &kLock2Texts, &kLock3Texts, &kAutoLockTexts})
            Add(texts, *t);
        Add(texts, kProgramTexts);
        Add(texts, kVerifyTexts);
        texts.insert(texts.end(), {std::string(kReadTexts.wait), std::string(kReadTexts.progress),
                                   std::string(kReadTexts.timeOut), std::string(kReadTexts.brk),
                                   std::string(kReadTexts.error), std::string(kReadTexts.checksumError),
                                   std::string(kReadTexts.pass), std::string(kCommandAbort),
                                   std::string(kAutoProgramPass), std::string(kComportNotConnect)});
        // The link.
        texts.insert(texts.end(), {std::string(kWaitingToInitial), HardwareFoundStatus("Com2"),
                                   std::string(kHardwareNotFound), std::string(kStopQuestion),
                                   std::string(kComportNotFound)});
        // Files and the part.
        texts.insert(texts.end(), {std::string(kBufferOverEnd), std::string(kOpenFileError),
                                   std::string(kFormatIntelHexError), std::string(kReadFileError),
                                   std::string(kSaveFileError), DataOverFFFFText(12), BadChecksumText(3)});
        // The fuse window.
        for (const FuseReadTexts* t : {&kReadFuseTexts, &kReadLockTexts}) {
            texts.insert(texts.end(), {std::string(t->waiting), std::string(t->timeOut),
                                       std::string(t->error), std::string(t->complete)});
        }
        texts.insert(
            texts.end(),
            {std::string(kFuseTitlePrefix), std::string(kCancleCaption), std::string(kCanNotReadFuse),
             std::string(kWaitingToWriteFuse), std::string(kProgramFuseTimeOut),
             std::string(kProgramFuseError), std::string(kWaitingToVerifyFuse),
             std::string(kProgramFuseComplete), std::string(kVerifyFuseError), std::string(kWriteFuseError),
             std::string(kNotFuseOnDevice), std::string(kEnableProgram), std::string(kDisableErase),
             std::string(kNotPresent), ChooseFuseFirstText("SPIEN")});
        // The window's own.
        for (const QString& t : {app::kSimulatedProgrammer, app::kOverwriteQuestion})
            texts.push_back(t.toStdString());

        QStringList missing;
        for (const std::string& t : texts) {
            const QString text = QString::fromStdString(t).simplified();
            if (!guide.contains(text))
                missing << text;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the guide: ") + missing.join(" | ")));
    }
};

QTEST_MAIN(GuideTest)
#include "GuideTest.moc"
