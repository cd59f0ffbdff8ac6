#include "app/ProgramInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace kvqor::app {

namespace {

bool Asks(const QStringList& arguments, QLatin1StringView shortName, QLatin1StringView longName) {
    // The first argument is the program's own name; a "--" ends the options, as usual.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1StringView("--"))
            return false;
        if (arguments[i] == shortName || arguments[i] == longName)
            return true;
    }
    return false;
}

bool AsksHelp(const QStringList& arguments) {
    return Asks(arguments, QLatin1StringView("-h"), QLatin1StringView("--help"));
}

bool AsksVersion(const QStringList& arguments) {
    return Asks(arguments, QLatin1StringView("-V"), QLatin1StringView("--version"));
}

constexpr QLatin1StringView kUsage(
    "Usage: kvqor [--version] [--help] [Qt options]\n"
    "\n"
    "The desktop program for the KV-QOR programmer of AT89C, AT89S and AT90S\n"
    "microcontrollers. Without options it opens its window; other arguments go to Qt,\n"
    "e.g. -platform offscreen. The command-line program is kvqor-cli.\n"
    "\n"
    "  -h, --help      show this text\n"
    "  -V, --version   show the version\n"
    "\n");

}  // namespace

QString ProgramVersion() {
    return QStringLiteral(KVQOR_VERSION);
}

QString FindHelpFile(const QString& programDir, const QString& fileName) {
    const QDir dir(programDir);
    const QString beside = dir.filePath(fileName);
    const QString installed =
        QDir::cleanPath(dir.filePath(QStringLiteral(KVQOR_HELP_DIR_FROM_BIN "/") + fileName));
    for (const QString& candidate : {beside, installed}) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return beside;
}

bool IsInfoRequest(const QStringList& arguments) {
    return AsksHelp(arguments) || AsksVersion(arguments);
}

int AnswerInfoRequest(const QStringList& arguments, const QString& helpFile, QTextStream& out) {
    if (AsksHelp(arguments)) {
        out << kUsage << "User guide: " << QDir::toNativeSeparators(helpFile);
        if (!QFileInfo(helpFile).isFile())
            out << " (missing)";
        out << '\n';
    } else {
        out << "kvqor " << ProgramVersion() << '\n';
    }
    out.flush();
    return 0;
}

}  // namespace kvqor::app
