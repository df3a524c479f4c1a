#include "foundation/frmSplash.h"

#include "foundation/frmResource.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modWindow.h"
#include "platform/LoadedForms.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace {
frmSplash* g_splash = nullptr;
}

frmSplash* frmSplash::Instance()
{
    if (!g_splash)
        g_splash = new frmSplash();
    return g_splash;
}

bool frmSplash::IsLoaded() { return g_splash != nullptr; }

void frmSplash::Unload()
{
    if (g_splash)
        g_splash->close();
}

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    RegisterForm(this, [] { frmSplash::Unload(); });
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowTitle(QString::fromUtf8(ProductTitle));

    fraSplash = new QFrame(this);
    fraSplash->setObjectName(QStringLiteral("fraSplash"));
    fraSplash->setFrameShape(QFrame::Box);
    fraSplash->setFrameShadow(QFrame::Raised);
    fraSplash->setLineWidth(2);

    imgSplash = new QLabel(fraSplash);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    imgSplash->setAlignment(Qt::AlignCenter);
    imgSplash->setFixedSize(240, 160);

    lblQUINTARA = new QLabel(fraSplash);
    lblQUINTARA->setObjectName(QStringLiteral("lblQUINTARA"));
    lblQUINTARA->setAlignment(Qt::AlignCenter);
    QFont title = lblQUINTARA->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.5);
    lblQUINTARA->setFont(title);

    lblVersion = new QLabel(fraSplash);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(fraSplash);
    inner->setContentsMargins(18, 18, 18, 14);
    inner->setSpacing(8);
    inner->addWidget(imgSplash, 0, Qt::AlignHCenter);
    inner->addWidget(lblQUINTARA);
    inner->addWidget(lblVersion);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(fraSplash);
    setFixedSize(420, 280);

    Form_Load();
}

frmSplash::~frmSplash()
{
    if (g_splash == this)
        g_splash = nullptr;
}

void frmSplash::Form_Load()
{
    PlaceWindow(this, nullptr);
    imgSplash->setPixmap(frmResource::Instance()->imgSplash);
    lblQUINTARA->setText(QString::fromUtf8(ProductTitle));
    lblVersion->setText(QString::fromLatin1(ProgramVersion));
    SetTopMost(this);
}

void frmSplash::Form_Activate() { SetTopMost(this); }

void frmSplash::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_unloaded)
        Form_Activate();
    QWidget::changeEvent(event);
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QWidget::closeEvent(event);
}

void frmSplash::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    imgSplash->setPixmap(QPixmap());
    if (g_splash == this)
        g_splash = nullptr;
}
