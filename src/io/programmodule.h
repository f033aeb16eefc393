// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The program's modules (the window, the painter, the encoders): parts loaded
// only when they are needed, so that a command starts without their
// libraries. One place knows where they lie.
namespace programmodule {

// The places tried for `fileName`, in order: beside the program (the build
// tree, a portable copy), the folder above it (the build tree's tests), then
// `fromProgram`, the installed module folder seen from the program's folder.
QStringList places(const QString &programFolder, const QString &fileName, const QString &fromProgram);

// Loads `fileName` from the first place that holds it and returns its
// function `entry`; null, with `why` set, when none loads or offers it.
void *load(const QString &fileName, const char *entry, QString &why);

} // namespace programmodule
