#include "storage/modABTFile.h"

#include "foundation/Records.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/Conversions.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modSeat.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

const char* const CurveMagic = "ABT";
const char* const CurveExtension = "ABT";

// Log number of a stored sample that is not a number.
constexpr int32_t ErrTypeMismatch = 13;

constexpr int StoredCurveLength = 6218;          // file of a curve with a 60-character header
constexpr std::size_t SampleBytes = 3 * AbtSampleCount * 4;
// What follows the header text in the file: two factors and the samples.
constexpr std::size_t RecordTail = 4 + SampleBytes;
// A name made from a date is taken: the next second is tried, up to an hour on.
constexpr int MaxStampMoves = 3600;

// The whole file when it is an acceptable curve file, else false. Only a
// failing open or read is a fault worth a log line; the other refusals are
// what the routine is asked about.
bool ReadAcceptedFile(const QString& folder, const QString& name, std::string& bytes, const QString& procName)
{
    if (!IsBareStoredName(name) || !HasExtension(name, QString::fromLatin1(CurveExtension)))
        return false;
    if (!dskFileExists(folder, name))
        return false;
    const QString path = StoredNamePath(folder, name);
    if (path.isEmpty())
        return false;
    QFile file;
    SystemError error;
    if (!OpenSharedFileToRead(file, path, MaxCurveFileSize, error)) {
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + path, procName);
        return false;
    }
    const qint64 size = file.size();
    if (size <= 3)
        return false;
    // Within a tenth of the stored length, bounds formed in single precision.
    const float ratio = static_cast<float>(size) / static_cast<float>(StoredCurveLength);
    if (ratio < 1.0f - 0.1f || ratio > 1.0f + 0.1f)
        return false;
    const QByteArray all = file.readAll();
    if (all.size() != size) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + path, procName);
        return false;
    }
    std::string content(all.constData(), static_cast<std::size_t>(all.size()));
    if (dskReadMagic(content) != QLatin1String(CurveMagic))
        return false;
    BinaryReader in(content);
    in.GetBytes(3);
    if (dskReadVersion(in) == NoValue)
        return false;
    // The stored header length must leave room for the whole record: a file
    // cut short would otherwise read its missing samples as zeros.
    const auto headerLength = static_cast<uint16_t>(in.GetInteger());
    if (!in.Ok() || in.Remaining() < headerLength + RecordTail)
        return false;
    bytes = std::move(content);
    return true;
}

} // namespace

void PutRecord(BinaryWriter& out, const ABTCurve& curve)
{
    out.PutString(curve.Header);
    out.PutInteger(curve.Factor1);
    out.PutInteger(curve.Factor2);
    for (const float v : curve.P1)
        out.PutSingle(v);
    for (const float v : curve.P2)
        out.PutSingle(v);
    for (const float v : curve.S)
        out.PutSingle(v);
}

void GetRecord(BinaryReader& in, ABTCurve& curve)
{
    curve.Header = in.GetBytesString();
    curve.Factor1 = in.GetInteger();
    curve.Factor2 = in.GetInteger();
    for (float& v : curve.P1)
        v = in.GetSingle();
    for (float& v : curve.P2)
        v = in.GetSingle();
    for (float& v : curve.S)
        v = in.GetSingle();
}

QString abtFilePut(const ABTCurve& curve, double when, SystemError* failure)
{
    SystemError ignored;
    SystemError& told = failure ? *failure : ignored;
    const QString procName = QStringLiteral("abtFilePut");
    // As the report writer does: the program folder stands in for a data
    // folder that is gone, and the setting follows it. So it does for one
    // that is no longer the folder the seat locked (a share unmounted, an
    // empty local folder showing at its path): a curve written there would
    // be lost from the share.
    if ((!IsExistingFolder(DataFolder) || !HoldSeatFolder()) && IsExistingFolder(ProgramFolder()))
        DataFolder = ProgramFolder();
    const QString folder = DataFolder;
    if (!IsExistingFolder(folder)) {
        const SystemError error = ErrorFromErrno(ENOENT, JoinPath(folder, QString()));
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + folder, procName);
        told = error;
        return QString();
    }

    RemoveNewFileLeftoversOnce(folder, QString::fromLatin1(CurveExtension));
    BinaryWriter out;
    dskPutHeader(out, CurveMagic);
    PutRecord(out, curve);
    // Names are by the second, and an import stamps curves with times of old
    // files: a name that is taken, in any case, moves the stamp on. Another
    // seat may take a name between the look and the write; the writer then
    // refuses it rather than replace that seat's curve, and the next second
    // is tried.
    for (int move = 0; move <= MaxStampMoves; ++move) {
        const QString name = dskFileNameFromDate(when + move / 86400.0, QString::fromLatin1(CurveExtension));
        if (!dskNamesInAnyCase(folder, name).isEmpty() || !IsBareStoredName(name))
            continue;
        SystemError error;
        bool taken = false;
        // Read-only from the moment the file has its name; a failure leaves none.
        if (WriteNewFile(JoinPath(folder, name), out.Bytes(), error, ReadOnlyPermissions, &taken))
            return name;
        if (taken)
            continue;
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + JoinPath(folder, name), procName);
        told = error;
        return QString();
    }
    const SystemError error = ErrorFromErrno(EEXIST);
    WriteLog(ClassicError::PathFileAccess,
             error.Text + QStringLiteral(": ") + dskFileNameFromDate(when, QString::fromLatin1(CurveExtension)),
             procName);
    told = SystemError{ClassicError::PathFileAccess, error.Text};
    return QString();
}

bool abtIsAirbagFile(const QString& folder, const QString& name)
{
    std::string bytes;
    return ReadAcceptedFile(folder, name, bytes, QStringLiteral("abtIsAirbagFile"));
}

ABTCurve abtFileGet(const QString& folder, const QString& name)
{
    const QString procName = QStringLiteral("abtFileGet");
    std::string bytes;
    if (!ReadAcceptedFile(folder, name, bytes, procName))
        return EmptyABTCurve;
    BinaryReader in(bytes);
    in.GetBytes(3);
    in.GetBytesString();
    ABTCurve curve = EmptyABTCurve;
    GetRecord(in, curve);
    if (!in.Ok()) {
        WriteLog(ClassicError::InputPastEndOfFile, QStringLiteral("Input past end of file: ") + name, procName);
        return EmptyABTCurve;
    }
    auto finite = [](const std::array<float, AbtSampleCount>& samples) {
        return std::all_of(samples.begin(), samples.end(), [](float v) { return std::isfinite(v); });
    };
    if (!finite(curve.P1) || !finite(curve.P2) || !finite(curve.S)) {
        WriteLog(ErrTypeMismatch, QStringLiteral("Sample is not a number: ") + name, procName);
        return EmptyABTCurve;
    }
    return curve;
}
