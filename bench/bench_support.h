// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/run/prompter.h"
#include "engine/run/yield_hook.h"

#include <QByteArray>
#include <QString>

namespace zuk::bench {

// Web-like ASCII text of `bytes` bytes with one occurrence of "needle" in every 64 bytes and
// a CR LF every 128 bytes.
inline QByteArray generateText(qsizetype bytes) {
    static const QByteArray block0 =
        "<p>Lorem ipsum dolor sit amet needle, consectetur elit.</p>   \r\n";
    static const QByteArray block1 =
        "<div class=\"x\">sed do eiusmod needle tempor incididunt</div>  ";
    QByteArray text;
    text.reserve(bytes);
    for (qsizetype i = 0; text.size() < bytes; ++i)
        text.append((i % 2 == 0 ? block0 : block1).left(64));
    text.truncate(bytes);
    return text;
}

// A run without a window: nothing to yield to and nobody to answer.
class NoYield final : public YieldHook {
public:
    void yield() override {}
};

class SilentPrompter final : public Prompter {
public:
    MessageResult show(const Message&) override { return MessageResult::Ok; }
};

} // namespace zuk::bench
