#pragma once

#include <QString>
#include <QStringList>

namespace shoupai {

// What the command line asks for. Read before any window exists, so that
// --help and --version work without a display.
struct CommandLine
{
    bool run = true; // start the program; otherwise print and exit with exitCode
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
    QString home; // --home DIR as an absolute path; empty when not given

    // arguments: the whole command line, the program's name first.
    static CommandLine read(const QStringList& arguments);
};

} // namespace shoupai
