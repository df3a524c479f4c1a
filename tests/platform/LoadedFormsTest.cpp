#include "platform/LoadedForms.h"

#include <QApplication>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// Windows that record their unloading and delete themselves later, as the
// program's dialogs do.
class LoadedFormsTest : public ::testing::Test {
protected:
    QWidget* Load(const char* name, std::function<void()> extra = {})
    {
        auto* form = new QWidget();
        form->setObjectName(QString::fromLatin1(name));
        RegisterForm(form, [this, form, extra] {
            unloaded_.push_back(form->objectName());
            if (extra)
                extra();
            form->deleteLater();
        });
        return form;
    }
    void TearDown() override
    {
        for (QWidget* form : LoadedForms())
            delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::vector<QString> unloaded_;
};

TEST_F(LoadedFormsTest, EveryOtherWindowIsUnloadedOldestFirstThroughItsOwnUnload)
{
    Load("frmResource");
    QWidget* main = Load("frmMain");
    // Unloading the report window loads a late one, which goes too.
    Load("frmDetail", [this] { Load("frmLate"); });
    Load("frmDataSetting");
    QWidget* gone = Load("frmGone");
    delete gone;
    EXPECT_EQ(LoadedForms().size(), 4u) << "a destroyed window leaves the list";

    UnloadFormsExcept(QStringLiteral("frmMain"));
    EXPECT_EQ(unloaded_, (std::vector<QString>{QStringLiteral("frmResource"), QStringLiteral("frmDetail"),
                                               QStringLiteral("frmDataSetting"), QStringLiteral("frmLate")}));
    EXPECT_EQ(LoadedForms(), std::vector<QWidget*>{main}) << "unloaded windows leave before they are deleted";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(LoadedForms(), std::vector<QWidget*>{main});
}

TEST_F(LoadedFormsTest, AWindowThatAlwaysLoadsAnotherCannotKeepTheProgramRunning)
{
    std::function<void()> again;
    again = [this, &again] { Load("frmAgain", again); };
    Load("frmAgain", again);
    UnloadFormsExcept(QStringLiteral("frmMain"));
    EXPECT_EQ(unloaded_.size(), 1000u);
}

TEST_F(LoadedFormsTest, WithoutItsOwnUnloadAWindowIsClosedAndRegisteredOnce)
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName(QStringLiteral("frmPlain"));
    RegisterForm(form.get());
    RegisterForm(form.get());
    form->show();
    EXPECT_EQ(LoadedForms().size(), 1u);
    UnloadForm(form.get());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(LoadedForms().empty());
    UnloadForm(form.get());
}

} // namespace
