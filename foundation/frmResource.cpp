#include "foundation/frmResource.h"

namespace {
frmResource* g_resource = nullptr;
}

frmResource::frmResource()
{
    setObjectName(QStringLiteral("frmResource"));
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

void frmResource::LoadPictures()
{
    // The artwork is loaded from the program's resources once they exist.
}

void frmResource::FreeResources()
{
    for (QPixmap& p : imgInstrument)
        p = QPixmap();
    for (QPixmap& p : imgLanguage)
        p = QPixmap();
    for (QPixmap& p : imgAnimation)
        p = QPixmap();
    imgCross = imgQUINTARA = imgPC = imgPrint = imgTerminated = imgZOLVERA = imgSplash = QPixmap();
    imgSwitchbox = imgFlip = QPixmap();
}
