#include "main_window/frmMain.h"

#include "foundation/frmResource.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "instrument/modCommunication.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {
frmMain* g_main = nullptr;
}

frmMain* frmMain::Instance()
{
    if (!g_main)
        g_main = new frmMain();
    return g_main;
}

bool frmMain::IsLoaded() { return g_main != nullptr; }

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, true);
    Form_Load();
}

frmMain::~frmMain()
{
    if (g_main == this)
        g_main = nullptr;
}

void frmMain::Form_Load()
{
    setWindowTitle(QString::fromUtf8(ProductTitle));
    setWindowIcon(frmResource::Instance()->windowIcon());
    // The window's design size, 12120 x 9150 twips, is also its least size.
    setMinimumSize(TwipsToPixels(12120), TwipsToPixels(9150));
    resize(minimumSize());
    CentreWindow(this);

    auto* central = new QWidget(this);
    auto* picture = new QLabel(central);
    picture->setPixmap(frmResource::Instance()->imgQUINTARA);
    picture->setAlignment(Qt::AlignCenter);
    lblProduct = new QLabel(central);
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    lblProduct->setAlignment(Qt::AlignCenter);
    lblProduct->setText(QString::fromUtf8(ProductTitle) + QStringLiteral(" ") + QString::fromLatin1(ProgramVersion));
    QFont font = lblProduct->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    lblProduct->setFont(font);
    auto* layout = new QVBoxLayout(central);
    layout->addStretch(1);
    layout->addWidget(picture);
    layout->addWidget(lblProduct);
    layout->addStretch(1);
    setCentralWidget(central);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QMainWindow::closeEvent(event);
}

// Closing the main window ends the program: the port is closed, the settings
// are saved and the other windows are released.
void frmMain::Form_Unload()
{
    if (g_main != this)
        return;
    commClose();
    SaveSettings();
    frmResource::Unload();
    g_main = nullptr;
    QCoreApplication::quit();
}
