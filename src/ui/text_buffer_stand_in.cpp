// Stand-in for the working buffer's setText until the engine's text_buffer.cpp is built with
// this layer. Weak, so the engine's own definition wins as soon as it is linked; delete this
// file then.

#include "engine/text_buffer.h"

namespace zuk {

__attribute__((weak)) void TextBuffer::setText(QString text) {
    m_text = std::move(text);
    m_identity.reset();
    m_loadedPath.clear();
}

} // namespace zuk
