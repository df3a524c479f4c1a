#pragma once
// The Q-DAS export: every property of a terminated series that has
// statistics and no lateral-air correction becomes one DFQ transfer file in
// the Q-DAS folder. DFQ files are Windows-1252 text with CR LF line ends, and
// their numbers always use "." whatever the locale.
#include "foundation/Records.h"
#include "storage/QdasRecords.h"

#include <QString>
#include <cstdint>

// Exports every property of the series that has statistics, no lateral-air
// correction and a test type. True when every file was written (also when
// nothing was exported). Failures are logged by the writer; no message.
bool qdasExportTestReport(const Protocol& protocol);

// The file of property 1 to 6 of the series; K0100 is 0 (and nothing is
// exported) when the property has no statistics, carries a lateral-air
// correction or has no test type in the series' report form.
QdasFile qdasFileOfProperty(const Protocol& protocol, int property);

// One characteristic: result 1 or 2 of the property's test type, with one
// value per test that is not deleted, in stored order. Nominal value and
// limits are those the style defines for the result (NoValue when its
// Defined flag is not set, whatever the series' style copy holds); a value
// that is missing or not finite is NoValue.
QdasCharacteristic qdasFillCharacteristic(int16_t testType, int16_t resultNumber,
                                          const Protocol& protocol, const PropertyBlock& block);

// "yyyymmdd_hhnnss" of the date and the extension, appended as it stands when
// it begins with "." and after a "." otherwise: 20240105_130709.DFQ.
QString qdasFileName(double date, const QString& extension);

// qdasFileName of the date, the time moved on by one second at a time while a
// file or folder of that name exists in the folder, so that two properties started in
// the same second do not overwrite each other.
QString qdasFreeFileName(const QString& folder, double date, const QString& extension);

// The text of the file, lines ended by CR LF. A nominal value or limit that
// is not set (NoValue) leaves its line out. A test whose value is missing
// keeps its value group, with "K0001/c 0.00" followed by "K0002/c 256" (the
// attribute by which receivers pass the value over), so the n-th groups of
// all characteristics belong to one test and no stand-in number is read.
QString qdasFileText(const QdasFile& file);

// Writes the file into the folder under qdasFreeFileName of the date ("DFQ")
// as a new file, whole or not at all: a name that is taken (another seat's
// export) is never replaced; one another seat takes between the look and
// the write moves on a second, as one taken before the look does (logged
// with the name written). A folder that cannot be reached is replaced by
// the program folder for this file, with a log line; message 54 tells the
// operator once until a file reaches the folder again. QDASFolder keeps
// naming it, so the next export goes there once it is back. The first write of a run in a
// folder removes what killed writes left there (RemoveNewFileLeftoversOnce).
// The name written, or "" after one log line under "qdasPutTestReportAction"
// when the file cannot be written; no part of it is then left under its
// name, and an earlier file of the name stays as it was.
QString qdasPutTestReportAction(const QString& folder, double date, const QdasFile& file);

// Forgets that message 54 told of the Q-DAS folder away: the next file that
// cannot reach it tells again (a new run, as a test plays one).
void qdasForgetFolderAwayTold();
