#pragma once
// Shared by the tests of the long-term window and the detail window: the
// settings of LongTermFixture with a style "Denim" whose report form measures
// tensile strength (two results) in item 2 and area weight in item 1, stored
// reports of it in its style folder, the main window loaded, modal dialogs
// run by script and the trash in a temporary folder.
#include "LongTermFixture.h"

#include "foundation/modGlobals.h"
#include "instrument/modStatistic.h"
#include "long_term/frmDetail.h"
#include "long_term/frmLongTermAnalysis.h"
#include "main_window/frmMain.h"
#include "platform/FlexGrid.h"
#include "platform/Paths.h"
#include "platform/PictureBox.h"
#include "support/ScriptedPresenter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>

// Tensile strength nominal 12 N between 10 and 14, 2 mm between 1 and 3.
inline Style DenimStyle(const QString& name = QStringLiteral("Denim"))
{
    Style s = BlankStyle;
    s.Name = name;
    s.Forms[1].Name = QStringLiteral("Standard");
    s.Forms[1].Items[1].Property = 3;
    s.Forms[1].Items[2].Property = 9;
    TestDefinition& d = s.Tests[9];
    d.Defined1 = d.Defined2 = true;
    d.Nominal1 = 12, d.Lower1 = 10, d.Upper1 = 14;
    d.Nominal2 = 2, d.Lower2 = 1, d.Upper2 = 3;
    d.CI1 = 5;
    d.TestCount = 10;
    d.HeaderImage = Header("123");
    s.Tests[3].HeaderImage = Header("999");
    return s;
}

class LongTermWindowFixture : public LongTermFixture {
protected:
    void SetUp() override
    {
        LongTermFixture::SetUp();
        DateFormat = 1;
        Styles.push_back(DenimStyle());
        Styles.push_back(DenimStyle(QStringLiteral("Empty")));
        Styles.back().Forms[1] = BlankReportForm;
        Main = frmMain::Instance();
        if (Main->cboStyle->findText(QStringLiteral("Denim")) < 0)
            Main->cboStyle->addItem(QStringLiteral("Denim"));
        Main->cboStyle->setCurrentIndex(Main->cboStyle->findText(QStringLiteral("Denim")));
        Main->show();
    }
    void TearDown() override
    {
        if (frmLongTermAnalysis::IsLoaded())
            frmLongTermAnalysis::Instance()->close();
        if (frmMain::IsLoaded())
            frmMain::Instance()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        LongTermFixture::TearDown();
    }

    // A stored report of the style in its folder, read-only as stored.
    QString Store(const QString& name, const Protocol& p)
    {
        const QString path = StyleFolder(p.Style.Name) + u'/' + name;
        WriteBytes(path, CurrentReportBytes(p));
        SetAttr(path, AttrReadOnly + AttrArchive);
        return dskStyleFolderName(p.Style.Name) + u'\\' + name;
    }

    // A finished series of Denim on 4 January 2011 plus `day` days at noon,
    // tensile tests of the given values (result 2 at 2 mm).
    static Protocol Denim(int day, std::initializer_list<float> values)
    {
        std::vector<TestValue> tests;
        for (const float v : values)
            tests.push_back(Measured(v, 2.0f));
        Protocol p = Series(QStringLiteral("Denim"), 40547.5 + day, {}, 9, 2);
        p.Style = DenimStyle();
        PropertyBlock& block = p.Blocks[2];
        block.Values.insert(block.Values.end(), tests.begin(), tests.end());
        block.Stats = CalcMeanSdCvCi(block.Values);
        block.StartDate = p.Date;
        block.LastTestDate = p.Date + TimeSerial(0, 30, 15);
        p.FormIndex = 1;
        p.CurrentProperty = 2;
        return p;
    }

    frmLongTermAnalysis* Open()
    {
        Main->mnuFunction_LongTermAnalysis_Click();
        QApplication::processEvents();
        return frmLongTermAnalysis::Instance();
    }

    frmMain* Main = nullptr;
    ScriptedDialogRunner Dialogs;
};
