#include "curves/modABTCurve.h"

#include "foundation/Records.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/DrawingSurface.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const char* const CurveMagic = "ABT";
const char* const CurveExtension = "ABT";

// Log numbers of the failures that are not system errors.
constexpr int32_t ErrOverflow = 6;
constexpr int32_t ErrDivisionByZero = 11;
constexpr int32_t ErrTypeMismatch = 13;

constexpr int RawLineLength = 256;
constexpr int RawHalf = 128;
constexpr int SampledLines = 25;                 // lines 0 to 24 carry the curve
constexpr int StoredCurveLength = 6218;          // file of a curve with a 60-character header
constexpr std::size_t SampleBytes = 3 * AbtSampleCount * 4;
// What follows the header text in the file: two factors and the samples.
constexpr std::size_t RecordTail = 4 + SampleBytes;
// A name made from a date is taken: the next second is tried, up to an hour on.
constexpr int MaxStampMoves = 3600;
constexpr int MaxGridLines = 1000;
constexpr int LastSample = 500;                  // evaluation and drawing stop at 500 ms
constexpr int LastFitSample = 492;
constexpr int FitTableSize = 1001;               // pressures 0 to 1000 (0.1 kPa)
constexpr int64_t FitEmpty = 90000;              // marker of a table entry not recorded
constexpr int MaxSmoothing = 250;

constexpr int32_t Grey = 8421504;

inline int Code(char c) { return static_cast<unsigned char>(c); }

// A value to compute with: NaN for a missing or non-finite one, so that
// everything built from it is left out.
double Usable(float value)
{
    return IsPresentValue(value) ? static_cast<double>(value) : std::numeric_limits<double>::quiet_NaN();
}

double LogOf(double value)
{
    return std::isfinite(value) && value > 0 ? std::log(value) : std::numeric_limits<double>::quiet_NaN();
}

float StoredOrNoValue(double value)
{
    const float single = static_cast<float>(value);
    return IsPresentValue(single) ? single : NoValue;
}

int16_t DecodeCodes(int c1, int c2, int c3, int c4)
{
    const int32_t word = ((128 * c1 + c3) * 256 + (128 * c2 + c4)) & 0xFFFF;
    return static_cast<int16_t>(word > 32767 ? word - 65536 : word);
}

// The word whose low byte is data byte `lowByte` (counted from 1) of a raw line.
int16_t WordAt(const std::string& line, int lowByte)
{
    return DecodeCodes(Code(line[lowByte]), Code(line[lowByte - 1]), Code(line[RawHalf + lowByte]),
                       Code(line[RawHalf + lowByte - 1]));
}

// V0: the whole number of parameter 1 of the curve's data string, read with
// "." as decimal point whatever the locale.
float ReservoirVolume(const std::string& header)
{
    const std::string field = header.size() > 12 ? header.substr(12, 6) : std::string();
    return static_cast<float>(CLng(Val(field)));
}

int SmoothingWidth(const AbtOptions& options)
{
    return std::clamp<int>(options.Smoothing, 0, MaxSmoothing);
}

// ---- Curve file -------------------------------------------------------------

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const SystemError error = ErrorFromFile(file);
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

// ---- Drawing ----------------------------------------------------------------

void Segment(DrawingSurface& picture, double xa, double ya, double xb, double yb, int32_t colour)
{
    if (std::isfinite(xa) && std::isfinite(ya) && std::isfinite(xb) && std::isfinite(yb))
        picture.Line(xa, ya, xb, yb, colour);
}

struct PagePoint {
    double x = 0;
    double y = 0;
};

// The segments from sample i - 1 to i for i = first to last, in one batch;
// those with an end that is not finite are left out.
void DrawSeries(DrawingSurface& picture, const std::array<PagePoint, AbtSampleCount>& points, int first, int last,
                int peakIndex, bool redToPeak, int32_t colour)
{
    std::vector<DrawingSurface::LineSegment> segments;
    segments.reserve(static_cast<std::size_t>(std::max(last - first + 1, 0)));
    for (int i = first; i <= last; ++i) {
        const PagePoint& a = points[i - 1];
        const PagePoint& b = points[i];
        if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y))
            continue;
        const int32_t c = redToPeak ? (i <= peakIndex ? vbRed : vbBlack) : colour;
        segments.push_back({a.x, a.y, b.x, b.y, c});
    }
    picture.Lines(segments);
}

