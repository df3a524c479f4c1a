#include "system_settings/frmPassword.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modWindow.h"
#include "platform/Colors.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "system_settings/DesignControls.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

frmPassword* g_instance = nullptr;

constexpr int ClientWidth = 6600;
constexpr int ClientHeight = 1995;
constexpr int PasswordMaxLength = 15;
constexpr int16_t MsgInvalidEntry = 6;
constexpr int32_t BoxWhite = 0xFFFFFF;
constexpr int32_t MismatchYellow = 0x80FFFF;
const char* const BackColorProperty = "BackColor";

struct Captions {
    const char* window;
    const char* user;
    const char* supervisor;
    const char* password;
    const char* confirm;
};
// Languages 1 to 5; the sixth has no texts.
const Captions CaptionTable[5] = {
    {"Passwörter ändern", "Benutzer", "Leiter", "Neues Passwort:", "Bestätigung:"},
    {"Change passwords", "User", "Supervisor", "New password:", "Confirmation:"},
    {"Changer les mots de passe", "Utilisateur", "Responsable", "Nouveau mot de passe:", "Confirmation:"},
    {"Cambiare i codici", "Utente", "Dirigente", "Nuovo codice:", "Conferma:"},
    {"Cambiar los santos y seña", "Usuario", "Supervisor", "Nuevo santo y seña:", "Confirmación:"},
};

// Each typed character shows as "*"; the background is the box's colour.
void SetBackColor(QLineEdit* box, int32_t colour)
{
    box->setProperty(BackColorProperty, colour);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; background-color: %1; }")
                           .arg(ToQColor(colour).name()));
}

QLineEdit* NewPasswordBox(QWidget* frame, const QString& name, int top)
{
    auto* box = new QLineEdit(frame);
    box->setObjectName(name);
    PlaceControl(box, 120, top, 1920, 315);
    box->setEchoMode(QLineEdit::Password);
    // Only what the settings file can hold: a password stored as "?" could
    // never be typed again at the login.
    InstallTextInput(box, PasswordMaxLength);
    SetBackColor(box, BoxWhite);
    // A longer stored password shown in the box (below) can be shortened,
    // never lengthened: the limit follows the text down to 15.
    QObject::connect(box, &QLineEdit::textEdited, box, [box] {
        box->setMaxLength(std::max(PasswordMaxLength, static_cast<int>(box->text().size())));
    });
    return box;
}

// A stored password is shown whole even when it is longer than a new one
// may be typed (an older settings file may hold one, and the login takes
// it): the box would otherwise cut it, and OK without typing would store the
// cut password, which the supervisor does not know.
void ShowStoredPassword(QLineEdit* box, const QString& password)
{
    box->setMaxLength(std::max(PasswordMaxLength, static_cast<int>(password.size())));
    box->setText(password);
}

QGroupBox* NewFrame(QWidget* parent, const QString& name, int left)
{
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    PlaceControl(frame, left, 120, 2160, 1200);
    return frame;
}

QLabel* NewRowLabel(QWidget* parent, const QString& name, int top)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    PlaceControl(label, 120, top, 1800, 255);
    return label;
}

} // namespace

