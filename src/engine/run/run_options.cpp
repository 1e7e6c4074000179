// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/run/run_options.h"

namespace zuk {

RunMode RunOptions::mode() const {
    if (optText())
        return RunMode::RightBoxText;
    if (optFile())
        return RunMode::SelectedFile;
    return RunMode::AllFiles;
}

} // namespace zuk
