#pragma once
// The modal dialog in which the supervisor chooses the serial port of the
// instruments and the data folder. Its caller closes the port before and
// opens it again afterwards; the dialog probes the eight ports itself.
#include "platform/SerialDevices.h"
#include "storage/DrivePathDialog.h"

#include <QGroupBox>
#include <QRadioButton>

#include <array>
#include <cstdint>
#include <functional>

class frmDataSetting : public DrivePathDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmDataSetting* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();
    // What OK runs around the settings naming another data folder (the
    // caller that shows the dialog sets it, and clears it afterwards).
    struct FolderMove {
        // Puts the open series into the folder before the settings name
        // it; true when they are all there.
        std::function<bool(const QString& folder)> Begin;
        // The settings name it: the files the series left go.
        std::function<bool()> Finish;
        // The settings could not name it: what Begin wrote goes again.
        std::function<bool()> Undo;
    };
    static void SetFolderMove(FolderMove move);
    // Asked before anything is stored: false when the folder may not become
    // the data folder, as this installation runs there already (from
    // another PC); message 47 then says so and the dialog stays open.
    static void SetFolderClaim(std::function<bool(const QString& folder)> claim);
    // Asked once the folder shown is storable: the folder OK takes instead
    // (the data folder the program folder stands in for, when message 48
    // is answered Yes; the program folder for No).
    static void SetFolderBack(std::function<QString(const QString& shown)> back);
    // What OK does with the folder (and the port, 0 for none): the seat
    // claimed there (message 47 and false when it runs there already), the
    // open series moved into it and the settings saved, as the description
    // of cmdOK_Click says. True once it is done, whichever folder the
    // settings name then.
    static bool TakeDataFolder(const QString& folder, int16_t port = 0);
    // The port the last OK of the dialog told cannot be opened (message 13),
    // 0 for none: its caller, opening that port again, does not tell it twice.
    static int16_t PortToldRefused();

    QGroupBox* fraPort = nullptr;
    std::array<QRadioButton*, 9> optPort{};   // 1 to 8 = port number

    void Form_Load();
    void InitForm();
    // Enables each port button that can be opened now, and keeps the device
    // of each the user may not open.
    void ProbePorts();
    void SetCaptions(int16_t language);
    // Stores the selected port and the folder shown, saves the settings and
    // closes; a port that is not available gives message 13 (and 51) and
    // is kept as it was: with the same folder the dialog stays open, another
    // folder is taken all the same.
    // Another folder is stored only once the open series are in it: when
    // they cannot be put there, message 31 asks to try again, and No keeps
    // the folder as it was. When the settings file then cannot name it,
    // message 31 asks again; No keeps the old folder as the data folder, and
    // what was written into the new one goes. Message 31 also tells of a
    // file that could not be removed after either outcome (Yes tries again).
    void cmdOK_Click();
    void optPort_DblClick(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Form_Unload() override;

private:
    frmDataSetting();
    ~frmDataSetting() override;

    // 1 to 8 = port number: the device the user may not open, and its group.
    std::array<SerialDeviceDenial, 9> m_denied{};
};
