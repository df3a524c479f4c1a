#pragma once
// The modal dialog that edits the titles of references 2, 3 and 4 in the six
// language slots (RefTitles). OK stores each title with one trailing colon,
// an empty one as its default, and saves the settings.
#include <QDialog>
#include <array>
#include <cstdint>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmReferenceTitle : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmReferenceTitle* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    using TitleBoxes = std::array<QLineEdit*, 5>;   // elements 2 to 4

    QGroupBox* fraReferenceTitle = nullptr;
    std::array<QLabel*, 5> lblReferenceTitle{};     // 2 to 4
    QGroupBox* fraGerman = nullptr;
    QGroupBox* fraEnglish = nullptr;
    QGroupBox* fraFrench = nullptr;
    QGroupBox* fraItalian = nullptr;
    QGroupBox* fraSpanish = nullptr;
    QGroupBox* fraUnknown = nullptr;
    TitleBoxes txtReferenceTitleG{};
    TitleBoxes txtReferenceTitleE{};
    TitleBoxes txtReferenceTitleF{};
    TitleBoxes txtReferenceTitleI{};
    TitleBoxes txtReferenceTitleS{};
    TitleBoxes txtReferenceTitleU{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The box of reference r (2 to 4) in language slot 1 to 6.
    QLineEdit* TitleBox(int slot, int reference) const;

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    void ClearTitles();

    void cmdOK_Click();
    void cmdCancel_Click();
    // Each selects the whole text of the element that got the focus.
    void txtReferenceTitleG_GotFocus(int index);
    void txtReferenceTitleE_GotFocus(int index);
    void txtReferenceTitleF_GotFocus(int index);
    void txtReferenceTitleI_GotFocus(int index);
    void txtReferenceTitleS_GotFocus(int index);
    void txtReferenceTitleU_GotFocus(int index);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmReferenceTitle();
    ~frmReferenceTitle() override;
    void Form_Unload();
    TitleBoxes& SlotBoxes(int slot);
    const TitleBoxes& SlotBoxes(int slot) const;
};
