#include "platform/Installation.h"

#include "platform/Conversions.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString Customer;
bool TestArea44Variant = false;

const char* const IniName = "QUINTARA.INI";

// The exact name first; a file copied from Windows may differ in case.
QString FindIniFile(const QString& folder)
{
    QDir dir(folder);
    const QString exact = dir.filePath(QLatin1String(IniName));
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.compare(QLatin1String(IniName), Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return QString();
}

} // namespace

QString InstallationCustomer()
{
    return Customer;
}

bool InstallationTestArea44Variant()
{
    return TestArea44Variant;
}

bool LoadInstallation(const QString& folder)
{
    ResetInstallation();
    const QString path = FindIniFile(folder);
    if (path.isEmpty())
        return false;
    IniFile ini;
    if (!ini.Load(path))
        return false;
    const QString section = QStringLiteral("Installation");
    Customer = ini.Value(section, QStringLiteral("Customer"));
    // Read as the Windows profile functions read a number: its leading digits.
    TestArea44Variant = Val(ini.Value(section, QStringLiteral("TestArea44Variant"), QStringLiteral("0"))) != 0.0;
    return true;
}

void SetInstallationCustomer(const QString& customer)
{
    Customer = customer;
}

void SetInstallationTestArea44Variant(bool variant)
{
    TestArea44Variant = variant;
}

void ResetInstallation()
{
    Customer.clear();
    TestArea44Variant = false;
}
