#include "platform/Installation.h"

#include "platform/Conversions.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"


namespace {

QString Customer;
bool TestArea44Variant = false;

// Found whatever its case: the file may have been copied from Windows.
const char* const IniName = "QUINTARA.INI";

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
    const QString path = FindExistingPath(folder, QLatin1String(IniName));
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
