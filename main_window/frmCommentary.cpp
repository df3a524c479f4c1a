#include "main_window/frmCommentary.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modWindow.h"
#include "main_window/frmMain.h"
#include "main_window/modTestEdit.h"
#include "platform/GotFocus.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

frmCommentary* g_instance = nullptr;

constexpr int ClientWidth = 4935;
constexpr int ClientHeight = 1395;
// A comment is kept with at most this many characters.
constexpr int CommentaryLength = 25;

struct Captions {
    const char* commentary;
    const char* deleteTest;
};
// Languages 1 to 5.
const Captions CaptionTable[5] = {
    {"Kommentar", "&Messresultat löschen"},
    {"Commentary", "&Delete test result"},
    {"Commentaire", "&Annuler le résultat"},
    {"Commento", "&Annullare il risultato"},
    {"Comentario", "&Cancelar el resultado"},
};

void Place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

QPushButton* NewButton(QWidget* parent, const char* name, int left)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    Place(button, left, 840, name[3] == 'D' ? 2055 : 1200, 375);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmCommentary* frmCommentary::Instance()
{
    if (!g_instance) {
        g_instance = new frmCommentary();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmCommentary::IsLoaded()
{
    return g_instance != nullptr;
}

int frmCommentary::ShowForm()
{
    return ShowModal(*Instance());
}

frmCommentary::frmCommentary()
{
    setObjectName(QStringLiteral("frmCommentary"));
    // Unloading from outside ends the dialog as Cancel does.
    RegisterForm(this, [this] { cmdCancel_Click(); });
    setFont(frmMain::WindowFont());
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    lblCommentary = new QLabel(this);
    lblCommentary->setObjectName(QStringLiteral("lblCommentary"));
    lblCommentary->setTextFormat(Qt::PlainText);
    Place(lblCommentary, 120, 120, 4695, 195);
    txtCommentary = new QLineEdit(this);
    txtCommentary->setObjectName(QStringLiteral("txtCommentary"));
    Place(txtCommentary, 120, 360, 4695, 315);
    // The comment is stored with the test: only what the file can keep.
    InstallTextInput(txtCommentary, CommentaryLength);
    lblCommentary->setBuddy(txtCommentary);

    // In tab order after the box; OK is the default button (Enter).
    cmdOK = NewButton(this, "cmdOK", 2310);
    cmdOK->setDefault(true);
    cmdCancel = NewButton(this, "cmdCancel", 3615);
    cmdDelete = NewButton(this, "cmdDelete", 120);
    setTabOrder(txtCommentary, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, cmdDelete);

    // A text the program sets counts as a change too: loading resets the flag.
    connect(txtCommentary, &QLineEdit::textChanged, this, [this] { txtCommentary_Change(); });
    ConnectGotFocus(txtCommentary, [this] { txtCommentary_GotFocus(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
}

frmCommentary::~frmCommentary()
{
    if (g_instance == this)
        g_instance = nullptr;
}

QString& frmCommentary::Tag() const
{
    return frmMain::Instance()->Tag;
}

PropertyBlock* frmCommentary::Block() const
{
    if (CurrentProtocol < 0 || static_cast<size_t>(CurrentProtocol) >= Protocols.size())
        return nullptr;
    Protocol& series = Protocols[static_cast<size_t>(CurrentProtocol)];
    const int property = series.CurrentProperty;
    if (property < 1 || property > PropertyCount)
        return nullptr;
    return &series.Blocks[static_cast<size_t>(property)];
}

void frmCommentary::Form_Load()
{
    // 1.
    SetCaptions(Language);
    // 2. A text that names no test of the block opens an empty box.
    PropertyBlock* block = Block();
    TestIndex = block ? TestIndexFromTag(Tag(), *block) : 0;
    // 3. This sets the Delete button by the text loaded.
    cmdDelete->setEnabled(false);
    txtCommentary->setText(TestIndex > 0 ? block->Values[static_cast<size_t>(TestIndex)].Commentary : QString());
    // 4.
    Changed = false;
}

void frmCommentary::SetCaptions(int language)
{
    const bool known = language >= 1 && language <= 5;
    const Captions& texts = CaptionTable[known ? language - 1 : 0];
    const QString commentary = known ? QString::fromUtf8(texts.commentary) : QString();
    setWindowTitle(commentary);
    lblCommentary->setText(commentary + QStringLiteral(":"));
    cmdDelete->setText(known ? QString::fromUtf8(texts.deleteTest) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmCommentary::txtCommentary_Change()
{
    // A test is deleted only together with a comment that gives the reason.
    cmdDelete->setEnabled(!Trim(txtCommentary->text()).isEmpty());
    Changed = true;
}

void frmCommentary::txtCommentary_GotFocus()
{
    SelectAllText(txtCommentary);
}

void frmCommentary::cmdOK_Click()
{
    PropertyBlock* block = Block();
    if (Changed && block && TestIndex > 0 && TestIndex < static_cast<int>(block->Values.size()))
        block->Values[static_cast<size_t>(TestIndex)].Commentary = Trim(txtCommentary->text());
    else
        Tag().clear();
    done(QDialog::Accepted);
}

void frmCommentary::cmdCancel_Click()
{
    Tag().clear();
    done(QDialog::Rejected);
}

void frmCommentary::cmdDelete_Click()
{
    PropertyBlock* block = Block();
    if (!block || TestIndex < 1 || TestIndex >= static_cast<int>(block->Values.size())) {
        cmdCancel_Click();
        return;
    }
    // No confirmation: the comment typed is the reason.
    DeleteTest(*block, TestIndex, txtCommentary->text());
    done(QDialog::Accepted);
}

void frmCommentary::reject()
{
    cmdCancel_Click();
}

void frmCommentary::done(int result)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(result);
    Form_Unload();
}

void frmCommentary::Form_Unload()
{
    txtCommentary->clear();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
