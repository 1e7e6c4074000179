// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/batch_file.h"

#include <QString>

namespace zuk {

// The batch window as the batch run sees it: its settings and its running state.
class BatchWindow {
public:
    virtual ~BatchWindow() = default;

    // tBatchPath.
    virtual QString batchPath() const = 0;
    // cboDelin's text and whether chkQuote is other than 0.
    virtual BatchFormat batchFormat() const = 0;
    // Running: the Batch button reads "Cancel"; Quit, Test, the delineation box, the path box,
    // the browse button and the quoted check box are disabled.
    virtual void enterBatchState() = 0;
    virtual void leaveBatchState() = 0;
};

} // namespace zuk
