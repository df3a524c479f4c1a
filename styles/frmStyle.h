#pragma once
// The style editor: the modal dialog in which styles are created, changed and
// deleted. A style fixes for every test type the test parameters (kept as the
// expected data string), the nominal values, limits, confidence interval and
// number of tests, and names the report forms its series run under.
//
// The dialog works on a working copy of the stored styles: Save and Delete
// change only the copy, OK stores it and saves the settings, Cancel throws
// every change away. One page of parameter controls per test type lies below
// a tab strip that holds a tab for each property of the chosen report forms;
// the nominal area beside it belongs to the page in front. The pages' state
// lives in the page models (TestPage, NominalArea); the controls mirror it.
//
// Files: frmStyle.cpp (controls, layout, captions, loading and unloading),
// frmStylePages.cpp (the page controls and their state, tips and key
// filters), frmStyleCommands.cpp (lists, tabs, moving between pages, the
// buttons).
#include "foundation/Records.h"
#include "styles/TestPage.h"

#include <QDialog>
#include <QVariantList>
#include <array>
#include <cstdint>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;

class frmStyle : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmStyle* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes. OK gives
    // QDialog::Accepted; the caller refills its list of styles.
    static int ShowForm();

    template <typename T>
    using ByTestType = std::array<T*, TestTypeCount + 1>;   // control arrays, index = test type

    QListWidget* lstStyle = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* imgFolder = nullptr;
    QLabel* lblDirectoryE = nullptr;
    QListWidget* lstProtocol = nullptr;
    QTabBar* tabStyle = nullptr;
    QStackedWidget* stkProperty = nullptr;   // holds the pages below the tabs

    // The page controls; a page has only the members its test type needs.
    ByTestType<QGroupBox> fraProperty{};
    ByTestType<QGroupBox> fraSample1{}, fraSample2{}, fraSample3{}, fraSample4{};
    ByTestType<QLineEdit> txtSample1{}, txtSample2{}, txtSample3{}, txtSample4{};
    ByTestType<QComboBox> cboSample1{}, cboSample2{}, cboSample3{}, cboSample4{};
    ByTestType<QComboBox> cboSample31{}, cboSample32{};
    ByTestType<QLabel> lblSample3{}, lblSample1{};
    ByTestType<QRadioButton> optSample1Unit1{}, optSample1Unit2{}, optSample1Unit3{};
    ByTestType<QRadioButton> optSample3Unit1{}, optSample3Unit2{}, optSample3Unit3{};
    ByTestType<QRadioButton> optSample4Unit1{}, optSample4Unit2{};
    ByTestType<QLabel> lblSample1Unit{}, lblSample2Unit{}, lblSample3Unit{}, lblSample4Unit{};
    ByTestType<QComboBox> cboSample1Unit{}, cboSample2Unit{}, cboSample3Unit{}, cboSample4Unit{};
    ByTestType<QGroupBox> fraUnit{};
    ByTestType<QComboBox> cboUnit1{}, cboUnit2{};

    // The nominal area.
    QLabel* lblNominal = nullptr;
    QLabel* lblLLimit = nullptr;
    QLabel* lblULimit = nullptr;
    QLabel* lblCI = nullptr;
    QLabel* lblTest = nullptr;
    QLineEdit* txtNominal1 = nullptr;
    QLineEdit* txtNominal2 = nullptr;
    QLineEdit* txtLLimit1 = nullptr;
    QLineEdit* txtLLimit2 = nullptr;
    QLineEdit* txtULimit1 = nullptr;
    QLineEdit* txtULimit2 = nullptr;
    QLineEdit* txtCI1 = nullptr;
    QLineEdit* txtCI2 = nullptr;
    QComboBox* cboTest = nullptr;

    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Element 0 is the style being edited, 1 to n the styles as they will be stored.
    std::vector<Style> WorkingStyles;
    // The test type of the page in front.
    int16_t CurrentTestType = 1;
    // True while a chosen style's report forms are being selected.
    bool SelectingForms = false;
    // Fixed while the dialog is open.
    bool HasKR6100III = false;
    bool TestArea44Variant = false;
    // What the pages and the nominal area hold.
    TestPages Pages;
    NominalArea Nominals;

    // Handlers.
    void lstStyle_Click();
    void lstProtocol_Click();
    void tabStyle_Click();
    void txtName_Change();
    void cmdSave_Click();
    void cmdDelete_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void optSample1Unit1_Click(int index);
    void optSample1Unit2_Click(int index);
    // The dependent lists: the result unit of pages 12 and 15, the pressure
    // sequence of page 13; other indexes change nothing else.
    void cboUnit1_Click(int index);
    void cboSample1_Click(int index);

    // Procedures.
    void InitForm();
    void ClearForm();
    bool CanSave() const;
    // Leaves the page of the old test type and shows the page of the new one
    // (0 = none); False when the old page holds an invalid entry (the user
    // has been told) and nothing changed.
    bool SwitchTest(int oldTestType, int newTestType);
    void EnableTestArea(int on);
    void FillTestTabs(QVariantList testTypes);
    void SelectTestTab(int testType);
    void SetCaptions(int16_t language);
    void ShowNominals(const TestDefinition& definition);
    void ArrangeTestPage(int testType);
    void InitTestControls(int testType);
    void ShowTest(int testType, const TestDefinition& definition);
    TestDefinition ReadTest(int testType) const;
    PageControl ValidateTest(int testType) const;

    // OK without the settings write: the working copy becomes Styles (element
    // 0 stays blank) and the edited style CurrentStyle.
    void StoreStyles();

    // The widget of a page control or a box of the nominal area; nullptr
    // where the page has none.
    QWidget* ControlWidget(int testType, PageControl control) const;
    // The tip a box shows now.
    QString TipOf(int testType, PageControl control) const;

    // Escape and the close box cancel; closing in any way unloads.
    void reject() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmStyle();
    ~frmStyle() override;
    void Form_Load();
    void Form_Unload();
    void Unload(int result);

    void CreateNominalArea();
    void CreatePage(int testType);
    QWidget* CreateControl(int testType, PageControl control, QWidget* parent);
    void ConnectControl(int testType, PageControl control, QWidget* widget);
    // Writes the state of a page or of the nominal area into its controls.
    void ApplyPage(int testType);
    void ApplyNominals();
    // A list entry or an option of a page chosen by the user.
    void PageControl_Click(int testType, PageControl control);
    void RefuseEntry(int testType, PageControl control);
    PageContext Context() const;
    // The text of the selected entry of lstStyle; empty when none is.
    QString SelectedStyleName() const;
    int SelectedFormCount() const;
    int TabOfTestType(int testType) const;
    // The tab strip back on the tab of the page in front, without a click; a
    // page that no chosen form lists gets a tab of its own until it is left.
    void ReturnToCurrentTab();

    // Every control of the pages by test type and name; row 0 holds the
    // nominal area.
    std::array<std::array<QWidget*, PageControlCount>, TestTypeCount + 1> m_controls{};
    bool m_unloaded = false;
    // The test type of a tab kept for the page in front after a refused move,
    // although no chosen form lists it; 0 when there is none.
    int m_keptTab = 0;
};
