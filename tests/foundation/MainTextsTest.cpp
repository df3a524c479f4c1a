#include "foundation/modMainTexts.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <utility>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The five columns of one control, German to Spanish.
QStringList Columns(const char* control, int index = -1)
{
    QStringList texts;
    for (int language = 1; language <= 5; ++language)
        texts << MainCaption(QString::fromLatin1(control), index, language);
    return texts;
}

QStringList L(std::initializer_list<const char*> utf8)
{
    QStringList texts;
    for (const char* t : utf8)
        texts << U(t);
    return texts;
}

// A handful of rows in all five languages; the table itself is not restated.
TEST(MainTexts, RowsInAllFiveLanguages)
{
    EXPECT_EQ(MainCaption(QStringLiteral("cmdTerminateProtocol"), 2), U("&Terminate test report"));
    EXPECT_EQ(Columns("mnuFile_Password"),
              L({ "&Passwörter ändern...", "Change &passwords...", "Changer les mots de &passe...",
                  "Cambiare i c&odici...", "Cambiar los &santos y seña..." }));
    EXPECT_EQ(Columns("lblSerialNumber"), L({ "S/N:", "s/n:", "n/s:", "n/s:", "n/s:" }));
    EXPECT_EQ(Columns("tabDisplay", 1),
              L({ "Kommentar", "Commentary", "Commentaire", "Commento", "Comentario" }));
    EXPECT_EQ(Columns("lblLateralAir", 4),
              L({ "Seitenluft:", "Lateral air:", "Air latéral:", "Aria lat.:", "Aire lateral:" }));
}

TEST(MainTexts, SharedTextsLanguagesWithoutTextsAndUnknownIndices)
{
    for (int language = 1; language <= 5; ++language) {
        SCOPED_TRACE(language);
        EXPECT_EQ(MainCaption(QStringLiteral("tabDisplay"), 7, language), U("Q-DAS"));
        EXPECT_EQ(MainCaption(QStringLiteral("lblK1031"), language), U("Stücklistenversion (K1031):"));
        EXPECT_EQ(MainCaption(QStringLiteral("lblMax"), language), MainCaption(QStringLiteral("lblULimit"), language));
    }
    EXPECT_EQ(MainCaption(QStringLiteral("mnuFile_Exit"), 5), U("&Terminar\tAlt+F4"));
    for (int language : { 6, 0, -1, 7 }) {
        EXPECT_EQ(MainCaption(QStringLiteral("lblStyle"), language), QString());
        EXPECT_EQ(MainCaption(QStringLiteral("mnuFile_Exit"), language), U("\tAlt+F4"));
        EXPECT_EQ(MainCaption(QStringLiteral("frmMain"), language), U("ZOLVERA D 7110 QUINTARA III"));
    }
    // Indices outside a control's array give nothing.
    EXPECT_EQ(MainCaption(QStringLiteral("tabDisplay"), 8, 2), QString());
    EXPECT_EQ(MainCaption(QStringLiteral("optProtocol"), 0, 2), QString());
}

} // namespace
