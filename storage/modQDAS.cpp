#include "storage/modQDAS.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "platform/SafeFile.h"
#include "platform/Text.h"
#include "storage/modDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>

namespace {

const char* const WriterName = "qdasPutTestReportAction";

// The Q-DAS folder cannot be reached: the program folder takes the files.
constexpr int16_t MsgQdasFolderAway = 54;

// The K0002 attribute of a value that is not there.
constexpr int MissingValueAttribute = 256;

QString Field(const QString& text, int maxLength)
{
    return Trim(text).left(maxLength);
}

// "#0.00" with "." whatever the locale: the receiver reads a point.
QString DfqNumber(float value)
{
    QString text = Format(static_cast<double>(value), QStringLiteral("#0.00"));
    if (!DecimalSeparator.isEmpty() && DecimalSeparator != QLatin1String("."))
        text.replace(DecimalSeparator, QStringLiteral("."));
    return text;
}

// Year "0000", month, day, hours, minutes and seconds "00" of the date, put
// into a pattern of six places %1 to %6.
QString DateStamp(double date, const QString& pattern)
{
    return pattern.arg(Year(date), 4, 10, QChar(u'0'))
        .arg(Month(date), 2, 10, QChar(u'0'))
        .arg(Day(date), 2, 10, QChar(u'0'))
        .arg(Hour(date), 2, 10, QChar(u'0'))
        .arg(Minute(date), 2, 10, QChar(u'0'))
        .arg(Second(date), 2, 10, QChar(u'0'));
}

QString DfqTime(double date)
{
    return DateStamp(date, QStringLiteral("%1-%2-%3/%4:%5:%6"));
}

// The operator as a number when the text is one of fewer than 10 characters.
int32_t OperatorNumber(const QString& operatorText)
{
    const QString text = Trim(operatorText);
    if (text.size() >= 10 || !IsNumeric(text))
        return 0;
    return CLng(CDbl(text));
}

// The instrument number the receiver knows the measuring device by.
int32_t InstrumentNumber(int16_t testType, const PropertyBlock& block)
{
    switch (testType) {
    case 16:
        return 18;
    case 18:
        return 19;
    case 15:
        return ParseDataString(block.Header).SerialNumber == QLatin1String("545") ? 26 : 30;
    default:
        return 0;
    }
}

// The test type of property i: the entry of the series' report form.
int16_t PropertyTestType(const Protocol& protocol, int property)
{
    const int form = protocol.FormIndex;
    if (form < 1 || form > StyleFormCount || property < 1 || property > ReportFormItemCount)
        return 0;
    const int16_t testType =
        protocol.Style.Forms[static_cast<size_t>(form)].Items[static_cast<size_t>(property)].Property;
    return (testType >= 1 && testType <= TestTypeCount) ? testType : 0;
}

QString ReportFormName(const Protocol& protocol)
{
    const int form = protocol.FormIndex;
    if (form < 1 || form > StyleFormCount)
        return QString();
    return protocol.Style.Forms[static_cast<size_t>(form)].Name;
}

void AddKeyLine(QStringList& lines, const char* key, int index, const QString& value)
{
    lines << QString::fromLatin1(key) + u'/' + QString::number(index) + u' ' + value;
}

} // namespace

QString qdasFileName(double date, const QString& extension)
{
    QString name = DateStamp(date, QStringLiteral("%1%2%3_%4%5%6"));
    if (!extension.startsWith(u'.'))
        name += u'.';
    return name + extension;
}

QString qdasFreeFileName(const QString& folder, double date, const QString& extension)
{
    // Whole seconds on the clock of the file name; a day of such files is far
    // beyond any series, so the walk ends.
    const double oneSecond = TimeSerial(0, 0, 1);
    double stamp = date;
    QString name = qdasFileName(stamp, extension);
    for (int step = 0; step < 86400 && QFileInfo::exists(dskBuildPath(folder, name)); ++step) {
        stamp += oneSecond;
        name = qdasFileName(stamp, extension);
    }
    return name;
}

