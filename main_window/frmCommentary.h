#pragma once
// The small modal dialog in which the operator comments one test of the
// current property of the series shown, or takes it out of the series with
// the comment as its reason. The main window hands over the test's index in
// its Tag text; the dialog leaves the text as it was when it changed the
// test (the main window then recomputes) and empties it otherwise. What it
// changes it writes straight into the series.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct PropertyBlock;

class frmCommentary : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmCommentary* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    // Form variables: the test's index into the block's Values (0 when the
    // Tag names no test: every way out is then Cancel), and whether the box
    // was changed after loading.
    int TestIndex = 0;
    bool Changed = false;

    QLabel* lblCommentary = nullptr;
    QLineEdit* txtCommentary = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelete = nullptr;

    void Form_Load();
    // The captions of language 1 to 5; the sixth slot and any other number
    // have none but the standard buttons'.
    void SetCaptions(int language);
    void txtCommentary_Change();
    void txtCommentary_GotFocus();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();

    // Esc and the close box are Cancel.
    void reject() override;
    // Closing in any way unloads the dialog.
    void done(int result) override;

private:
    frmCommentary();
    ~frmCommentary() override;

    void Form_Unload();
    // The current property's block of the series shown; null when the
    // series or the property does not exist.
    PropertyBlock* Block() const;
    // The main window's hand-over text.
    QString& Tag() const;

    bool m_unloaded = false;
};
