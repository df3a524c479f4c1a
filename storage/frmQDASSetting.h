#pragma once
// The modal dialog in which the supervisor chooses the folder of the Q-DAS
// export files.
#include "storage/DrivePathDialog.h"

#include <cstdint>

class frmQDASSetting : public DrivePathDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmQDASSetting* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    // Stores the folder shown (any folder the list shows is accepted), saves
    // the settings and closes.
    void cmdOK_Click();

protected:
    void Form_Unload() override;

private:
    frmQDASSetting();
    ~frmQDASSetting() override;
};
