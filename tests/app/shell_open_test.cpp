// Open requests from the desktop: a start with the shell-open switch hands its file to the
// instance already running, which opens it like "Open ...".
#include "app/shell_open.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <cstring>

#include "app/brindle_app.h"
#include "app/image_files.h"
#include "app/main_frame.h"
#include "platform/message_box.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"

namespace {

class ShellOpenTest : public ::testing::Test {
protected:
    [[nodiscard]] QString Path(const char* name) const { return m_settings.FilePath(name); }
    [[nodiscard]] QString Socket() const { return Path("open.socket"); }

    // Starts an instance with the socket name and the arguments after the program's name.
    bool Start(CBrindleApp& app, const QStringList& arguments) {
        app.SetShellOpenName(Socket());
        return app.InitInstance(QStringList{QStringLiteral("brindle")} + arguments);
    }

    // What an instance that died leaves behind: a socket file that nobody listens on.
    void LeaveDeadSocket() {
        const QByteArray path = Socket().toLocal8Bit();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }

    testsupport::TempSettings m_settings;
    testsupport::ScriptedMessages m_messages;
    testsupport::ScriptedYesNoCancel m_questions;
    testsupport::ScriptedFileDialogs m_files;
    testsupport::ScriptedModal m_modal;
};

TEST_F(ShellOpenTest, ASecondStartHandsItsFileToTheRunningInstanceAndEnds) {
    WriteImageFile(Path("games.trw"), {"one", "two"});
    CBrindleApp running;
    ASSERT_TRUE(Start(running, {}));
    m_messages.Clear();  // the boot disk's note about a missing template
    running.GetDocument().m_bMergeMode = true;
    const QStringList before = DiskNames(running.GetDocument());

    CBrindleApp second;
    EXPECT_FALSE(Start(second, {QStringLiteral("--shell-open"), Path("games.trw")}));
    EXPECT_EQ(second.GetExitCode(), 0);
    EXPECT_EQ(second.GetMainWnd(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return DiskNames(running.GetDocument()).size() == 3; }));
    EXPECT_EQ(DiskNames(running.GetDocument()), before + QStringList({"one", "two"}));
    EXPECT_EQ(running.GetMainWnd()->windowTitle(), "games.trw - Brindle");

    // A plain command line still starts an instance of its own, which leaves the socket to
    // the first one.
    CBrindleApp plain;
    EXPECT_TRUE(Start(plain, {Path("games.trw")}));
    EXPECT_EQ(DiskNames(plain.GetDocument()), (QStringList{"one", "two"}));
    running.GetDocument().m_bMergeMode = false;
    WriteImageFile(Path("other.trw"), {"other"});
    EXPECT_TRUE(shellopen::SendPath(Socket(), Path("other.trw")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return DiskNames(running.GetDocument()).size() == 1; }));
    EXPECT_EQ(DiskNames(running.GetDocument()), QStringList{"other"});
    EXPECT_EQ(DiskNames(plain.GetDocument()), (QStringList{"one", "two"}));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(ShellOpenTest, WithoutARunningInstanceTheStartOpensTheFileAndListens) {
    WriteImageFile(Path("games.trw"), {"one"});
    LeaveDeadSocket();
    EXPECT_FALSE(shellopen::SendPath(Socket(), Path("games.trw")));

    CBrindleApp first;
    ASSERT_TRUE(Start(first, {QStringLiteral("--shell-open"), Path("games.trw")}));
    EXPECT_EQ(DiskNames(first.GetDocument()), QStringList{"one"});
    WriteImageFile(Path("other.trw"), {"other"});
    CBrindleApp second;
    EXPECT_FALSE(Start(second, {QStringLiteral("--shell-open"), Path("other.trw")}));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return DiskNames(first.GetDocument()).size() == 1 &&
               DiskNames(first.GetDocument())[0] == "other";
    }));
}

// A file handed over while the first start still shows its first message (here the note about
// the missing boot template) goes to that start, and opens once its window is up.
TEST_F(ShellOpenTest, AFileHandedOverDuringTheFirstMessageWaitsForTheWindow) {
    WriteImageFile(Path("other.trw"), {"other"});
    bool handedOver = false;
    int shown = 0;
    const platform::MessageHandler previous =
        platform::SetMessageHandler([&](platform::MessageKind, const std::string&) {
            if (shown++ == 0) {
                handedOver = shellopen::SendPath(Socket(), Path("other.trw"));
            }
            return platform::Answer::Ok;
        });
    CBrindleApp first;
    ASSERT_TRUE(Start(first, {}));
    platform::SetMessageHandler(previous);
    ASSERT_GT(shown, 0);
    EXPECT_TRUE(handedOver);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return DiskNames(first.GetDocument()) == QStringList{"other"}; }));
}

TEST_F(ShellOpenTest, TheServerTakesOnlyWholeLines) {
    shellopen::CServer server;
    ASSERT_TRUE(server.Listen(Socket()));
    QSignalSpy received(&server, &shellopen::CServer::PathReceived);
    for (const QByteArray& request : {QByteArray("no end"), QByteArray("\n"),
                                      QByteArray(70 * 1024, 'x') + '\n', QByteArray("/a/b\nc\n")}) {
        QLocalSocket socket;
        socket.connectToServer(Socket());
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(request);
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
        QTest::qWait(50);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }));
    QTest::qWait(50);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0][0].toString(), "/a/b");
}

}  // namespace
