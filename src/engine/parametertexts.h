// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

// The twelve parameter texts of a figure, in the order the drawing run reads
// them and the parameter file stores them: Text1, Text2, Text3, Text4, Text5,
// Text6, Text13, Text14, Text7, Text8, Text9, Text10.
struct ParameterTexts {
    enum Index { XAmp, XFreq, YAmp, YFreq, XPwr1, XPwr2, YPwr1, YPwr2, XRot, XWst, YRot, YWst, Count };
    std::array<std::string, Count> text;

    const std::string &operator[](Index i) const { return text[i]; }
    std::string &operator[](Index i) { return text[i]; }
};