frmPassword* frmPassword::Instance()
{
    if (!g_instance) {
        g_instance = new frmPassword();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmPassword::IsLoaded()
{
    return g_instance != nullptr;
}

int frmPassword::ShowForm()
{
    return ShowModal(*Instance());
}

frmPassword::frmPassword()
{
    setObjectName(QStringLiteral("frmPassword"));
    // Unloading from outside ends the dialog as closing it does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    SetDesignFont(this);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    lblPassword = NewRowLabel(this, QStringLiteral("lblPassword"), 450);
    lblConfirm = NewRowLabel(this, QStringLiteral("lblConfirm"), 870);
    fraUser = NewFrame(this, QStringLiteral("fraUser"), 2040);
    txtUserPassword = NewPasswordBox(fraUser, QStringLiteral("txtUserPassword"), 300);
    txtUserConfirm = NewPasswordBox(fraUser, QStringLiteral("txtUserConfirm"), 720);
    fraSupervisor = NewFrame(this, QStringLiteral("fraSupervisor"), 4320);
    txtSupervisorPassword = NewPasswordBox(fraSupervisor, QStringLiteral("txtSupervisorPassword"), 300);
    txtSupervisorConfirm = NewPasswordBox(fraSupervisor, QStringLiteral("txtSupervisorConfirm"), 720);

    connect(txtUserPassword, &QLineEdit::textChanged, this, [this] { txtUserPassword_Change(); });
    connect(txtUserConfirm, &QLineEdit::textChanged, this, [this] { txtUserConfirm_Change(); });
    connect(txtSupervisorPassword, &QLineEdit::textChanged, this, [this] { txtSupervisorPassword_Change(); });
    connect(txtSupervisorConfirm, &QLineEdit::textChanged, this, [this] { txtSupervisorConfirm_Change(); });
    for (QLineEdit* box : {txtUserPassword, txtUserConfirm, txtSupervisorPassword, txtSupervisorConfirm})
        box->installEventFilter(this);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceControl(cmdOK, 3930, 1500, 1215, 375);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceControl(cmdCancel, 5265, 1500, 1215, 375);
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmPassword::~frmPassword()
{
    if (g_instance == this)
        g_instance = nullptr;
}

int32_t frmPassword::BackColor(const QLineEdit* box)
{
    return box->property(BackColorProperty).toInt();
}

void frmPassword::Form_Load()
{
    InitForm();
    // Both boxes of a level start equal, so OK without typing keeps both.
    ShowStoredPassword(txtUserPassword, UserPasswords.UserPassword);
    ShowStoredPassword(txtUserConfirm, UserPasswords.UserPassword);
    ShowStoredPassword(txtSupervisorPassword, UserPasswords.SupervisorPassword);
    ShowStoredPassword(txtSupervisorConfirm, UserPasswords.SupervisorPassword);
}

void frmPassword::InitForm()
{
    SetCaptions(Language);
}

void frmPassword::SetCaptions(int16_t language)
{
    const bool known = language >= 1 && language <= 5;
    const auto text = [known](const char* utf8) { return known ? QString::fromUtf8(utf8) : QString(); };
    const Captions& texts = CaptionTable[known ? language - 1 : 0];
    setWindowTitle(text(texts.window));
    fraUser->setTitle(text(texts.user));
    fraSupervisor->setTitle(text(texts.supervisor));
    lblPassword->setText(text(texts.password));
    lblConfirm->setText(text(texts.confirm));
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmPassword::ValidatePasswords(bool& valid)
{
    QLineEdit* marked = nullptr;
    if (txtUserPassword->text() != txtUserConfirm->text()) {
        SetBackColor(txtUserConfirm, MismatchYellow);
        marked = txtUserConfirm;
    }
    if (txtSupervisorPassword->text() != txtSupervisorConfirm->text()) {
        SetBackColor(txtSupervisorConfirm, MismatchYellow);
        marked = txtSupervisorConfirm;
    }
    if (marked)
        marked->setFocus();
    valid = marked == nullptr;
}

void frmPassword::cmdOK_Click()
{
    bool valid = false;
    ValidatePasswords(valid);
    if (!valid) {
        ShowMessage(MsgInvalidEntry);
        return;
    }
    // Kept untrimmed. The file gets them with the next SaveSettings.
    UserPasswords.UserPassword = txtUserPassword->text();
    UserPasswords.SupervisorPassword = txtSupervisorPassword->text();
    accept();
}

void frmPassword::cmdCancel_Click()
{
    reject();
}

void frmPassword::txtUserPassword_Change()
{
    SetBackColor(txtUserPassword, BoxWhite);
}

void frmPassword::txtUserConfirm_Change()
{
    SetBackColor(txtUserConfirm, BoxWhite);
}

void frmPassword::txtSupervisorPassword_Change()
{
    SetBackColor(txtSupervisorPassword, BoxWhite);
}

void frmPassword::txtSupervisorConfirm_Change()
{
    SetBackColor(txtSupervisorConfirm, BoxWhite);
}

void frmPassword::txtUserPassword_GotFocus()
{
    SelectAllText(txtUserPassword);
}

void frmPassword::txtUserConfirm_GotFocus()
{
    SelectAllText(txtUserConfirm);
}

void frmPassword::txtSupervisorPassword_GotFocus()
{
    SelectAllText(txtSupervisorPassword);
}

void frmPassword::txtSupervisorConfirm_GotFocus()
{
    SelectAllText(txtSupervisorConfirm);
}

bool frmPassword::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        using Handler = void (frmPassword::*)();
        const std::pair<QLineEdit*, Handler> handlers[] = {
            {txtUserPassword, &frmPassword::txtUserPassword_GotFocus},
            {txtUserConfirm, &frmPassword::txtUserConfirm_GotFocus},
            {txtSupervisorPassword, &frmPassword::txtSupervisorPassword_GotFocus},
            {txtSupervisorConfirm, &frmPassword::txtSupervisorConfirm_GotFocus},
        };
        for (const auto& [box, handler] : handlers) {
            // After the click that gave the focus has placed the caret.
            if (watched == box)
                QTimer::singleShot(0, this, [this, handler = handler] { (this->*handler)(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmPassword::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmPassword::Form_Unload()
{
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
