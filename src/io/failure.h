// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDevice>
#include <QString>

// A failed file, dialog or print operation: an error number and its
// description, as the messages of the program show them.
struct Failure {
    int number = 0;
    QString description;
};

namespace failures {

// Arithmetic and memory.
inline constexpr int Overflow = 6, OutOfMemory = 7;
// Files and folders.
inline constexpr int BadFileName = 52, FileNotFound = 53, DeviceError = 57;
inline constexpr int DiskFull = 61, PastEndOfFile = 62;
inline constexpr int PermissionDenied = 70, AccessError = 75, PathNotFound = 76;
// Pictures and printing; a dialog left without a choice.
inline constexpr int InvalidPicture = 481, PrinterError = 482;
inline constexpr int Cancelled = 32755;

// The description that belongs to an error number.
QString describe(int number);

// A failure with its number and description.
Failure make(int number);

// The failure of an operation on `file` at `path`; `systemError` is errno as
// it stood right after the failing call.
Failure fromFile(const QFileDevice &file, const QString &path, int systemError);

// The number written with one leading blank when it is zero or more, as the
// file and print messages show it (" 62", "-1").
QString numberWithSign(int number);

} // namespace failures
