#pragma once
// The modal dialog in which the supervisor chooses the language of all texts
// and the date format. Choosing a language shows the dialog's own texts in it
// at once; Language and DateFormat change on OK only.
#include <QDialog>
#include <array>
#include <cstdint>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class frmCountrySetting : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmCountrySetting* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    QGroupBox* fraLanguage = nullptr;
    std::array<QRadioButton*, 7> optLanguage{};    // 1 to 6
    std::array<QLabel*, 7> imgLanguage{};          // 1 to 6, the flags
    QButtonGroup* grpLanguage = nullptr;
    QGroupBox* fraDateformat = nullptr;
    std::array<QRadioButton*, 4> optDateFormat{};  // 1 to 3
    std::array<QLabel*, 4> lblDateFormat{};        // 1 to 3, today in that format
    QButtonGroup* grpDateFormat = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void Form_Load();
    void InitForm();
    // Languages 1 to 5; the sixth empties the window caption and leaves the
    // other texts as they were.
    void SetCaptions(int16_t language);
    void ReleasePictures();

    void cmdOK_Click();
    void cmdCancel_Click();
    void optLanguage_Click(int index);
    void optLanguage_DblClick(int index);
    void imgLanguage_Click(int index);
    void imgLanguage_DblClick(int index);
    void optDateFormat_DblClick(int index);
    void lblDateFormat_Click(int index);
    void lblDateFormat_DblClick(int index);

    // The indexes of the selected options; 0 when none is.
    int SelectedLanguage() const;
    int SelectedDateFormat() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmCountrySetting();
    ~frmCountrySetting() override;
    void Form_Unload();

    bool m_unloaded = false;
};
