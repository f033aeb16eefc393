// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where the program's own text files belong, decided from what the program's
// folder holds; the callers look at the file system and pass what they saw.
namespace locationrules {

// What the folder that holds the program looks like.
struct ProgramFolder {
    QString path;
    // readme.txt lies beside the program: the build tree or a portable copy.
    bool hasHelpText = false;
    // voludef.txt lies beside the program: a portable copy, with or without
    // the guide.
    bool hasSettingsFile = false;
    bool writable = false;
};

// The folder for voludef.txt. A settings file beside the program is always
// used there (a portable copy); a build tree or a copy with the guide keeps it
// beside the program while that folder can be written; an installed program,
// whose help text lives under share/, keeps it in configFolder.
QString settingsFolder(const ProgramFolder &program, const QString &configFolder);

// The places of readme.txt in the order "?" tries them: beside the program,
// then helpFromProgram (a path relative to the program's folder, where an
// installed tree keeps it, so a moved prefix still finds it), then "doc/volutra"
// under each of dataFolders.
QStringList helpFileCandidates(const QString &programFolder, const QString &helpFromProgram,
                               const QStringList &dataFolders);

} // namespace locationrules
