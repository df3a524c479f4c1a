#include "styles/frmReportForm.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "instrument/modPropertyText.h"
#include "platform/ListClick.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/SortedList.h"
#include "platform/TextInput.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

frmReportForm* g_instance = nullptr;
constexpr int NameLength = 35;

size_t At(int index)
{
    return static_cast<size_t>(index);
}

QPushButton* MakeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // A focused button of a dialog would take over Enter otherwise.
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeBox(QWidget* parent, const QString& name)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(name);
    return box;
}

} // namespace

frmReportForm* frmReportForm::Instance()
{
    if (!g_instance) {
        g_instance = new frmReportForm();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmReportForm::IsLoaded()
{
    return g_instance != nullptr;
}

int frmReportForm::ShowForm()
{
    return ShowModal(*Instance());
}

frmReportForm::frmReportForm()
{
    setObjectName(QStringLiteral("frmReportForm"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    fraProtocol = new QGroupBox(this);
    fraProtocol->setObjectName(QStringLiteral("fraProtocol"));
    txtName = new QLineEdit(fraProtocol);
    txtName->setObjectName(QStringLiteral("txtName"));
    InstallTextInput(txtName, NameLength);
    lstProtocol = new QListWidget(fraProtocol);
    lstProtocol->setObjectName(QStringLiteral("lstProtocol"));
    lstProtocol->setSelectionMode(QAbstractItemView::SingleSelection);
    cmdSave = MakeButton(fraProtocol, "cmdSave");
    cmdDelete = MakeButton(fraProtocol, "cmdDelete");
    cmdSave->setDefault(true);
    cmdSave->setEnabled(false);

    auto* editButtons = new QHBoxLayout();
    editButtons->addWidget(cmdSave);
    editButtons->addWidget(cmdDelete);
    auto* frame = new QVBoxLayout(fraProtocol);
    frame->addWidget(txtName);
    frame->addWidget(lstProtocol, 1);
    frame->addLayout(editButtons);

    auto* properties = new QGridLayout();
    properties->setVerticalSpacing(2);
    for (int t = 1; t <= TestTypeCount; ++t) {
        chkProperty[At(t)] = MakeBox(this, QStringLiteral("chkProperty%1").arg(t));
        chkHistogram[At(t)] = MakeBox(this, QStringLiteral("chkHistogram%1").arg(t));
        properties->addWidget(chkProperty[At(t)], t - 1, 0);
        properties->addWidget(chkHistogram[At(t)], t - 1, 1);
        if (HasCurveBox(t)) {
            chkCurve[At(t)] = MakeBox(this, QStringLiteral("chkCurve%1").arg(t));
            properties->addWidget(chkCurve[At(t)], t - 1, 2);
        }
        connect(chkProperty[At(t)], &QCheckBox::clicked, this, [this, t] { chkProperty_Click(t); });
    }
    // Created after the boxes, so that Tab reaches the boxes before them.
    cmdOK = MakeButton(this, "cmdOK");
    cmdCancel = MakeButton(this, "cmdCancel");
    properties->setHorizontalSpacing(16);
    properties->setColumnStretch(3, 1);

    auto* top = new QHBoxLayout();
    top->addWidget(fraProtocol, 2);
    top->addLayout(properties, 5);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(760, 560);

    txtName->installEventFilter(this);
    connect(txtName, &QLineEdit::textChanged, this, [this] { txtName_Change(); });
    ConnectListClick(lstProtocol, [this] { lstProtocol_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmReportForm::~frmReportForm()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmReportForm::Form_Load()
{
    InitForm();
    Updating = false;
    WorkingForms = ReportForms;
    if (WorkingForms.empty())
        WorkingForms.resize(1);
    QStringList names;
    for (size_t n = 1; n < WorkingForms.size(); ++n)
        names.append(WorkingForms[n].Name);
    FillSorted(lstProtocol, names);
    cmdSave->setEnabled(IsEntryComplete());
}

void frmReportForm::InitForm()
{
    SetCaptions(Language);
    ClearEntry();
    EnablePropertyBoxes();
}

void frmReportForm::SetCaptions(int16_t language)
{
    static const char* const texts[5][3] = {
        {"Formulare", "Histogramm", "Kurve"},
        {"Report forms", "Histogram", "Curve"},
        {"Formulaires", "Histogram", "Courbe"},
        {"Formolare", "Istogramma", "Curva"},
        {"Formularios", "Histograma", "Curva"},
    };
    const bool known = language >= 1 && language <= 5;
    auto text = [&](int column) { return known ? QString::fromUtf8(texts[language - 1][column]) : QString(); };
    setWindowTitle(text(0));
    for (int t = 1; t <= TestTypeCount; ++t) {
        chkProperty[At(t)]->setText(EscapeAmpersand(PropertyName(static_cast<int16_t>(t), language)));
        chkHistogram[At(t)]->setText(text(1));
        if (chkCurve[At(t)])
            chkCurve[At(t)]->setText(text(2));
    }
    for (QPushButton* button : {cmdOK, cmdCancel, cmdSave, cmdDelete})
        button->setText(SetStandardButtonCaptions(button, language));
}

void frmReportForm::ClearEntry()
{
    for (int t = 1; t <= TestTypeCount; ++t) {
        chkProperty[At(t)]->setChecked(false);
        chkHistogram[At(t)]->setChecked(false);
        if (chkCurve[At(t)])
            chkCurve[At(t)]->setChecked(false);
    }
    txtName->setText(QString());
}

void frmReportForm::ShowEntry(const ReportForm& form)
{
    txtName->setText(form.Name);
    const PropertyBoxStates states = EntryStates(form);
    for (int t = 1; t <= TestTypeCount; ++t) {
        if (!states.Property[At(t)])
            continue;
        chkProperty[At(t)]->setChecked(true);
        chkHistogram[At(t)]->setChecked(states.Histogram[At(t)]);
        if (chkCurve[At(t)])
            chkCurve[At(t)]->setChecked(states.Curve[At(t)]);
    }
}

PropertyBoxStates frmReportForm::BoxStates() const
{
    PropertyBoxStates states;
    for (int t = 1; t <= TestTypeCount; ++t) {
        states.Property[At(t)] = chkProperty[At(t)]->isChecked();
        states.Histogram[At(t)] = chkHistogram[At(t)]->isChecked();
        states.Curve[At(t)] = chkCurve[At(t)] && chkCurve[At(t)]->isChecked();
    }
    return states;
}

ReportForm frmReportForm::ReadEntry() const
{
    return ::ReadEntry(txtName->text(), BoxStates());
}

bool frmReportForm::IsEntryComplete() const
{
    return ::IsEntryComplete(txtName->text(), BoxStates().Property);
}

void frmReportForm::EnablePropertyBoxes()
{
    const TestTypeFlags enabled = EnabledPropertyBoxes(BoxStates().Property, PortDevice);
    for (int t = 1; t <= TestTypeCount; ++t) {
        chkProperty[At(t)]->setEnabled(enabled[At(t)]);
        chkHistogram[At(t)]->setEnabled(enabled[At(t)]);
        if (chkCurve[At(t)])
            chkCurve[At(t)]->setEnabled(enabled[At(t)]);
    }
}

void frmReportForm::ReleaseFormList()
{
    WorkingForms.clear();
    SavedForms.clear();
    const QSignalBlocker blocker(lstProtocol);
    lstProtocol->clear();
}

void frmReportForm::lstProtocol_Click()
{
    const QListWidgetItem* item = lstProtocol->currentItem();
    Updating = true;
    ClearEntry();
    const int n = item ? FindReportFormIndex(item->text(), WorkingForms) : 0;
    if (n > 0)
        ShowEntry(WorkingForms[At(n)]);
    Updating = false;
    EnablePropertyBoxes();
    cmdSave->setEnabled(IsEntryComplete());
    txtName->setFocus();
}

void frmReportForm::txtName_Change()
{
    cmdSave->setEnabled(IsEntryComplete());
}

void frmReportForm::txtName_GotFocus()
{
    // Deferred: the mouse click that gave the focus would place the caret
    // and undo the selection.
    QTimer::singleShot(0, txtName, [box = txtName] { SelectAllText(box); });
}

void frmReportForm::chkProperty_Click(int index)
{
    if (Updating)
        return;
    if (CheckedPropertyCount(BoxStates().Property) > MaxFormProperties) {
        // Unchecking by program raises no click, so the count is not taken again.
        chkProperty[At(index)]->setChecked(false);
        ShowMessage(MsgTooManyProperties, {MaxFormProperties});
    }
    EnablePropertyBoxes();
    cmdSave->setEnabled(IsEntryComplete());
}

void frmReportForm::cmdSave_Click()
{
    if (IsEntryComplete()) {
        const ReportForm form = ReadEntry();
        const FormSaveResult saved = SaveReportForm(WorkingForms, form);
        if (saved.Refused) {
            ShowMessage(MsgListFull, {MaxReportForms});
        } else {
            if (saved.Added)
                InsertSorted(lstProtocol, form.Name);
            SavedForms.push_back(form);
            Updating = true;
            ClearEntry();
            Updating = false;
            // The boxes of the saved entry would stay disabled while nothing
            // is checked any more.
            EnablePropertyBoxes();
        }
    }
    cmdSave->setEnabled(IsEntryComplete());
    txtName->setFocus();
}

void frmReportForm::cmdDelete_Click()
{
    const QListWidgetItem* item = lstProtocol->currentItem();
    if (!item || !item->isSelected() || FindReportFormIndex(item->text(), WorkingForms) == 0) {
        InputBeep();
    } else {
        const QString name = item->text();
        switch (DeleteReportForm(WorkingForms, name, Styles)) {
        case FormDeleteResult::LinkedToStyle:
            ShowMessage(MsgFormLinkedToStyle);
            break;
        case FormDeleteResult::Deleted: {
            const int position = FindInList(name, lstProtocol);
            const QSignalBlocker blocker(lstProtocol);
            if (position > 0)
                delete lstProtocol->takeItem(position - 1);
            // Qt would make the next form current and selected, and a second
            // Delete would remove a form nobody chose.
            ClearListSelection(lstProtocol);
            break;
        }
        case FormDeleteResult::NotFound:
            InputBeep();
            break;
        }
    }
    cmdSave->setEnabled(IsEntryComplete());
    txtName->setFocus();
}

void frmReportForm::StoreForms()
{
    ApplySavedForms(Styles, SavedForms);
    ReportForms = WorkingForms;
}

void frmReportForm::cmdOK_Click()
{
    StoreForms();
    SaveSettingsTelling();
    Unload(QDialog::Accepted);
}

void frmReportForm::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}

void frmReportForm::reject()
{
    cmdCancel_Click();
}

void frmReportForm::done(int result)
{
    Unload(result);
}

bool frmReportForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtName && event->type() == QEvent::FocusIn)
        txtName_GotFocus();
    return QDialog::eventFilter(watched, event);
}

void frmReportForm::Unload(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmReportForm::Form_Unload()
{
    ReleaseFormList();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
