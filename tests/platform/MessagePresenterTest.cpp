#include "platform/MessagePresenter.h"

#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

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

TEST(MessagePresenterTest, AYesNoBoxCarriesItsCaptionsDefaultAndEscape)
{
    MessageRequest request = Request(IconQuestion, ButtonsYesNo, DefaultSecond);
    request.YesCaption = QStringLiteral("&Ja");
    request.NoCaption = QStringLiteral("&Nein");
    const auto box = BuildMessageBox(request);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    EXPECT_EQ(box->text(), QStringLiteral("First line\nSecond line"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(box->button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));

    EXPECT_EQ(AnswerOfBox(request, QMessageBox::Yes), AnswerYes);
    EXPECT_EQ(AnswerOfBox(request, QMessageBox::No), AnswerNo);
    EXPECT_EQ(request.DefaultAnswer(), AnswerNo);

    request.DefaultButton = DefaultFirst;
    const auto yesFirst = BuildMessageBox(request);
    EXPECT_EQ(yesFirst->defaultButton(), yesFirst->button(QMessageBox::Yes));
    EXPECT_EQ(request.DefaultAnswer(), AnswerYes);
}

TEST(MessagePresenterTest, AnOkBoxAnswersOneAndEmptyCaptionsKeepTheToolkitsOwn)
{
    const MessageRequest plain = Request(IconExclamation, ButtonsOK, DefaultFirst);
    const auto box = BuildMessageBox(plain);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_FALSE(box->button(QMessageBox::Ok)->text().isEmpty());
    EXPECT_EQ(AnswerOfBox(plain, QMessageBox::Ok), AnswerOK);
    EXPECT_EQ(plain.DefaultAnswer(), AnswerOK);
    EXPECT_EQ(plain.Style(), 48 + 0 + 0 + 65536);

    MessageRequest captioned = Request(IconCritical, ButtonsOK, DefaultFirst);
    captioned.OKCaption = QStringLiteral("&OK");
    EXPECT_EQ(BuildMessageBox(captioned)->button(QMessageBox::Ok)->text(), QStringLiteral("&OK"));
    EXPECT_EQ(BuildMessageBox(captioned)->icon(), QMessageBox::Critical);
    captioned.Icon = IconInformation;
    EXPECT_EQ(BuildMessageBox(captioned)->icon(), QMessageBox::Information);
}

} // namespace