QdasCharacteristic qdasFillCharacteristic(int16_t testType, int16_t resultNumber,
                                          const Protocol& protocol, const PropertyBlock& block)
{
    QdasCharacteristic characteristic;
    characteristic.Values.resize(1);
    if (testType < 1 || testType > TestTypeCount)
        return characteristic;
    const TestDefinition& definition = protocol.Style.Tests[static_cast<size_t>(testType)];
    // Only tolerances the style prescribes are sent, not a band derived from
    // the mean that a series' copy of the style may carry for display.
    const TestDefinition prescribed = PrescribedDefinition(definition);
    const bool first = resultNumber == 1;

    characteristic.K2090 = ReportFormName(protocol);
    const QString caption = ResultLabels(testType, resultNumber, Language);
    if (!caption.isEmpty())
        characteristic.K2090 += QStringLiteral(" - ") + caption;
    characteristic.K2101 = first ? prescribed.Nominal1 : prescribed.Nominal2;
    characteristic.K2110 = first ? prescribed.Lower1 : prescribed.Lower2;
    characteristic.K2111 = first ? prescribed.Upper1 : prescribed.Upper2;
    const DataStringRecord expected = ParseDataString(definition.HeaderImage);
    characteristic.K2142 = first ? expected.ResultUnit : expected.Result2Unit;
    characteristic.K8500 = definition.TestCount;

    const int32_t operatorNumber = OperatorNumber(protocol.Operator);
    const int32_t instrumentNumber = InstrumentNumber(testType, block);
    for (size_t i = 1; i < block.Values.size(); ++i) {
        const TestValue& test = block.Values[i];
        if (test.Deleted)
            continue;
        QdasValue value;
        value.K0001 = PresentOrNoValue(first ? test.Value1 : test.Value2);
        value.K0004 = test.TestTime;
        value.K0006 = test.K0006;
        value.K0008 = operatorNumber;
        value.K0009 = test.Commentary;
        value.K0012 = instrumentNumber;
        value.K0016 = test.K0016;
        value.K0053 = test.K0053;
        characteristic.Values.push_back(value);
    }
    return characteristic;
}

QdasFile qdasFileOfProperty(const Protocol& protocol, int property)
{
    QdasFile file;
    file.Characteristics.resize(1);
    if (property < 1 || property > PropertyCount)
        return file;
    const PropertyBlock& block = protocol.Blocks[static_cast<size_t>(property)];
    const int16_t testType = PropertyTestType(protocol, property);
    // A block without a test type has no characteristic to export.
    if (IsEmptyStatistics(block.Stats) || block.LateralAirOn || testType == 0)
        return file;

    file.K1001 = protocol.Style.Name;
    file.K1004 = protocol.Reference2;
    file.K1008 = protocol.Reference3;
    file.K1011 = protocol.Reference4;
    file.K1031 = protocol.K1031;
    file.K1032 = protocol.K1032;
    file.K1086 = protocol.K1086;
    file.K1087 = protocol.K1087;
    const int16_t results = ResultCountByTestType(testType);
    for (int16_t k = 1; k <= results; ++k) {
        file.Characteristics.push_back(qdasFillCharacteristic(testType, k, protocol, block));
        ++file.K0100;
    }
    return file;
}