// v = Factor * p^Exponent in green, between p = 40, 80, ..., 2000; the first
// segment starts at p = 0 (page 3) or 4 (page 4).
void DrawComputedCurve(const AbtEvaluation& eval, int page, DrawingSurface& picture)
{
    const double b = eval.Exponent;
    const double c = eval.Factor;
    auto point = [&](double p) {
        const double v = c * std::pow(p, b);
        return page == 4 ? PagePoint{LogOf(p), LogOf(v)} : PagePoint{p, v};
    };
    PagePoint from = point(page == 4 ? 4.0 : 0.0);
    for (int p = 40; p <= 2000; p += 40) {
        const PagePoint to = point(p);
        Segment(picture, from.x, from.y, to.x, to.y, vbGreen);
        from = to;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Record, raw data and file

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

int16_t abtDecodeWord(const std::string& fourCharacters)
{
    int codes[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < 4 && i < fourCharacters.size(); ++i)
        codes[i] = Code(fourCharacters[i]);
    return DecodeCodes(codes[0], codes[1], codes[2], codes[3]);
}

bool abtIsEmptyRawData(const AbtRawLines& raw)
{
    return std::all_of(raw.Lines.begin(), raw.Lines.end(), [](const std::string& line) { return line.empty(); });
}

ABTCurve abtParseRawData(const AbtRawLines& raw)
{
    if (abtIsEmptyRawData(raw))
        return EmptyABTCurve;
    // A transfer that ended early leaves lines empty or short; decoding would
    // read characters that never came.
    for (int k = 0; k < SampledLines; ++k) {
        const std::size_t length = raw.Lines[k].size();
        if (length != RawLineLength) {
            WriteLog(ClassicError::InputPastEndOfFile,
                     QStringLiteral("Curve transfer incomplete: line %1 holds %2 characters").arg(k).arg(length),
                     QStringLiteral("abtParseRawData"));
            return EmptyABTCurve;
        }
    }
    ABTCurve curve = EmptyABTCurve;
    const std::string& first = raw.Lines[0];
    std::string oldString;
    for (int j = 0; j < 41; ++j)
        oldString.push_back(first[RawHalf + j]);
    curve.Header = ConvertOldDataString(oldString);
    curve.Factor1 = WordAt(first, 52);
    curve.Factor2 = WordAt(first, 54);
    for (int j = 1; j <= 8; ++j) {
        for (int k = 1; k <= 64; ++k) {
            const int i = (j - 1) * 64 + (k - 1);
            const int lowByte = 2 * k - 1;
            curve.P1[i] = static_cast<float>(WordAt(raw.Lines[j], lowByte) / 15.0 * curve.Factor1);
            curve.P2[i] = static_cast<float>(WordAt(raw.Lines[j + 8], lowByte) / 15.0 * curve.Factor2);
            curve.S[i] = static_cast<float>(WordAt(raw.Lines[j + 16], lowByte) / 7895.0);
        }
    }
    return curve;
}

bool abtIsEmptyCurve(const ABTCurve& curve)
{
    const ABTCurve& empty = EmptyABTCurve;
    if (curve.Header != empty.Header || curve.Factor1 != empty.Factor1 || curve.Factor2 != empty.Factor2)
        return false;
    auto same = [](const std::array<float, AbtSampleCount>& a, const std::array<float, AbtSampleCount>& b) {
        for (int i = 0; i < AbtSampleCount; ++i)
            if (a[i] < b[i] || a[i] > b[i])
                return false;
        return true;
    };
    return same(curve.P1, empty.P1) && same(curve.P2, empty.P2) && same(curve.S, empty.S);
}

QString abtFilePut(const ABTCurve& curve, double when)
{
    const QString procName = QStringLiteral("abtFilePut");
    // As the report writer does: the program folder stands in for a data
    // folder that is gone, and the setting follows it.
    if (!IsExistingFolder(DataFolder) && IsExistingFolder(ProgramFolder()))
        DataFolder = ProgramFolder();
    const QString folder = DataFolder;
    if (!IsExistingFolder(folder)) {
        const SystemError error = ErrorFromErrno(ENOENT, JoinPath(folder, QString()));
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + folder, procName);
        return QString();
    }

    // Names are by the second, and an import stamps curves with times of old
    // files: a name that is taken, in any case, moves the stamp on.
    QString name;
    for (int move = 0; move <= MaxStampMoves; ++move) {
        const QString candidate = dskFileNameFromDate(when + move / 86400.0, QString::fromLatin1(CurveExtension));
        if (dskNamesInAnyCase(folder, candidate).isEmpty()) {
            name = candidate;
            break;
        }
    }
    // The name is free in every case, so its path is the plain join.
    const QString path = IsBareStoredName(name) ? JoinPath(folder, name) : QString();
    if (path.isEmpty() || QFileInfo::exists(path)) {
        const SystemError error = ErrorFromErrno(EEXIST);
        WriteLog(ClassicError::PathFileAccess,
                 error.Text + QStringLiteral(": ") + dskFileNameFromDate(when, QString::fromLatin1(CurveExtension)),
                 procName);
        return QString();
    }

    BinaryWriter out;
    dskPutHeader(out, CurveMagic);
    PutRecord(out, curve);
    SystemError error;
    // Read-only from the moment the file has its name; a failure leaves none.
    if (!WriteFileAtomically(path, out.Bytes(), error, ReadOnlyPermissions)) {
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + path, procName);
        return QString();
    }
    return name;
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

// ---------------------------------------------------------------------------
// Evaluation

void abtEvaluatePulse(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& options)
{
    const float v0 = ReservoirVolume(curve.Header);
    float k = static_cast<float>(options.FormFactor / 500.0 + 0.003);
    if (v0 < 700)
        k = static_cast<float>(k + 0.003);
    else if (v0 <= 1200)
        k = static_cast<float>(k + 0.001);

    eval.PeakPressure = 0;
    eval.PeakHeight = 0;
    eval.StartIndex = 0;
    eval.PeakIndex = 0;
    bool started = false;
    bool ended = false;
    int end = LastSample + 1;
    for (int i = 0; i <= LastSample; ++i) {
        const float p = curve.P2[i];
        const float s = curve.S[i];
        eval.Volume[i] = IsPresentValue(p) && IsPresentValue(s)
            ? StoredOrNoValue(static_cast<double>(k) * p + 32.5 * s + 101.0)
            : NoValue;
        // A missing sample neither starts, peaks nor ends the pulse.
        if (!IsPresentValue(p))
            continue;
        if (!started && p > 15) {
            started = true;
            eval.StartIndex = static_cast<int16_t>(i);
        }
        if (started && p > eval.PeakPressure) {
            eval.PeakPressure = p;
            eval.PeakHeight = IsPresentValue(s) ? s : NoValue;
            eval.PeakIndex = static_cast<int16_t>(i);
        }
        if (started && !ended && static_cast<float>(0.15 * eval.PeakPressure) >= p && i > eval.PeakIndex) {
            ended = true;
            end = i;
        }
    }
    eval.EndPressure = IsPresentValue(curve.P2[LastFitSample]) ? curve.P2[LastFitSample] : NoValue;
    eval.FallTime = end > LastSample ? IntegerNoValue : static_cast<int16_t>(end - eval.PeakIndex);
}

void abtCalcFlow(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& /*options*/)
{
    constexpr double R = 2.87E8;
    constexpr double KappaR = 4.018E8;
    constexpr double RT0 = 84134051840.0;   // R * 293.15 taken in single precision
    const float v0 = ReservoirVolume(curve.Header);
    const auto& p1 = curve.P1;
    const auto& p2 = curve.P2;
    const auto& volume = eval.Volume;

    float ta = 293.15f;
    float tb = 293.15f;
    const float ma0 = static_cast<float>((Usable(p1[0]) + 1000.0) * v0 / RT0);
    const float mb0 = static_cast<float>((Usable(p2[0]) + 1000.0) * Usable(volume[0]) / RT0);
    // Without a reservoir volume (or a start state) nothing can be balanced.
    if (!(v0 > 0) || !std::isfinite(ma0) || !std::isfinite(mb0)) {
        std::fill(eval.Flow.begin() + 1, eval.Flow.begin() + LastSample, NoValue);
        return;
    }
    float ma = ma0;
    float mb = mb0;

    for (int i = 1; i < LastSample; ++i) {
        const double p1Before = Usable(p1[i - 1]);
        const double p1After = Usable(p1[i + 1]);
        const double p2Before = Usable(p2[i - 1]);
        const double p2After = Usable(p2[i + 1]);
        const double vBefore = Usable(volume[i - 1]);
        const double vNow = Usable(volume[i]);
        const double vAfter = Usable(volume[i + 1]);

        // Reservoir A.
        const float xa = static_cast<float>(v0 * ((p1After - p1Before) / 2) / KappaR);
        float taWork = ta;
        float dma = 0;
        float maNext = 0;
        float taNext = 0;
        for (int j = 0; j <= 100; ++j) {
            dma = static_cast<float>(xa / taWork);
            maNext = static_cast<float>(ma + static_cast<double>(dma));
            taNext = static_cast<float>((p1After + 1000.0) * v0 / (maNext * R));
            if (std::fabs(taWork - taNext) < 0.01f)
                break;
            taWork = static_cast<float>((3.0 * taNext + taWork) / 4.0);
        }

        // Test chamber B.
        const float xb = static_cast<float>(vNow * ((p2After - p2Before) / 2) / KappaR
                                            + static_cast<double>(dma) * taNext);
        float tbWork = tb;
        float q = 0;
        float mbNext = 0;
        float tbNext = 0;
        for (int k = 0; k <= 100; ++k) {
            q = static_cast<float>(xb / tbWork);
            mbNext = static_cast<float>(static_cast<double>(q) + mb - dma);
            tbNext = static_cast<float>((p2After + 1000.0) * vNow / (mbNext * R));
            if (std::fabs(tbWork - tbNext) < 0.01f)
                break;
            tbWork = static_cast<float>((3.0 * tbNext + tbWork) / 4.0);
        }

        const float dv = static_cast<float>((vAfter - vBefore) / 0.010024);
        const double flow = -(q * 28.0 * R * tbNext * std::sqrt(293.15 / tbNext) / 100.24 + dv);
        const float stored = static_cast<float>(flow);
        // A quotient or root that could not be formed shows as a non-finite
        // value; the balance then keeps its last good state.
        if (std::isfinite(taNext) && std::isfinite(maNext) && std::isfinite(tbNext) && std::isfinite(mbNext)
            && IsPresentValue(stored)) {
            ta = taNext;
            ma = maNext;
            tb = tbNext;
            mb = mbNext;
            eval.Flow[i] = stored;
        } else {
            eval.Flow[i] = NoValue;
        }
    }
}

void abtSmoothCurve(AbtEvaluation& eval, const AbtOptions& options)
{
    const int n = SmoothingWidth(options);
    const double width = n + 1;
    eval.MaxFlow = 0;
    for (int i = n; i <= LastSample - n; ++i) {
        double sum = 0;
        bool complete = true;
        for (int k = i - n; k <= i + n; ++k) {
            const float f = eval.Flow[k];
            if (!IsPresentValue(f)) {
                complete = false;
                break;
            }
            sum += (1.0 - std::abs(i - k) / width) * f;
        }
        const float smoothed = complete ? StoredOrNoValue(sum / width) : NoValue;
        eval.SmoothedFlow[i] = smoothed;
        if (smoothed != NoValue && smoothed > eval.MaxFlow)
            eval.MaxFlow = smoothed;
        if (n == 8)
            eval.FitFlow[i] = smoothed;
    }
}

void abtFitPowerLaw(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& options)
{
    const int lo = options.LowerLimit;
    const int hi = options.UpperLimit;
    eval.Exponent = NoValue;
    eval.Factor = NoValue;
    if (hi - lo < 50 || lo <= 0 || hi > FitTableSize - 1)
        return;
    if (!IsPresentValue(eval.PeakPressure) || eval.PeakPressure < hi)
        return;
    if (!IsPresentValue(eval.EndPressure) || eval.EndPressure > lo)
        return;

    // Flow by rounded pressure after the peak; the first millisecond that
    // reaches a pressure counts.
    std::array<int64_t, FitTableSize> table;
    table.fill(FitEmpty);
    int lowest = FitTableSize - 1;
    bool reachedUpper = false;
    bool reachedLower = false;
    for (int i = std::max(0, eval.PeakIndex + 1); i <= LastFitSample; ++i) {
        if (!IsPresentValue(curve.P2[i]) || !IsPresentValue(eval.FitFlow[i]))
            continue;
        const int32_t p = CLng(curve.P2[i]);
        if (p < 0 || p > FitTableSize - 1 || table[p] != FitEmpty)
            continue;
        table[p] = CLng(eval.FitFlow[i]);
        lowest = std::min(lowest, static_cast<int>(p));
        reachedUpper = reachedUpper || p >= hi;
        reachedLower = reachedLower || p <= lo;
    }
    // Without a pressure at or beyond both limits the gaps would be filled
    // toward the empty marker and give a plausible but false law.
    if (!reachedUpper || !reachedLower)
        return;

    int64_t previous = 0;
    for (int j = lowest; j < FitTableSize - 1; ++j) {
        if (table[j] < FitEmpty) {
            previous = table[j];
            continue;
        }
        int g = 1;
        while (j + g < FitTableSize - 1 && table[j + g] >= FitEmpty)
            ++g;
        const int64_t step = (table[j + g] - previous) / (g + 1);
        for (int m = 0; m < g; ++m) {
            previous += step;
            table[j + m] = previous;
        }
    }

    const int64_t atLower = table[lo];
    const int64_t atUpper = table[hi];
    if (atLower <= 0 || atLower >= FitEmpty || atUpper <= 0 || atUpper >= FitEmpty)
        return;
    const float exponent = StoredOrNoValue(std::log(static_cast<double>(atUpper) / static_cast<double>(atLower))
                                           / std::log(static_cast<double>(hi) / lo));
    if (exponent == NoValue)
        return;
    const float factor = StoredOrNoValue(atUpper / std::pow(static_cast<double>(hi), static_cast<double>(exponent)));
    if (factor == NoValue)
        return;
    eval.Exponent = exponent;
    eval.Factor = factor;
}

void abt_6_CalcADAP(AbtEvaluation& eval, const AbtOptions& options)
{
    const double lo = options.LowerLimit;
    const double hi = options.UpperLimit;
    eval.ADAP = NoValue;
    if (!IsPresentValue(eval.PeakPressure) || eval.PeakPressure < hi || !IsPresentValue(eval.EndPressure)
        || eval.EndPressure > lo || hi - lo < 50)
        return;
    if (!IsPresentValue(eval.Exponent) || !IsPresentValue(eval.Factor))
        return;
    const double b = eval.Exponent;
    const double c = eval.Factor;
    if (b + 1 == 0)
        return;
    eval.ADAP = StoredOrNoValue(c * (std::pow(hi, b + 1) - std::pow(lo, b + 1)) / ((b + 1) * (hi - lo)));
}

float abtBiaxialEpsilon(float s)
{
    if (!IsPresentValue(s) || s <= 0)
        return NoValue;
    const double a = s / 8.0;
    const double beta = (1 - 4 * a * a) / (1 + 4 * a * a);
    constexpr double HalfPi = 1.570796251296997;   // the single-precision constant
    const float result =
        StoredOrNoValue(100 * std::log((1 / (4 * a) + a) * (std::atan(-beta / std::sqrt(1 - beta * beta)) + HalfPi)));
    if (result == NoValue)
        WriteLog(ErrOverflow, QStringLiteral("Overflow: s = %1").arg(static_cast<double>(s)),
                 QStringLiteral("abtBiaxialEpsilon"));
    return result;
}

float abtBiaxialSigma(float p, float t, float s)
{
    if (!IsPresentValue(s) || s <= 0 || !IsPresentValue(p) || !IsPresentValue(t))
        return NoValue;
    const double a = s / 8.0;
    const float result = StoredOrNoValue((static_cast<double>(p) / t) * (2 * a * a * a + a + 1.0 / s) / 62.5);
    if (result == NoValue)
        WriteLog(t == 0 ? ErrDivisionByZero : ErrOverflow,
                 QStringLiteral("%1: p = %2, t = %3, s = %4")
                     .arg(t == 0 ? QStringLiteral("Division by zero") : QStringLiteral("Overflow"))
                     .arg(static_cast<double>(p))
                     .arg(static_cast<double>(t))
                     .arg(static_cast<double>(s)),
                 QStringLiteral("abtBiaxialSigma"));
    return result;
}

// ---------------------------------------------------------------------------
// Pages

namespace {

// An "Auto" axis maximum: only a present value above 0 gives one.
float AutoMaximum(float source)
{
    return IsPresentValue(source) && source > 0 ? NiceAxisMaximum(source) : 0.0f;
}

// Stress needs a thickness; without one there is none, and no log line.
float StressOrNoValue(float p, float thickness, float s)
{
    return IsPresentValue(thickness) && thickness > 0 ? abtBiaxialSigma(p, thickness, s) : NoValue;
}

} // namespace

PlotWindow abtPlotWindow(const PlotWindow& requested, const AbtEvaluation& eval, int page, float thickness,
                         int fraction)
{
    const float p = eval.PeakPressure;
    const float h = eval.PeakHeight;
    const float f = eval.MaxFlow;
    PlotWindow w;
    switch (page) {
    case 0:
        w.x2 = requested.x2 == 0 ? 500.0f : requested.x2;
        w.y2 = requested.y2 == 0 ? AutoMaximum(p) : requested.y2 * 10;
        return w;
    case 1:
        w.x2 = requested.x2 == 0 ? AutoMaximum(p) : requested.x2 * 10;
        w.y2 = requested.y2 == 0 ? AutoMaximum(IsPresentValue(h) ? h * 10 : NoValue) : requested.y2;
        return w;
    case 2:
        w.x2 = requested.x2 == 0 ? AutoMaximum(abtBiaxialEpsilon(h)) : requested.x2;
        w.y2 = requested.y2 == 0 ? AutoMaximum(StressOrNoValue(p, thickness, h)) : requested.y2;
        return w;
    case 3:
    case 4:
        w.x2 = requested.x2 == 0 ? AutoMaximum(p) : requested.x2 * 10;
        w.y2 = requested.y2 == 0 ? AutoMaximum(f) : requested.y2;
        if (page == 4) {
            // One decade of pressure, and the chosen fraction of the flow axis.
            w.x1 = w.x2 / 10;
            w.y1 = fraction > 0 ? w.y2 / static_cast<float>(fraction) : 0.0f;
        }
        return w;
    default:
        return requested;
    }
}

bool abtIsUsableWindow(const PlotWindow& window, int page)
{
    if (page < 0 || page > 4)
        return false;
    for (const float v : {window.x1, window.y1, window.x2, window.y2})
        if (!IsPresentValue(v))
            return false;
    if (!(window.x2 > window.x1) || !(window.y2 > window.y1))
        return false;
    return page != 4 || (window.x1 > 0 && window.y1 > 0);
}

void abtDrawCurve(const ABTCurve& curve, const AbtEvaluation& eval, const AbtOptions& options,
                  const PlotWindow& window, int page, bool showComputed, DrawingSurface& picture, float thickness,
                  int /*fraction*/)
{
    if (!abtIsUsableWindow(window, page))
        return;
    const bool scaled = page == 4 ? picture.Scale(std::log(window.x1), std::log(window.y2), std::log(window.x2),
                                                  std::log(window.y1))
                                  : picture.Scale(window.x1, window.y2, window.x2, window.y1);
    if (!scaled)
        return;
    abtDrawAxes(window, page, picture);

    const int n = SmoothingWidth(options);
    const int first = n + 1;
    const int last = LastSample - n;
    const int from = first - 1;
    std::array<PagePoint, AbtSampleCount> points{};
    auto fill = [&](auto pointOf) {
        for (int i = from; i <= last; ++i)
            points[i] = pointOf(i);
    };
    switch (page) {
    case 0:
        fill([&](int i) { return PagePoint{static_cast<double>(i), Usable(curve.P1[i])}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, false, vbBlue);
        fill([&](int i) { return PagePoint{static_cast<double>(i), Usable(curve.P2[i])}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, false, vbBlack);
        fill([&](int i) { return PagePoint{static_cast<double>(i), 100 * Usable(curve.S[i])}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, false, vbRed);
        break;
    case 1:
        fill([&](int i) { return PagePoint{Usable(curve.P2[i]), 10 * Usable(curve.S[i])}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, true, vbBlack);
        break;
    case 2:
        fill([&](int i) {
            return PagePoint{Usable(abtBiaxialEpsilon(curve.S[i])),
                             Usable(StressOrNoValue(curve.P2[i], thickness, curve.S[i]))};
        });
        DrawSeries(picture, points, first, last, eval.PeakIndex, true, vbBlack);
        break;
    case 3:
        fill([&](int i) { return PagePoint{Usable(curve.P2[i]), Usable(eval.SmoothedFlow[i])}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, true, vbBlack);
        break;
    case 4:
        fill([&](int i) { return PagePoint{LogOf(Usable(curve.P2[i])), LogOf(Usable(eval.SmoothedFlow[i]))}; });
        DrawSeries(picture, points, first, last, eval.PeakIndex, true, vbBlack);
        break;
    default:
        break;
    }

    if (page == 3 || page == 4) {
        if (window.x2 < 100) {
            if (page == 3)
                Segment(picture, 5, window.y1, 5, window.y2, vbGreen);
            else
                Segment(picture, std::log(5.0), LogOf(window.y1), std::log(5.0), LogOf(window.y2), vbGreen);
        }
        if (showComputed && IsPresentValue(eval.Factor) && IsPresentValue(eval.Exponent))
            DrawComputedCurve(eval, page, picture);
    }
}

void abtDrawAxes(const PlotWindow& window, int page, DrawingSurface& picture)
{
    const bool logarithmic = page == 4;
    auto axis = [&](double v) { return logarithmic ? LogOf(v) : v; };
    const float sx = abtGridStep(window.x2);
    const float sy = abtGridStep(window.y2);
    // The steps accumulate in single precision, as the loop always did; the
    // count bounds a step too small to move the sum.
    if (std::isfinite(sx) && sx > 0) {
        const double top = axis(window.y2);
        float x = sx;
        for (int count = 0; count < MaxGridLines && x <= window.x2; ++count, x += sx)
            Segment(picture, axis(x), 0, axis(x), top, Grey);
    }
    if (std::isfinite(sy) && sy > 0) {
        const double right = axis(window.x2);
        float y = sy;
        for (int count = 0; count < MaxGridLines && y <= window.y2; ++count, y += sy)
            Segment(picture, 0, axis(y), right, axis(y), Grey);
    }
}

float abtGridStep(float maximum)
{
    static const float tenths[] = {1, 2, 10, 20, 100, 200, 1000, 2000, 10000, 20000};
    static const float eighths[] = {4, 8, 40, 80, 400, 800, 4000, 8000};
    static const float sixths[] = {1.2f, 1.8f, 3,   6,    12,   18,   30,    60,    120,  180,
                                   300,  600,  1200, 1800, 3000, 6000, 12000, 18000, 30000};
    static const float fifths[] = {1.5f, 2.5f, 5, 15, 25, 50, 150, 250, 500, 1500, 2500, 5000, 15000, 25000};
    auto in = [maximum](const auto& list) { return std::find(std::begin(list), std::end(list), maximum) != std::end(list); };
    if (in(tenths))
        return maximum / 10;
    if (in(eighths))
        return maximum / 8;
    if (in(sixths))
        return maximum / 6;
    if (in(fifths))
        return maximum / 5;
    return maximum / 10;
}

QString abtXAxisUnit(int page)
{
    static const char* const codes[] = {"_", "A", "n", "A", "A"};
    return page >= 0 && page <= 4 ? UnitText(codes[page], Language) : QString();
}

QString abtYAxisUnit(int page)
{
    static const char* const codes[] = {"A", "\"", "B", "H", "H"};
    return page >= 0 && page <= 4 ? UnitText(codes[page], Language) : QString();
}
