#include "foundation/frmResource.h"
#include "platform/LoadedForms.h"
#include "platform/ProgramIcon.h"

#include <QIcon>
#include <string>

namespace {
frmResource* g_resource = nullptr;
}

frmResource::frmResource()
{
    setObjectName(QStringLiteral("frmResource"));
    RegisterForm(this, [] { frmResource::Unload(); });
    comData = new QSerialPort(this);
    comData->setObjectName(QStringLiteral("comData"));
    LoadPictures();
}

frmResource* frmResource::Instance()
{
    if (!g_resource)
        g_resource = new frmResource();
    return g_resource;
}

bool frmResource::IsLoaded() { return g_resource != nullptr; }

void frmResource::Unload()
{
    if (!g_resource)
        return;
    if (g_resource->comData->isOpen())
        g_resource->comData->close();
    delete g_resource;
    g_resource = nullptr;
}

namespace {
QPixmap Picture(const char* name)
{
    return QPixmap(QStringLiteral(":/images/") + QString::fromLatin1(name) + QStringLiteral(".png"));
}
}

void frmResource::LoadPictures()
{
    // The program's own artwork, compiled into the executable (resources/).
    setWindowIcon(ProgramIcon());
    for (size_t i = 0; i < imgInstrument.size(); ++i)
        imgInstrument[i] = Picture(("instrument" + std::to_string(i)).c_str());
    for (size_t i = 1; i < imgLanguage.size(); ++i)
        imgLanguage[i] = Picture(("flag" + std::to_string(i)).c_str());
    for (size_t i = 1; i < imgAnimation.size(); ++i)
        imgAnimation[i] = Picture(("animation" + std::to_string(i)).c_str());
    imgQUINTARA = Picture("quintara");
    imgZOLVERA = Picture("zolvera");
    imgSplash = Picture("splash");
    imgFolder = Picture("folder");
    imgFlip = Picture("flip");
    imgAnalyzeCurve = Picture("analyzecurve");
    imgDetail = Picture("detail");
    imgLongTermEvaluation = Picture("longterm");
    imgNoConnection = Picture("noconnection");
    imgTerminated = Picture("terminated");
    imgCross = Picture("cross");
    imgSwitchbox = Picture("switchbox");
    imgPC = Picture("pc");
    imgPrint = Picture("print");
}

void frmResource::FreeResources()
{
    setWindowIcon(QIcon());
    for (QPixmap& p : imgInstrument)
        p = QPixmap();
    for (QPixmap& p : imgLanguage)
        p = QPixmap();
    for (QPixmap& p : imgAnimation)
        p = QPixmap();
    imgCross = imgQUINTARA = imgPC = imgPrint = imgTerminated = imgZOLVERA = imgSplash = QPixmap();
    imgSwitchbox = imgFlip = QPixmap();
}
