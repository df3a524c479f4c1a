#include "platform/MessagePresenter.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <utility>

namespace {

MessageRequest Request(int16_t icon, int16_t buttons, int16_t defaultButton)
{
    MessageRequest request;
    request.Title = QStringLiteral("ZOLVERA D 7110 QUINTARA III");
    request.Text = QStringLiteral("First line\r\nSecond line");
    request.Icon = icon;
    request.Buttons = buttons;
    request.DefaultButton = defaultButton;
    return request;
}

TEST(MessagePresenterTest, AYesNoBoxCarriesItsCaptionsAndDefault)
{
    MessageRequest request = Request(IconQuestion, ButtonsYesNo, DefaultSecond);
    request.YesCaption = QStringLiteral("&Ja");
    request.NoCaption = QStringLiteral("&Nein");
    const auto box = BuildMessageBox(request);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    EXPECT_EQ(box->text(), QStringLiteral("First line\nSecond line"));
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(box->button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(AnswerOfBox(request, QMessageBox::Yes), AnswerYes);
    EXPECT_EQ(request.DefaultAnswer(), AnswerNo);
    request.DefaultButton = DefaultFirst;
    const auto yesFirst = BuildMessageBox(request);
    EXPECT_EQ(yesFirst->defaultButton(), yesFirst->button(QMessageBox::Yes));
}

TEST(MessagePresenterTest, AnOkBoxAnswersOneAndEmptyCaptionsKeepTheToolkitsOwn)
{
    const MessageRequest plain = Request(IconExclamation, ButtonsOK, DefaultFirst);
    const auto box = BuildMessageBox(plain);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(box->button(QMessageBox::Ok)->text().isEmpty());
    EXPECT_EQ(AnswerOfBox(plain, QMessageBox::Ok), AnswerOK);
    EXPECT_EQ(plain.Style(), 48 + 0 + 0 + 65536);
    MessageRequest captioned = plain;
    captioned.OKCaption = QStringLiteral("&OK");
    EXPECT_EQ(BuildMessageBox(captioned)->button(QMessageBox::Ok)->text(), QStringLiteral("&OK"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    // Each of the four icons of the catalogue gets its own picture.
    const std::pair<int16_t, QMessageBox::Icon> icons[] = {{IconCritical, QMessageBox::Critical},
                                                            {IconQuestion, QMessageBox::Question},
                                                            {IconExclamation, QMessageBox::Warning},
                                                            {IconInformation, QMessageBox::Information}};
    for (const auto& [icon, shown] : icons)
        EXPECT_EQ(BuildMessageBox(Request(icon, ButtonsOK, DefaultFirst))->icon(), shown) << icon;
}

// Escape and closing the window: an OK box takes them for OK; a Yes/No box
// stays open until one of its buttons is pressed.
TEST(MessagePresenterTest, OnlyItsButtonsAnswerAYesNoBox)
{
    const auto ok = BuildMessageBox(Request(IconQuestion, ButtonsOK, DefaultFirst));
    ok->show();
    QTest::keyClick(ok.get(), Qt::Key_Escape);
    EXPECT_EQ(ok->clickedButton(), ok->button(QMessageBox::Ok));
    const auto box = BuildMessageBox(Request(IconQuestion, ButtonsYesNo, DefaultFirst));
    box->show();
    QTest::keyClick(box.get(), Qt::Key_Escape);
    EXPECT_FALSE(box->close());
    EXPECT_TRUE(box->isVisible());
    box->button(QMessageBox::No)->click();
    EXPECT_EQ(AnswerOfBox(Request(IconQuestion, ButtonsYesNo, DefaultFirst), box->result()), AnswerNo);
}

// A one-character text still leaves the whole title room in the title bar.
TEST(MessagePresenterTest, TheBoxIsAsWideAsItsTitle)
{
    MessageRequest request = Request(IconExclamation, ButtonsOK, DefaultFirst);
    request.Text = QStringLiteral("!");
    const auto box = BuildMessageBox(request);
    box->show();
    const int needed = MessageBoxTitleWidth(request.Title);
    EXPECT_GE(box->width(), needed);
    EXPECT_GT(needed, QFontMetrics(box->font()).horizontalAdvance(request.Title));
    // A long text keeps its own width.
    request.Text = QString(400, u'x');
    const auto wide = BuildMessageBox(request);
    wide->show();
    EXPECT_GT(wide->width(), needed);
}

} // namespace
