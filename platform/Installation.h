#pragma once
// Constants of the installation that are not settings: the customer's name
// printed at the top of reports and clipboard texts, and whether an
// instrument's test area "10" is read as "44". They come from the optional
// file QUINTARA.INI in the program folder, section [Installation], keys
// Customer (text) and TestArea44Variant (1 or 0), read once at start-up.
#include <QString>

// The customer's name; empty when not configured.
QString InstallationCustomer();
// True when the test area "10" of the hydrostatic-head instruments is "44".
bool InstallationTestArea44Variant();

// Reads QUINTARA.INI in the folder (its name matched ignoring case). A missing
// or unreadable file, section or key leaves the default of that constant.
// Returns whether a file was read.
bool LoadInstallation(const QString& folder);

// For tests, and for a start without a program folder.
void SetInstallationCustomer(const QString& customer);
void SetInstallationTestArea44Variant(bool variant);
// Back to the defaults: no customer, no variant.
void ResetInstallation();
