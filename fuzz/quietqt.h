// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// The start of a fuzz target that reads through Qt: broken files make Qt
// warn on every run ("QBuffer::seek: Invalid pos"), which would bury the
// fuzzer's own output, so Qt's messages are silenced. Decoding needs no
// application object. Included by the target's one source file.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}
