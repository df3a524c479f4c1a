#pragma once
// The modal dialog in which the supervisor chooses the serial port of the
// instruments and the data folder. Its caller closes the port before and
// opens it again afterwards; the dialog probes the eight ports itself.
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
    // What OK runs before the settings name another data folder: it puts
    // the open series into that folder and is true when they are all there
    // (the caller that shows the dialog sets it, and clears it afterwards).
    // Called with the folder that DataFolder names, it moves them back.
    static void SetFolderMove(std::function<bool(const QString& folder)> move);

    QGroupBox* fraPort = nullptr;
    std::array<QRadioButton*, 9> optPort{};   // 1 to 8 = port number

    void Form_Load();
    void InitForm();
    // Enables each port button that can be opened now.
    void ProbePorts();
    void SetCaptions(int16_t language);
    // Stores the selected port and the folder shown, saves the settings and
    // closes; a port that is not available gives message 13 and stays open.
    // Another folder is stored only once the open series are in it: when
    // they cannot be put there, message 31 asks to try again, and No keeps
    // the folder as it was. When the settings file then cannot name it,
    // message 31 asks again; No keeps the old folder as the data folder and
    // moves the series back into it (the move called with that folder),
    // message 31 again for each failure of that.
    void cmdOK_Click();
    void optPort_DblClick(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Form_Unload() override;

private:
    frmDataSetting();
    ~frmDataSetting() override;
};
