#include "styles/frmOperator.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "platform/ListClick.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/SortedList.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "styles/ListEditorRules.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

frmOperator* g_instance = nullptr;
constexpr int NameLength = 35;

QPushButton* MakeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // A focused button of a dialog would take over Enter otherwise.
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmOperator* frmOperator::Instance()
{
    if (!g_instance) {
        g_instance = new frmOperator();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmOperator::IsLoaded()
{
    return g_instance != nullptr;
}

int frmOperator::ShowForm()
{
    return ShowModal(*Instance());
}

frmOperator::frmOperator()
{
    setObjectName(QStringLiteral("frmOperator"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    fraOperator = new QGroupBox(this);
    fraOperator->setObjectName(QStringLiteral("fraOperator"));
    txtOperator = new QLineEdit(fraOperator);
    txtOperator->setObjectName(QStringLiteral("txtOperator"));
    InstallTextInput(txtOperator, NameLength);
    lstOperator = new QListWidget(fraOperator);
    lstOperator->setObjectName(QStringLiteral("lstOperator"));
    lstOperator->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cmdSave = MakeButton(fraOperator, "cmdSave");
    cmdDelete = MakeButton(fraOperator, "cmdDelete");
    cmdOK = MakeButton(this, "cmdOK");
    cmdCancel = MakeButton(this, "cmdCancel");
    cmdSave->setDefault(true);
    cmdSave->setEnabled(false);

    auto* editButtons = new QVBoxLayout();
    editButtons->addWidget(cmdSave);
    editButtons->addWidget(cmdDelete);
    editButtons->addStretch();
    auto* entry = new QVBoxLayout();
    entry->addWidget(txtOperator);
    entry->addWidget(lstOperator, 1);
    auto* frame = new QHBoxLayout(fraOperator);
    frame->addLayout(entry, 1);
    frame->addLayout(editButtons);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraOperator, 1);
    layout->addLayout(buttons);
    resize(400, 420);

    for (QWidget* control : {static_cast<QWidget*>(txtOperator), static_cast<QWidget*>(lstOperator),
                             static_cast<QWidget*>(cmdSave), static_cast<QWidget*>(cmdDelete)})
        control->installEventFilter(this);
    connect(txtOperator, &QLineEdit::textChanged, this, [this] { txtOperator_Change(); });
    ConnectListClick(lstOperator, [this] { lstOperator_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmOperator::~frmOperator()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmOperator::Form_Load()
{
    InitForm();
}

void frmOperator::InitForm()
{
    MousePointerGuard hourglass(PointerHourglass);
    SetCaptions(Language);
    FillSorted(lstOperator, ArrayToList(Operators));
}

void frmOperator::SetCaptions(int16_t language)
{
    static const char* const titles[5] = {"Bedienungspersonen", "Operators", "Opérateurs", "Operatori", "Operarios"};
    setWindowTitle(language >= 1 && language <= 5 ? QString::fromUtf8(titles[language - 1]) : QString());
    for (QPushButton* button : {cmdOK, cmdCancel, cmdSave, cmdDelete})
        button->setText(SetStandardButtonCaptions(button, language));
}

void frmOperator::ClearControls()
{
    txtOperator->setText(QString());
    const QSignalBlocker blocker(lstOperator);
    lstOperator->clear();
}

void frmOperator::txtOperator_Change()
{
    cmdSave->setEnabled(!Trim(txtOperator->text()).isEmpty());
}

void frmOperator::txtOperator_GotFocus()
{
    // Deferred: the mouse click that gave the focus would place the caret
    // and undo the selection.
    QTimer::singleShot(0, txtOperator, [box = txtOperator] { SelectAllText(box); });
    cmdSave->setDefault(true);
}

void frmOperator::lstOperator_Click()
{
    const QListWidgetItem* item = lstOperator->currentItem();
    txtOperator->setText(item ? item->text() : QString());
    txtOperator->setFocus();
}

void frmOperator::lstOperator_GotFocus()
{
    cmdSave->setDefault(true);
}

void frmOperator::cmdSave_GotFocus()
{
    cmdSave->setDefault(true);
}

void frmOperator::cmdDelete_GotFocus()
{
    cmdSave->setDefault(true);
}

void frmOperator::cmdSave_Click()
{
    const QString text = Trim(txtOperator->text());
    if (text.isEmpty())
        return;
    if (!ConfirmListEntry(text, lstOperator->count(), FindInList(text, lstOperator) > 0, MaxOperators))
        return;
    InsertSorted(lstOperator, text);
    txtOperator->setText(QString());
    txtOperator->setFocus();
}

void frmOperator::cmdDelete_Click()
{
    RemoveSelectedEntries(lstOperator);
}

void frmOperator::StoreList()
{
    Operators = ListToArray(ListEntries(lstOperator));
}

void frmOperator::cmdOK_Click()
{
    StoreList();
    SaveSettingsTelling();
    Unload(QDialog::Accepted);
}

void frmOperator::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}

void frmOperator::reject()
{
    cmdCancel_Click();
}

void frmOperator::done(int result)
{
    Unload(result);
}

bool frmOperator::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtOperator)
            txtOperator_GotFocus();
        else if (watched == lstOperator)
            lstOperator_GotFocus();
        else if (watched == cmdSave)
            cmdSave_GotFocus();
        else if (watched == cmdDelete)
            cmdDelete_GotFocus();
    }
    return QDialog::eventFilter(watched, event);
}

void frmOperator::Unload(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmOperator::Form_Unload()
{
    ClearControls();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
