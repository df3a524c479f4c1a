#include "styles/frmKeyboardDefinition.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMainTexts.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "instrument/modPropertyText.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/Text.h"
#include "platform/TextInput.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

frmKeyboardDefinition* g_instance = nullptr;
constexpr int16_t MsgInvalidEntry = 6;
constexpr int InstrumentLength = 25;
constexpr int SerialNumberLength = 3;
constexpr int PropertyLength = 35;
constexpr int ParameterLength = 15;

size_t At(int index)
{
    return static_cast<size_t>(index);
}

QPushButton* MakeButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QLineEdit* MakeBox(QWidget* parent, const QString& name, int maxLength)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    InstallTextInput(box, maxLength);
    return box;
}

} // namespace

frmKeyboardDefinition* frmKeyboardDefinition::Instance()
{
    if (!g_instance) {
        g_instance = new frmKeyboardDefinition();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmKeyboardDefinition::IsLoaded()
{
    return g_instance != nullptr;
}

int frmKeyboardDefinition::ShowForm()
{
    return ShowModal(*Instance());
}

int frmKeyboardDefinition::ParameterGap(const std::array<QString, 5>& texts)
{
    int lastFilled = 0;
    for (int i = 1; i <= 4; ++i) {
        // A name of colons alone is stored empty, so it fills nothing.
        if (AppendColon(texts[At(i)]).isEmpty())
            continue;
        if (i - lastFilled > 1)
            return i;
        lastFilled = i;
    }
    return 0;
}

frmKeyboardDefinition::frmKeyboardDefinition()
{
    setObjectName(QStringLiteral("frmKeyboardDefinition"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    lblInstrument = MakeLabel(this, QStringLiteral("lblInstrument"));
    txtInstrument = MakeBox(this, QStringLiteral("txtInstrument"), InstrumentLength);
    lblSerialNumber = MakeLabel(this, QStringLiteral("lblSerialNumber"));
    txtSerialNumber = MakeBox(this, QStringLiteral("txtSerialNumber"), SerialNumberLength);
    lblProperty = MakeLabel(this, QStringLiteral("lblProperty"));
    txtProperty = MakeBox(this, QStringLiteral("txtProperty"), PropertyLength);
    for (int i = 1; i <= 4; ++i) {
        lblParameter[At(i)] = MakeLabel(this, QStringLiteral("lblParameter%1").arg(i));
        txtParameter[At(i)] = MakeBox(this, QStringLiteral("txtParameter%1").arg(i), ParameterLength);
    }
    cmdOK = MakeButton(this, "cmdOK");
    cmdCancel = MakeButton(this, "cmdCancel");
    cmdOK->setDefault(true);

    // Boxes as wide as the texts they take.
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    txtInstrument->setMinimumWidth(charWidth * 16);
    txtSerialNumber->setFixedWidth(charWidth * 3 + 16);
    txtProperty->setMinimumWidth(charWidth * 20);

    auto* grid = new QGridLayout();
    grid->addWidget(lblInstrument, 0, 0);
    grid->addWidget(txtInstrument, 0, 1);
    grid->addWidget(lblSerialNumber, 0, 2);
    grid->addWidget(txtSerialNumber, 0, 3);
    grid->addWidget(lblProperty, 1, 0);
    grid->addWidget(txtProperty, 1, 1, 1, 3);
    for (int i = 1; i <= 4; ++i) {
        grid->addWidget(lblParameter[At(i)], 1 + i, 0);
        grid->addWidget(txtParameter[At(i)], 1 + i, 1);
    }
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(440, 250);

    for (QLineEdit* box : {txtInstrument, txtSerialNumber, txtProperty, txtParameter[1], txtParameter[2],
                           txtParameter[3], txtParameter[4]})
        box->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmKeyboardDefinition::~frmKeyboardDefinition()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmKeyboardDefinition::Form_Load()
{
    InitForm();
}

void frmKeyboardDefinition::InitForm()
{
    SetCaptions(Language);
    txtInstrument->setText(KeyboardDef.Instrument);
    txtSerialNumber->setText(KeyboardDef.SerialNumber);
    txtProperty->setText(PropertyName(1, Language));
    for (int i = 1; i <= 4; ++i)
        txtParameter[At(i)]->setText(ParameterNames(1, static_cast<int16_t>(i), Language));
}

void frmKeyboardDefinition::SetCaptions(int16_t language)
{
    static const char* const texts[5][3] = {
        {"Tastaturdefinition", "Eigenschaft:", "Parametername"},
        {"Keyboard definition", "Property:", "Parameter name"},
        {"Définition du clavier", "Caractéristique:", "Nom du paramètre"},
        {"Definizione della tastiera", "Caratteristica:", "Nome del parametro"},
        {"Definición del teclado", "Caracteristica:", "Nombre del parametro"},
    };
    const bool known = language >= 1 && language <= 5;
    auto text = [&](int column) { return known ? QString::fromUtf8(texts[language - 1][column]) : QString(); };
    setWindowTitle(text(0));
    lblProperty->setText(text(1));
    for (int i = 1; i <= 4; ++i)
        lblParameter[At(i)]->setText(known ? text(2) + QStringLiteral(" %1:").arg(i) : QString());
    // The same words as the main window's captions.
    lblInstrument->setText(MainCaption(QStringLiteral("lblInstrument"), language));
    lblSerialNumber->setText(MainCaption(QStringLiteral("lblSerialNumber"), language));
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

bool frmKeyboardDefinition::ValidateInput()
{
    std::array<QString, 5> names;
    for (int i = 1; i <= 4; ++i)
        names[At(i)] = txtParameter[At(i)]->text();
    const int offending = ParameterGap(names);
    const QString word = KeyboardWord(Language);
    if (Trim(txtProperty->text()).isEmpty())
        txtProperty->setText(word);
    if (Trim(txtInstrument->text()).isEmpty())
        txtInstrument->setText(word);
    if (offending > 0) {
        txtParameter[At(offending)]->setFocus();
        ShowMessage(MsgInvalidEntry);
        return false;
    }
    return true;
}

void frmKeyboardDefinition::cmdOK_Click()
{
    if (!ValidateInput())
        return;
    KeyboardDef.Instrument = Trim(txtInstrument->text());
    KeyboardDef.SerialNumber = Trim(txtSerialNumber->text());
    KeyboardDef.Property = Trim(txtProperty->text());
    KeyboardDef.Parameter1 = AppendColon(txtParameter[1]->text());
    KeyboardDef.Parameter2 = AppendColon(txtParameter[2]->text());
    KeyboardDef.Parameter3 = AppendColon(txtParameter[3]->text());
    KeyboardDef.Parameter4 = AppendColon(txtParameter[4]->text());
    if (IsEmptyKeyboardDefinition(KeyboardDef)) {
        // Only possible in the language without texts: the keyboard row keeps
        // the name it has at start-up instead of turning blank.
        InitConstants();
    } else {
        ModelShortName[KeyboardInstrumentCode] = KeyboardDef.Instrument;
        ModelLongName[KeyboardInstrumentCode] = ModelShortName[KeyboardInstrumentCode];
    }
    SaveSettingsTelling();
    Unload(QDialog::Accepted);
}

void frmKeyboardDefinition::cmdCancel_Click()
{
    Unload(QDialog::Rejected);
}

void frmKeyboardDefinition::SelectAllLater(QLineEdit* box)
{
    // Deferred: the mouse click that gave the focus would place the caret
    // and undo the selection.
    QTimer::singleShot(0, box, [box] { SelectAllText(box); });
}

void frmKeyboardDefinition::txtInstrument_GotFocus()
{
    SelectAllLater(txtInstrument);
}

void frmKeyboardDefinition::txtSerialNumber_GotFocus()
{
    SelectAllLater(txtSerialNumber);
}

void frmKeyboardDefinition::txtProperty_GotFocus()
{
    SelectAllLater(txtProperty);
}

void frmKeyboardDefinition::txtParameter_GotFocus(int index)
{
    SelectAllLater(txtParameter[At(index)]);
}

void frmKeyboardDefinition::reject()
{
    cmdCancel_Click();
}

void frmKeyboardDefinition::done(int result)
{
    Unload(result);
}

bool frmKeyboardDefinition::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtInstrument)
            txtInstrument_GotFocus();
        else if (watched == txtSerialNumber)
            txtSerialNumber_GotFocus();
        else if (watched == txtProperty)
            txtProperty_GotFocus();
        for (int i = 1; i <= 4; ++i) {
            if (watched == txtParameter[At(i)])
                txtParameter_GotFocus(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmKeyboardDefinition::Unload(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmKeyboardDefinition::Form_Unload()
{
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
