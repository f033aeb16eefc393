// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "failure.h"

#include <QImage>

#include <optional>

class QPrinter;

namespace printing {

// Prints the picture on one page of the printer, as large as the printable
// area allows while keeping its proportions, centred at the top.
std::optional<Failure> printImage(QPrinter &printer, const QImage &image);

} // namespace printing
