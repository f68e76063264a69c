#pragma once

#include <QString>

namespace shoupai {

// The places that decide the program's home folder (system.ini and the embedded
// database). Kept apart from the process so that tests can name their own.
struct HomeFolderPlaces
{
    QString chosen;           // --home or SHOUPAI_HOME; empty when neither is given
    QString executableFolder; // a build folder or a portable copy when it holds a system.ini
    QString perUserFolder;    // the user's data folder of an installed program
    QString shippedIni;       // the template installed with the program

    // The places of this process; `chosen` is the --home value, SHOUPAI_HOME when empty.
    static HomeFolderPlaces ofThisProgram(const QString& homeOption);
};

struct HomeFolder
{
    QString path;
    // Why the per-user folder could not be prepared; empty when all went well.
    QString problem;
};

// The chosen folder; else the executable's folder when it holds a system.ini;
// else the per-user folder, created with a copy of the shipped system.ini when
// it has none (an existing one is left alone).
HomeFolder chooseHomeFolder(const HomeFolderPlaces& places);

} // namespace shoupai