QString qdasFileText(const QdasFile& file)
{
    const int count = std::min<int>(file.K0100, static_cast<int>(file.Characteristics.size()) - 1);
    QStringList lines;
    lines << QStringLiteral("K0100 ") + QString::number(file.K0100)
          << QStringLiteral("K1001 ") + Field(file.K1001, 30)
          << QStringLiteral("K1004 ") + Field(file.K1004, 20)
          << QStringLiteral("K1008 ") + Field(file.K1008, 20)
          << QStringLiteral("K1011 ") + Field(file.K1011, 20)
          << QStringLiteral("K1031 ") + Field(file.K1031, 20)
          << QStringLiteral("K1032 ") + Field(file.K1032, 40)
          << QStringLiteral("K1086 ") + Field(file.K1086, 40)
          << QStringLiteral("K1087 ") + Field(file.K1087, 40)
          << QString();

    for (int c = 1; c <= count; ++c) {
        const QdasCharacteristic& ch = file.Characteristics[static_cast<size_t>(c)];
        AddKeyLine(lines, "K2090", c, Field(ch.K2090, 40));
        // An unset nominal or limit is left out rather than sent as a number.
        if (IsPresentValue(ch.K2101))
            AddKeyLine(lines, "K2101", c, DfqNumber(ch.K2101));
        if (IsPresentValue(ch.K2110))
            AddKeyLine(lines, "K2110", c, DfqNumber(ch.K2110));
        if (IsPresentValue(ch.K2111))
            AddKeyLine(lines, "K2111", c, DfqNumber(ch.K2111));
        AddKeyLine(lines, "K2142", c, Field(ch.K2142, 20));
        AddKeyLine(lines, "K8500", c, QString::number(ch.K8500));
        lines << QString();
    }

    const size_t valueCount = count >= 1 ? file.Characteristics[1].Values.size() : 0;
    for (size_t v = 1; v < valueCount; ++v) {
        for (int c = 1; c <= count; ++c) {
            const QdasCharacteristic& ch = file.Characteristics[static_cast<size_t>(c)];
            if (v >= ch.Values.size())
                continue;
            const QdasValue& value = ch.Values[v];
            // A missing value keeps its group, so that the n-th groups of all
            // characteristics stay one test; the attribute 256 tells the
            // receiver to pass the value over, and no stand-in number is sent.
            if (IsPresentValue(value.K0001)) {
                AddKeyLine(lines, "K0001", c, DfqNumber(value.K0001));
            } else {
                AddKeyLine(lines, "K0001", c, DfqNumber(0));
                AddKeyLine(lines, "K0002", c, QString::number(MissingValueAttribute));
            }
            AddKeyLine(lines, "K0004", c, DfqTime(value.K0004));
            AddKeyLine(lines, "K0006", c, Field(value.K0006, 14));
            AddKeyLine(lines, "K0008", c, QString::number(value.K0008));
            AddKeyLine(lines, "K0009", c, Field(value.K0009, 255));
            AddKeyLine(lines, "K0012", c, QString::number(value.K0012));
            AddKeyLine(lines, "K0016", c, Field(value.K0016, 32));
            AddKeyLine(lines, "K0053", c, Field(value.K0053, 20));
            lines << QString();
        }
    }

    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

namespace {

// The file written as a new one: a name that is taken (another seat's
// export) is never replaced; taken tells of it, and no line is logged then.
bool PutNewDfqFile(const QString& target, const QString& fileName, const QdasFile& file, bool& taken)
{
    // Whole or not at all: a receiver that watches the folder never meets
    // a file cut short by a full disk.
    SystemError error;
    taken = false;
    // Writable by its owner, as a file made by hand: a receiver that
    // imports it may move or rewrite it.
    if (WriteNewFile(dskBuildPath(target, fileName), ToCp1252(qdasFileText(file)), error,
                     OwnerOnlyPermissions | QFileDevice::ReadGroup | QFileDevice::ReadOther, &taken))
        return true;
    if (!taken)
        WriteLog(error, QString::fromLatin1(WriterName));
    return false;
}

} // namespace

namespace {

// Message 54 was shown for the Q-DAS folder that cannot be reached, and no
// export has reached it since: an outage is told once, not at every file.
bool g_qdasAwayTold = false;

// The folder a DFQ file goes into: the one given, or, while it cannot be
// reached, the program folder for this file. The setting keeps naming the
// Q-DAS folder, so the next export goes there once it is back; the operator
// is told where the files go meanwhile, and at the data folder's return
// message 48 counts those of its stand-in.
QString DfqFolder(const QString& folder)
{
    const QString target = dskWriteFolder(folder);
    if (target == folder) {
        g_qdasAwayTold = false;
        return target;
    }
    WriteLog(0, QStringLiteral("%1 cannot be reached; the DFQ file is written into %2").arg(folder, target),
             QString::fromLatin1(WriterName));
    if (!g_qdasAwayTold) {
        g_qdasAwayTold = true;
        ShowMessage(MsgQdasFolderAway, {QDir::toNativeSeparators(folder), QDir::toNativeSeparators(target)});
    }
    return target;
}

} // namespace

QString qdasPutTestReportAction(const QString& folder, double date, const QdasFile& file)
{
    const QString target = DfqFolder(folder);
    RemoveNewFileLeftoversOnce(target, QStringLiteral("DFQ"));
    const QString first = qdasFreeFileName(target, date, QStringLiteral("DFQ"));
    const double oneSecond = TimeSerial(0, 0, 1);
    QString name = first;
    // Another seat may export a file of the same second between the look
    // and the write: the name moves on, as for one taken before the look.
    for (int step = 0; step < 86400; ++step) {
        bool taken = false;
        if (PutNewDfqFile(target, name, file, taken)) {
            if (name != first)
                WriteLog(0, QStringLiteral("%1 was taken meanwhile: written as %2")
                                .arg(dskBuildPath(target, first), name),
                         QString::fromLatin1(WriterName));
            return name;
        }
        if (!taken)
            return QString();
        name = qdasFreeFileName(target, date + (step + 1) * oneSecond, QStringLiteral("DFQ"));
    }
    WriteLog(ErrorFromErrno(EEXIST, dskBuildPath(target, first)), QString::fromLatin1(WriterName));
    return QString();
}

void qdasForgetFolderAwayTold()
{
    g_qdasAwayTold = false;
}

bool qdasExportTestReport(const Protocol& protocol)
{
    bool ok = true;
    for (int i = 1; i <= PropertyCount; ++i) {
        const QdasFile file = qdasFileOfProperty(protocol, i);
        if (file.K0100 == 0)
            continue;
        ok = !qdasPutTestReportAction(QDASFolder, protocol.Blocks[static_cast<size_t>(i)].StartDate, file).isEmpty() && ok;
    }
    return ok;
}
