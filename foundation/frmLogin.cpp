#include "foundation/frmLogin.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modWindow.h"
#include "platform/LoadedForms.h"
#include "platform/TextInput.h"
#include "platform/WindowPlacement.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
frmLogin* g_login = nullptr;

struct LoginTexts {
    const char* User;
    const char* Supervisor;
    const char* Password;
    const char* Login;
};

// Language slots 1 to 5; slot 6 has no texts.
const LoginTexts Texts[5] = {
    {"&Benutzer", "&Leiter", "Passwort:", "Login"},
    {"&User", "&Supervisor", "Password:", "Login"},
    {"&Utilisateur", "&Responsable", "Mot de passe:", "Login"},
    {"&Utente", "&Dirigente", "Codice:", "Login"},
    {"&Usuario", "&Supervisor", "Santo y seña:", "Login"},
};

// The password field shows "*" for every typed character.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}

frmLogin* frmLogin::Instance()
{
    if (!g_login)
        g_login = new frmLogin();
    return g_login;
}

bool frmLogin::IsLoaded() { return g_login != nullptr; }

frmLogin::frmLogin()
{
    setObjectName(QStringLiteral("frmLogin"));
    RegisterForm(this, [this] { Unload(); });
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(frmResource::Instance()->windowIcon());

    for (int i = 1; i <= 2; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("optUser_%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { optUser_Click(i); });
        optUser[static_cast<size_t>(i)] = option;
    }
    lblPassword = new QLabel(this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    // A password is compared with the stored one, which holds Windows-1252
    // only: a character the file cannot hold could never match. No length of
    // its own, so that any stored password can be typed.
    InstallTextInput(txtPassword, 0);
    txtPassword->installEventFilter(this);
    lblPassword->setBuddy(txtPassword);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    auto* options = new QVBoxLayout;
    options->addWidget(optUser[1]);
    options->addWidget(optUser[2]);
    auto* password = new QHBoxLayout;
    password->addWidget(lblPassword);
    password->addWidget(txtPassword, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->addLayout(options);
    layout->addSpacing(6);
    layout->addLayout(password);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(360, 170);

    Form_Load();
}

frmLogin::~frmLogin()
{
    if (g_login == this)
        g_login = nullptr;
}

void frmLogin::Form_Load()
{
    m_loading = true;
    PlaceWindow(this, nullptr);
    SetCaptions(Language);
    txtPassword->setEchoMode(QLineEdit::Password);
    auto* style = new StarPasswordStyle;
    style->setParent(txtPassword);
    txtPassword->setStyle(style);
    // With no supervisor password set, the supervisor is the likely one to log in.
    if (!UserPasswords.SupervisorPassword.isEmpty())
        optUser[1]->setChecked(true);
    else
        optUser[2]->setChecked(true);
    txtPassword->setFocus();
    m_loading = false;
}

void frmLogin::SetCaptions(int16_t language)
{
    QString title = QString::fromUtf8(ProductTitle) + QStringLiteral(" - ");
    if (language >= 1 && language <= 5) {
        const LoginTexts& texts = Texts[language - 1];
        title += QString::fromUtf8(texts.Login);
        optUser[1]->setText(QString::fromUtf8(texts.User));
        optUser[2]->setText(QString::fromUtf8(texts.Supervisor));
        lblPassword->setText(QString::fromUtf8(texts.Password));
    } else {
        optUser[1]->setText(QString());
        optUser[2]->setText(QString());
        lblPassword->setText(QString());
    }
    setWindowTitle(title);
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmLogin::optUser_Click(int /*index*/)
{
    if (!m_loading)
        txtPassword->setFocus();
}

void frmLogin::txtPassword_GotFocus() { SelectAllText(txtPassword); }

void frmLogin::cmdOK_Click()
{
    // Passwords compare ignoring the case of letters; an empty stored
    // password is matched by an empty entry.
    const QString entry = txtPassword->text();
    auto matches = [&entry](const QString& stored) {
        return QString::compare(entry, stored, Qt::CaseInsensitive) == 0;
    };
    if (optUser[1]->isChecked())
        LoginLevel = matches(UserPasswords.UserPassword) ? 1 : 0;
    else if (optUser[2]->isChecked())
        LoginLevel = matches(UserPasswords.SupervisorPassword) ? 2 : 0;
    else
        LoginLevel = 0;
    Unload();
}

void frmLogin::cmdCancel_Click()
{
    LoginLevel = 0;
    Unload();
}

// Escape and the window's close button cancel.
void frmLogin::reject() { cmdCancel_Click(); }

bool frmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPassword && event->type() == QEvent::FocusIn)
        txtPassword_GotFocus();
    return QDialog::eventFilter(watched, event);
}

void frmLogin::Unload()
{
    Form_Unload();
    done(LoginLevel > 0 ? QDialog::Accepted : QDialog::Rejected);
}

void frmLogin::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (g_login == this)
        g_login = nullptr;
}
