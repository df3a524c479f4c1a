// The serial port against the simulated instrument on a pseudo-terminal:
// - the processor time the program spends while a silent instrument runs
//   into the one-second time-out (the wait must sleep, not spin: goal under
//   5 % of a core);
// - the time to receive the 26 blocks of a curve, beside the time the
//   pseudo-terminal itself needs to carry the same bytes and handshakes;
// - the time from the EOT to the end of the transfer (a curve without
//   blocks), which must not wait for the 132 bytes of a packet (goal under
//   50 ms);
// - the cost of one stray byte on a line at its real pace (9600 baud).
//
// The simulator is found beside the build's tools (or through
// $QUINTARA_SIM_PATH). Its turnaround delay is set to 2 ms, which the block
// times include once per block.
#include "instrument/modCommunication.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int16_t kBenchPort = 8;
constexpr int kSimDelayMs = 2;

QString SimProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("QUINTARA_SIM_PATH");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath()
        + QStringLiteral("/../tools/instrument_sim/quintara-instrument-sim");
}

double ProcessCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The simulator for the length of one benchmark, on the bench's port.
class Simulator {
public:
    bool Start(QStringList arguments)
    {
        arguments << QStringLiteral("--delay") << QString::number(kSimDelayMs);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(SimProgram(), arguments);
        if (!m_process.waitForStarted(5000))
            return false;
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        while (!out.contains('\n') && clock.elapsed() < 5000 && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
        }
        if (!out.contains('\n'))
            return false;
        qputenv("QUINTARA_COM8", out.left(out.indexOf('\n')).trimmed());
        commInit(kBenchPort);
        if (!commOpen(kBenchPort))
            return false;
        // The first exchange after opening can wait for the instrument's
        // check that the program listens; the measured ones do not.
        commSendString("\r");
        commGetDataString();
        return true;
    }
    QString File(const QString& name, const QByteArray& bytes)
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }
    ~Simulator()
    {
        commClose();
        qunsetenv("QUINTARA_COM8");
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

QByteArray Curve26()
{
    QByteArray bytes;
    for (int i = 0; i < 26 * 128; ++i)
        bytes.append(static_cast<char>((i * 13) & 0xFF));
    return bytes;
}

// A model 12 that follows each data string with a curve of 26 blocks.
bool StartCurveInstrument(Simulator& sim)
{
    return sim.Start({QStringLiteral("--model"), QStringLiteral("12"), QStringLiteral("--curve"),
                      sim.File(QStringLiteral("c.bin"), Curve26())});
}

// A request to a silent instrument: one full time-out per iteration.
void BM_SilentInstrumentTimeOut(benchmark::State& state)
{
    Simulator sim;
    if (!sim.Start({QStringLiteral("--model"), QStringLiteral("6"), QStringLiteral("--silent")})) {
        state.SkipWithError("simulator did not start");
        return;
    }
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const double cpu0 = ProcessCpuSeconds();
        commSendString("\r");
        benchmark::DoNotOptimize(commGetDataString());
        cpu += ProcessCpuSeconds() - cpu0;
        wall += static_cast<double>(clock.nsecsElapsed()) / 1e9;
    }
    state.counters["core_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
BENCHMARK(BM_SilentInstrumentTimeOut)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole transfer routine: 26 blocks, then the EOT, which ends the wait
// for a packet at once.
void BM_ReceiveCurveBlocks(benchmark::State& state)
{
    Simulator sim;
    if (!StartCurveInstrument(sim)) {
        state.SkipWithError("simulator did not start");
        return;
    }
    for (auto _ : state) {
        commSendString("\r");
        commGetDataString();
        const AbtRawLines raw = commReceiveCurveBlocks(nullptr);
        if (raw.Lines[25].empty())
            state.SkipWithError("curve incomplete");
    }
}
BENCHMARK(BM_ReceiveCurveBlocks)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// NAK, EOT, two ACKs: the time from the request of the first block to the
// end of a transfer that has no block.
void BM_CurveEndsAfterEot(benchmark::State& state)
{
    Simulator sim;
    if (!sim.Start({QStringLiteral("--model"), QStringLiteral("12"), QStringLiteral("--curve"),
                    sim.File(QStringLiteral("empty.bin"), QByteArray())})) {
        state.SkipWithError("simulator did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        commSendString("\r");
        commGetDataString();
        state.ResumeTiming();
        benchmark::DoNotOptimize(commReceiveCurveBlocks(nullptr));
    }
}
BENCHMARK(BM_CurveEndsAfterEot)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// 26 blocks at 9600 baud, with and without one stray byte after block 4: the
// difference is what the stray byte costs (the wait for a quiet line and one
// repeat of block 5).
void BM_PacedCurve(benchmark::State& state)
{
    Simulator sim;
    QStringList arguments = {QStringLiteral("--model"), QStringLiteral("12"), QStringLiteral("--curve"),
                             sim.File(QStringLiteral("c.bin"), Curve26()), QStringLiteral("--baud"),
                             QStringLiteral("9600")};
    if (state.range(0) != 0)
        arguments << QStringLiteral("--stray-byte-after") << QStringLiteral("4");
    if (!sim.Start(arguments)) {
        state.SkipWithError("simulator did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        commSendString("\r");
        commGetDataString();
        state.ResumeTiming();
        const AbtRawLines raw = commReceiveCurveBlocks(nullptr);
        if (raw.Lines[25].empty())
            state.SkipWithError("curve lost");
    }
}
// The simulator strikes once per run, so one iteration each.
BENCHMARK(BM_PacedCurve)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 26 packets alone through the same reception routine: NAK, then a
// 132-byte read and an ACK per block.
void BM_Receive26Packets(benchmark::State& state)
{
    Simulator sim;
    if (!StartCurveInstrument(sim)) {
        state.SkipWithError("simulator did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        commSendString("\r");
        commGetDataString();
        state.ResumeTiming();
        commSendString("\x15");
        for (int k = 0; k < 26; ++k) {
            if (commReadBytes(132).size() != 264)
                state.SkipWithError("packet incomplete");
            commSendString("\x06");
        }
        state.PauseTiming();
        commReadBytes(132);   // the EOT
        commSendString("\x06");
        commSendString("\x06");
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 26 * 132);
}
BENCHMARK(BM_Receive26Packets)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the pseudo-terminal itself needs for the same exchange: a one-byte
// request and a 132-byte answer, 26 times, with blocking reads on both ends.
void BM_PtyCarriage26Packets(benchmark::State& state)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    termios t {};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    char packet[132] = {};
    char buf[132];
    auto readAll = [](int fd, char* into, size_t n) {
        size_t got = 0;
        while (got < n) {
            const ssize_t r = read(fd, into + got, n - got);
            if (r <= 0)
                return false;
            got += static_cast<size_t>(r);
        }
        return true;
    };
    for (auto _ : state) {
        for (int k = 0; k < 26; ++k) {
            char ack = 6;
            if (write(slave, &ack, 1) != 1 || !readAll(master, buf, 1))
                state.SkipWithError("pty request");
            if (write(master, packet, sizeof packet) != static_cast<ssize_t>(sizeof packet)
                || !readAll(slave, buf, sizeof buf))
                state.SkipWithError("pty packet");
        }
    }
    state.SetBytesProcessed(state.iterations() * 26 * 132);
    close(slave);
    close(master);
}
BENCHMARK(BM_PtyCarriage26Packets)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
