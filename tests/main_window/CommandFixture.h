#pragma once
// Shared by the tests of the main window's commands and of the commentary
// dialog: the window loaded over open series of a style "Fabric" in a
// temporary program folder, data, Q-DAS and printer output below it, the
// clock fixed; and the numbers of the messages shown.
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "main_window/WindowFixture.h"
#include "platform/DrawingSurface.h"
#include "support/SeriesTests.h"

#include <QDir>
#include <QFile>
#include <initializer_list>
#include <vector>

class CommandFixture : public WindowFixture {
protected:
    // Form "Form A": types 9, 3, 18, 17, none, 14; each result 1 within
    // 90..110 around 100, result 2 within 18..22 around 20.
    static Style Fabric()
    {
        Style s = MakeBlankStyle();
        s.Name = QStringLiteral("Fabric");
        s.Forms[1].Name = QStringLiteral("Form A");
        const int16_t types[] = {9, 3, 18, 17, 0, 14};
        for (size_t i = 1; i <= 6; ++i) {
            s.Forms[1].Items[i] = ReportFormItem{types[i - 1], true, true};
            if (types[i - 1] == 0)
                continue;
            TestDefinition& d = s.Tests[static_cast<size_t>(types[i - 1])];
            d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110, d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
            d.Defined1 = d.Defined2 = true;
            d.TestCount = 10;
            d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .RU1 = "8", .RU2 = "\""});
        }
        return s;
    }
    // A series of Fabric with tests of these values (result 2: 20) in one property.
    static Protocol Series(std::initializer_list<float> values, int property = 1)
    {
        Protocol p = MakeEmptyProtocol();
        p.Style = Fabric();
        p.Date = p.LastTestDate = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
        p.CurrentProperty = static_cast<int16_t>(property);
        PropertyBlock& b = p.Blocks[static_cast<size_t>(property)];
        for (float v : values)
            b.Values.push_back(SeriesTest(v, 20));
        b.Header = p.Style.Tests[9].HeaderImage;
        b.Stats = CalcMeanSdCvCi(b.Values);
        b.StartDate = b.LastTestDate = p.Date;
        return p;
    }
    void SetUp() override
    {
        WindowFixture::SetUp();
        DateFormat = 3;
        LoginLevel = 2;
        PortOpen = true;
        PortDevice = {4, 12, 2, 9, 0, 0};
        Styles = {MakeBlankStyle(), Fabric()};
        UseFolders(QStringLiteral("run"));
    }
    void TearDown() override
    {
        Close();
        SetPrinterOutputFile(QString());
        WindowFixture::TearDown();
    }
    // Data and Q-DAS folders and the printer's PDF file below folder `name`.
    void UseFolders(const QString& name)
    {
        const QString base = folder_.filePath(name);
        DataFolder = base + QStringLiteral("/data");
        QDASFolder = base + QStringLiteral("/qdas");
        QDir().mkpath(DataFolder);
        QDir().mkpath(QDASFolder);
        pdf_ = base + QStringLiteral("/print.pdf");
        SetPrinterOutputFile(pdf_);
    }
    // Loads the window anew over these open series; none kept from before.
    frmMain* Load(std::vector<Protocol> series, int16_t current = 1)
    {
        Close();
        const QDir data(DataFolder);
        for (const QString& name : data.entryList({QStringLiteral("PENDING*")}, QDir::Files))
            QFile::remove(data.filePath(name));
        Protocols.assign(1, MakeEmptyProtocol());
        Protocols.insert(Protocols.end(), series.begin(), series.end());
        CurrentProtocol = current;
        return w_ = frmMain::Instance();
    }
    Protocol& Shown() { return Protocols[static_cast<size_t>(CurrentProtocol)]; }

    static std::vector<int> Numbers(const ScriptedPresenter& presenter)
    {
        std::vector<int> numbers;
        for (const MessageRequest& shown : presenter.Shown) {
            int16_t n = 1;
            while (n < 40 && ComposeMessage(n, {}, Language).Text != shown.Text)
                ++n;
            numbers.push_back(n);
        }
        return numbers;
    }

    QString pdf_;
    frmMain* w_ = nullptr;
};
