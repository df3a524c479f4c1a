// The system's end of the program, in a child process: a signal becomes one
// call in the outermost event loop, after the question on screen was closed
// as No, and a question asked afterwards is answered No unseen.
#include "platform/MessagePresenter.h"
#include "platform/SystemEnd.h"
#include "support/ChildProcess.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

namespace {

TEST(SystemEndTest, EachSignalClosesTheQuestionOnScreenAndEndsInTheOutermostLoop)
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        const ReadyChild child = StartChildUntilReady([&](const std::function<void()>& ready) {
            ::alarm(20);
            MessageRequest question;
            question.Text = QStringLiteral("Are you sure?");
            question.Buttons = ButtonsYesNo;
            int16_t first = 0;
            int16_t later = 0;
            // The exit code tells what the end saw: 0 when both questions
            // were answered No before it ran.
            InstallSystemEnd([&] { QCoreApplication::exit(first == AnswerNo && later == AnswerNo ? 0 : 4); });
            QTimer::singleShot(0, [&] {
                // Ready once the box's own loop runs.
                QTimer::singleShot(0, [&] { ready(); });
                first = CurrentMessagePresenter().Present(question);
                later = CurrentMessagePresenter().Present(question);
            });
            return QApplication::exec();
        });
        ASSERT_TRUE(child.Ready);
        ::kill(child.Pid, signal);
        EXPECT_EQ(WaitForChild(child.Pid), 0);
    }
}

// Started under nohup (SIGHUP ignored) or in the background (SIGINT
// ignored): that signal, raised in the child so that a handler would have run
// before raise returns, does not end it; SIGTERM, ignored at the start as
// well, is the system's own request and still ends it in order.
TEST(SystemEndTest, ASignalIgnoredAtTheStartStaysIgnored)
{
    for (const int signal : {SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        const ReadyChild child = StartChildUntilReady([&](const std::function<void()>& ready) {
            ::alarm(20);
            ::signal(signal, SIG_IGN);
            ::signal(SIGTERM, SIG_IGN);
            InstallSystemEnd([] { QCoreApplication::exit(0); });
            QTimer::singleShot(0, [&] {
                ::raise(signal);
                // A byte the handler wrote is read by the notifier here.
                for (int i = 0; i < 3; ++i)
                    QCoreApplication::processEvents();
                if (SystemEndRequested())
                    ::_exit(4);
                ready();
            });
            return QApplication::exec();
        });
        // Not ready when the signal ended it: 4 tells.
        ::kill(child.Pid, SIGTERM);
        EXPECT_EQ(WaitForChild(child.Pid), 0);
    }
}

} // namespace
