#include "engine/path_text.h"

#include <QFileInfo>

namespace zuk {

QString directoryOfPathText(const QString& pathText) {
    if (pathText.isEmpty())
        return {};
    if (isPathSeparator(pathText.back()))
        return pathText.chopped(1);
    if (QFileInfo(pathText).isDir())
        return pathText;
    return pathText.left(lastSeparator(pathText).value_or(0));
}

} // namespace zuk
