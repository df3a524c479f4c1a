#pragma once
// The hidden window that holds the pictures every window copies and the
// serial port. It is created, hidden, on first use and lives until exit.
#include <QPixmap>
#include <QSerialPort>
#include <QWidget>
#include <array>

class frmResource : public QWidget {
    Q_OBJECT
public:
    // Created on first use; never shown.
    static frmResource* Instance();
    // Unloads the window at exit (closes the port with it).
    static void Unload();
    static bool IsLoaded();

    void FreeResources();

    std::array<QPixmap, 17> imgInstrument;   // one per instrument-table row 0 to 16
    std::array<QPixmap, 7> imgLanguage;      // flags 1 to 6
    std::array<QPixmap, 3> imgAnimation;     // 1 to 2
    QPixmap imgCustomerLogo;
    QPixmap imgQUINTARA;
    QPixmap imgZOLVERA;
    QPixmap imgSplash;
    QPixmap imgFolder;
    QPixmap imgFlip;
    QPixmap imgAnalyzeCurve;
    QPixmap imgDetail;
    QPixmap imgLongTermEvaluation;
    QPixmap imgNoConnection;
    QPixmap imgTerminated;
    QPixmap imgCross;
    QPixmap imgSwitchbox;
    QPixmap imgPC;
    QPixmap imgPrint;

    // The serial-communication port of the instruments.
    QSerialPort* comData = nullptr;

private:
    frmResource();
    void LoadPictures();
};
