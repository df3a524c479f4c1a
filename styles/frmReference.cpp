#include "styles/frmReference.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "platform/ListClick.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
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

frmReference* g_instance = nullptr;
constexpr int ValueLength = 35;
constexpr int First = 2;
constexpr int Last = 4;

size_t At(int index)
{
    return static_cast<size_t>(index);
}

// The stored list of reference 2, 3 or 4.
std::vector<QString>& Values(int index)
{
    switch (index) {
    case 2: return Reference2Values;
    case 3: return Reference3Values;
    default: return Reference4Values;
    }
}

QPushButton* MakeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // A focused button of a dialog would take over Enter otherwise.
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmReference* frmReference::Instance()
{
    if (!g_instance) {
        g_instance = new frmReference();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmReference::IsLoaded()
{
    return g_instance != nullptr;
}

int frmReference::ShowForm()
{
    return ShowModal(*Instance());
}

frmReference::frmReference()
{
    setObjectName(QStringLiteral("frmReference"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    auto* groups = new QHBoxLayout();
    for (int i = First; i <= Last; ++i) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("fraReference%1").arg(i));
        auto* text = new QLineEdit(frame);
        text->setObjectName(QStringLiteral("txtReference%1").arg(i));
        InstallTextInput(text, ValueLength);
        auto* list = new QListWidget(frame);
        list->setObjectName(QStringLiteral("lstReference%1").arg(i));
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        // Thirty thousand entries of one height: no need to measure each.
        list->setUniformItemSizes(true);
        QPushButton* save = MakeButton(frame, "cmdSave");
        save->setObjectName(QStringLiteral("cmdSave%1").arg(i));
        save->setEnabled(false);
        QPushButton* remove = MakeButton(frame, "cmdDelete");
        remove->setObjectName(QStringLiteral("cmdDelete%1").arg(i));

        auto* editButtons = new QHBoxLayout();
        editButtons->addWidget(save);
        editButtons->addWidget(remove);
        auto* layout = new QVBoxLayout(frame);
        layout->addLayout(editButtons);
        layout->addWidget(text);
        layout->addWidget(list, 1);
        groups->addWidget(frame, 1);

        fraReference[At(i)] = frame;
        txtReference[At(i)] = text;
        lstReference[At(i)] = list;
        cmdSave[At(i)] = save;
        cmdDelete[At(i)] = remove;
        for (QWidget* control : {static_cast<QWidget*>(text), static_cast<QWidget*>(list),
                                 static_cast<QWidget*>(save), static_cast<QWidget*>(remove)})
            control->installEventFilter(this);
        connect(text, &QLineEdit::textChanged, this, [this, i] { txtReference_Change(i); });
        ConnectListClick(list, [this, i] { lstReference_Click(i); });
        connect(save, &QPushButton::clicked, this, [this, i] { cmdSave_Click(i); });
        connect(remove, &QPushButton::clicked, this, [this, i] { cmdDelete_Click(i); });
    }
    cmdSave[At(First)]->setDefault(true);
    cmdOK = MakeButton(this, "cmdOK");
    cmdCancel = MakeButton(this, "cmdCancel");
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups, 1);
    layout->addLayout(buttons);
    resize(720, 460);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmReference::~frmReference()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmReference::Form_Load()
{
    InitForm();
}

void frmReference::InitForm()
{
    SetCaptions(Language);
    for (int i = First; i <= Last; ++i) {
        fraReference[At(i)]->setTitle(EscapeAmpersand(GetReferenceTitle(i, Language)));
        FillSorted(lstReference[At(i)], ArrayToList(Values(i)));
    }
}

void frmReference::SetCaptions(int16_t language)
{
    static const char* const titles[5] = {"Referenzen 2 bis 4", "References 2 to 4", "Références 2 à 4",
                                          "Referenze 2 a 4", "Referencias 2 a 4"};
    setWindowTitle(language >= 1 && language <= 5 ? QString::fromUtf8(titles[language - 1]) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
    for (int i = First; i <= Last; ++i) {
        // The control names carry the index; the captions go by the array's name.
        cmdSave[At(i)]->setText(SetStandardButtonCaptions(QStringLiteral("cmdSave"), language));
        cmdDelete[At(i)]->setText(SetStandardButtonCaptions(QStringLiteral("cmdDelete"), language));
    }
}

void frmReference::ClearControls()
{
    for (int i = First; i <= Last; ++i) {
        txtReference[At(i)]->setText(QString());
        const QSignalBlocker blocker(lstReference[At(i)]);
        lstReference[At(i)]->clear();
    }
}

void frmReference::txtReference_Change(int index)
{
    cmdSave[At(index)]->setEnabled(!Trim(txtReference[At(index)]->text()).isEmpty());
}

void frmReference::txtReference_GotFocus(int index)
{
    // Deferred: the mouse click that gave the focus would place the caret
    // and undo the selection.
    QLineEdit* box = txtReference[At(index)];
    QTimer::singleShot(0, box, [box] { SelectAllText(box); });
    cmdSave[At(index)]->setDefault(true);
}

void frmReference::lstReference_Click(int index)
{
    const QListWidgetItem* item = lstReference[At(index)]->currentItem();
    txtReference[At(index)]->setText(item ? item->text() : QString());
    txtReference[At(index)]->setFocus();
}

void frmReference::lstReference_GotFocus(int index)
{
    cmdSave[At(index)]->setDefault(true);
}

void frmReference::cmdSave_GotFocus(int index)
{
    cmdSave[At(index)]->setDefault(true);
}

void frmReference::cmdDelete_GotFocus(int index)
{
    cmdSave[At(index)]->setDefault(true);
}

void frmReference::cmdSave_Click(int index)
{
    QListWidget* list = lstReference[At(index)];
    QLineEdit* box = txtReference[At(index)];
    const QString text = Trim(box->text());
    if (text.isEmpty())
        return;
    if (!ConfirmListEntry(text, list->count(), FindInList(text, list) > 0, MaxReferenceValues))
        return;
    InsertSorted(list, text);
    box->setText(QString());
    box->setFocus();
}

void frmReference::cmdDelete_Click(int index)
{
    RemoveSelectedEntries(lstReference[At(index)]);
}

void frmReference::StoreLists()
{
    for (int i = First; i <= Last; ++i)
        Values(i) = ListToArray(ListEntries(lstReference[At(i)]));
}

void frmReference::cmdOK_Click()
{
    StoreLists();
    SaveSettingsTelling();
    Unload(QDialog::Accepted);
}

void frmReference::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}

void frmReference::reject()
{
    cmdCancel_Click();
}

void frmReference::done(int result)
{
    Unload(result);
}

bool frmReference::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int i = First; i <= Last; ++i) {
            if (watched == txtReference[At(i)])
                txtReference_GotFocus(i);
            else if (watched == lstReference[At(i)])
                lstReference_GotFocus(i);
            else if (watched == cmdSave[At(i)])
                cmdSave_GotFocus(i);
            else if (watched == cmdDelete[At(i)])
                cmdDelete_GotFocus(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmReference::Unload(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmReference::Form_Unload()
{
    ClearControls();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
