// SPDX-License-Identifier: GPL-3.0-or-later
#include "autorun.h"

#include "drawingrun.h"

namespace autorun {

void click(FormState &state, DrawingHost &host, Canvas &canvas, RandomSource &random)
{
    if (state.drawingActive != 0) {
        state.autoRunActive = 0;
        state.stopRequested = 1;
        return;
    }
    using I = ParameterTexts;
    for (const I::Index field : {I::XAmp, I::XFreq, I::YAmp, I::YFreq})
        host.emptyField(field);
    state.autoRunActive = 1;
    DrawingRun(state, host, canvas, random).run();
}

} // namespace autorun
