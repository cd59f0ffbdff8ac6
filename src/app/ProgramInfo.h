#pragma once
// What the program says about itself: its version, where its user guide is, and the answers to
// --version and --help, which come before any window is opened (so they work without a display).

#include <QString>
#include <QStringList>

class QTextStream;

namespace kvqor::app {

// The version of this build, as --version prints it and the About box shows it.
QString ProgramVersion();

// The user guide `fileName` for a program that runs from `programDir`: beside the program (a build
// tree) or in the data folder of an installed tree (bin/../share/kvqor), whichever holds it. When
// neither does, the path beside the program, so that a complaint names where it belongs.
QString FindHelpFile(const QString& programDir, const QString& fileName);

// True when the arguments (the program's name first) ask for --version or --help.
bool IsInfoRequest(const QStringList& arguments);

// Prints what an info request asks for; `helpFile` is named in the --help text. Returns the exit
// status.
int AnswerInfoRequest(const QStringList& arguments, const QString& helpFile, QTextStream& out);

}  // namespace kvqor::app
