#pragma once

#include <QIcon>

namespace zuk {

// The application's icon, 32 x 32, drawn in code: a page of text under a magnifying glass.
QIcon applicationIcon();

} // namespace zuk
