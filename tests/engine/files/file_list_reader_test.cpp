// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/files/file_list_reader.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

namespace zuk {
namespace {

using Separator = FileListReader::Separator;

// Every name of the list, each shown as its bytes in hex, "+" marking one cut short; or the
// error that ended it.
QString namesOf(QIODevice& device, Separator separator) {
    FileListReader reader(device, separator);
    QStringList names;
    for (;;) {
        auto next = reader.next();
        if (!next)
            return names.join(' ') + " / " + next.error().message();
        if (!next.value())
            return names.join(' ');
        names.append(QString::fromLatin1(next.value()->bytes.toHex()) +
                     (next.value()->tooLong ? "+" : ""));
    }
}

QString hexNames(std::initializer_list<QByteArray> names) {
    QStringList hex;
    for (const QByteArray& name : names)
        hex.append(QString::fromLatin1(name.toHex()));
    return hex.join(' ');
}

TEST(FileListReaderTest, NamesAreTheBytesBetweenSeparators) {
    struct Case {
        QByteArray input;
        Separator separator;
        QString names;
    };
    const QByteArray longName(FileListReader::kLongestName + 10, 'x');
    const QByteArray longest(FileListReader::kLongestName, 'y');
    // The last name straddles the reader's 64 KiB chunks.
    const QByteArray acrossChunks = QByteArray("abc\n").repeated(16383) + "defghij\n";

    const QList<Case> cases = {
        {"a\nb c\n", Separator::Line, hexNames({"a", "b c"})},
        {"a\r\nb\r\n", Separator::Line, hexNames({"a", "b"})},
        {"\n\na\n\r\n\nb", Separator::Line, hexNames({"a", "b"})},
        {"a\rb\nlast\r", Separator::Line, hexNames({"a\rb", "last"})},
        {QByteArray("\xff\xfe\0with\nnewline\0\0a\r\0", 20), Separator::Nul,
         hexNames({"\xff\xfe", "with\nnewline", "a\r"})},
        {"", Separator::Nul, ""},
        {longName + "\nnext\n" + longest + "\n", Separator::Line,
         QString::fromLatin1(longName.first(FileListReader::kLongestName).toHex()) + "+ " +
             hexNames({"next", longest})},
        {acrossChunks, Separator::Line, QString("616263 ").repeated(16383) + hexNames({"defghij"})},
    };
    for (const Case& c : cases) {
        QByteArray input = c.input;
        QBuffer buffer(&input);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(namesOf(buffer, c.separator).toStdString(), c.names.toStdString())
            << c.input.first(std::min<qsizetype>(c.input.size(), 40)).toHex().constData();
    }
}

// Standard input is a pipe: names arrive in pieces, and the list ends when the writer closes.
TEST(FileListReaderTest, ReadsAPipeUntilItsWriterCloses) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread writer([fd = fds[1]] {
        for (const QByteArray& piece :
             {QByteArray("one\0tw", 6), QByteArray("o\0", 2), QByteArray("three")})
            (void)!::write(fd, piece.constData(), size_t(piece.size()));
        ::close(fd);
    });
    QFile pipe;
    ASSERT_TRUE(pipe.open(fds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle));
    EXPECT_EQ(namesOf(pipe, Separator::Nul).toStdString(),
              hexNames({"one", "two", "three"}).toStdString());
    writer.join();
}

// A device that fails after its first bytes.
class FailingDevice final : public QIODevice {
public:
    FailingDevice() {
        open(QIODevice::ReadOnly);
        setErrorString("the disk went away");
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64) override {
        if (m_gave)
            return -1;
        m_gave = true;
        std::memcpy(data, "a\nb", 3);
        return 3;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    bool m_gave = false;
};

TEST(FileListReaderTest, AFailingDeviceEndsTheListWithAnError) {
    FailingDevice device;
    EXPECT_EQ(
        namesOf(device, Separator::Line).toStdString(),
        (hexNames({"a"}) + " / ERROR: 57 Device I/O error (the disk went away)").toStdString());
}

} // namespace
} // namespace zuk
