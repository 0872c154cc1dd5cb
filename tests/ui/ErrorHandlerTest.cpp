// The general error handler: an error escaping an event handler or an action is shown in an
// error box with its message, and the program goes on.

#include <stdexcept>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/ActionGuard.h"
#include "platform/FakePlatform.h"
#include "platform/KeldarApplication.h"

namespace keldar::platform {
namespace {

// A window whose handler of user events fails.
class FailingWidget : public QWidget {
public:
    int handled = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++handled;
            throw std::runtime_error("The file could not be read.");
        }
        if (event->type() == QEvent::User + 1) {
            ++handled;
            throw 42;
        }
        return QWidget::event(event);
    }
};

class ErrorHandler : public ::testing::Test {
protected:
    void SetUp() override {
        application = qobject_cast<KeldarApplication*>(QApplication::instance());
        ASSERT_NE(application, nullptr);
        application->setPlatform(&platform);
    }
    void TearDown() override { application->setPlatform(nullptr); }

    FakePlatform platform;
    KeldarApplication* application = nullptr;
};

TEST_F(ErrorHandler, AnErrorInAnEventHandlerIsShownAndTheProgramGoesOn) {
    FailingWidget widget;
    QEvent failing(QEvent::User);
    EXPECT_FALSE(QApplication::sendEvent(&widget, &failing));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].kind, FakePlatform::BoxKind::Error);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("The file could not be read."));

    // The next event is handled again, and fails again in its own box.
    QEvent again(QEvent::User);
    QApplication::sendEvent(&widget, &again);
    EXPECT_EQ(widget.handled, 2);
    EXPECT_EQ(platform.boxes.size(), 2u);
}

TEST_F(ErrorHandler, PostedEventsAreCoveredToo) {
    FailingWidget widget;
    QApplication::postEvent(&widget, new QEvent(QEvent::User));
    QApplication::sendPostedEvents(&widget, QEvent::User);
    EXPECT_EQ(platform.texts(FakePlatform::BoxKind::Error),
              std::vector<QString>{QStringLiteral("The file could not be read.")});
}

TEST_F(ErrorHandler, SomethingThatIsNotAStandardErrorStillGetsABox) {
    FailingWidget widget;
    QEvent failing(static_cast<QEvent::Type>(QEvent::User + 1));
    QApplication::sendEvent(&widget, &failing);
    EXPECT_EQ(platform.texts(FakePlatform::BoxKind::Error), std::vector<QString>{QStringLiteral("Unexpected error.")});
}

TEST_F(ErrorHandler, AGuardedActionEndsAtTheErrorAndReportsIt) {
    int stepsDone = 0;
    const bool finished = runGuarded(platform, nullptr, [&] {
        ++stepsDone;
        throw std::invalid_argument("Bad value.");
    });
    EXPECT_FALSE(finished);
    EXPECT_EQ(stepsDone, 1);
    EXPECT_EQ(platform.texts(FakePlatform::BoxKind::Error), std::vector<QString>{QStringLiteral("Bad value.")});
    EXPECT_TRUE(runGuarded(platform, nullptr, [&] { ++stepsDone; }));
    EXPECT_EQ(platform.boxes.size(), 1u);
}

}  // namespace
}  // namespace keldar::platform
