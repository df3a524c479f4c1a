#include "storage/frmFileProgress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

constexpr int DefaultDelayMs = 1000;
// The window is brought up to date at most this often, not at every file.
constexpr int RepaintMs = 100;

struct Progress {
    int16_t Language = 0;
    int Moved = 0;
    int Total = 0;
    QElapsedTimer Clock;
    qint64 ShownAt = -1;   // ms of the clock when last shown; -1 not yet
    std::unique_ptr<frmFileProgress> Window;
};
std::unique_ptr<Progress> g_progress;
std::function<void(int moved, int total)> g_show;
int g_delayMs = DefaultDelayMs;

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

void ShowNow(Progress& progress)
{
    progress.ShownAt = progress.Clock.elapsed();
    if (g_show) {
        g_show(progress.Moved, progress.Total);
        return;
    }
    if (!progress.Window) {
        progress.Window = std::make_unique<frmFileProgress>(progress.Language);
        progress.Window->show();
    }
    progress.Window->ShowCount(progress.Moved, progress.Total);
    // Painted now: the step runs on in this thread. Only the window's own
    // events: a timer (a typed field's save) or the notifier of a signal
    // (the orderly end) would run a save of the series in the middle of
    // the step; both wait in their queues until it is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers
                                    | QEventLoop::X11ExcludeTimers);
}

void ShowWhenDue()
{
    Progress* progress = g_progress.get();
    if (!progress)
        return;
    const qint64 now = progress->Clock.elapsed();
    if (now < g_delayMs || (!g_show && progress->ShownAt >= 0 && now - progress->ShownAt < RepaintMs))
        return;
    ShowNow(*progress);
}

}  // namespace

frmFileProgress::frmFileProgress(int16_t language) : m_language(language)
{
    static const char* const texts[5][2] = {
        {"Daten werden verschoben", "Dateien verschoben:"},
        {"Moving the data", "Files moved:"},
        {"Déplacement des données", "Fichiers déplacés :"},
        {"Spostamento dei dati", "File spostati:"},
        {"Traslado de los datos", "Archivos trasladados:"},
    };
    const bool known = language >= 1 && language <= 5;
    setWindowTitle(known ? U(texts[language - 1][0]) : QString());
    setModal(true);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(known ? U(texts[language - 1][1]) : QString(), this));
    m_count = new QLabel(this);
    layout->addWidget(m_count);
    m_bar = new QProgressBar(this);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    setMinimumWidth(320);
}

void frmFileProgress::ShowCount(int moved, int total)
{
    static const char* const of[5] = {"von", "of", "sur", "di", "de"};
    const bool known = m_language >= 1 && m_language <= 5;
    m_count->setText(QStringLiteral("%1 %2 %3").arg(moved).arg(known ? U(of[m_language - 1]) : QStringLiteral("/")).arg(total));
    m_bar->setRange(0, std::max(total, 1));
    m_bar->setValue(std::min(moved, std::max(total, 1)));
}

FileProgressScope::FileProgressScope(int16_t language)
{
    g_progress = std::make_unique<Progress>();
    g_progress->Language = language;
    g_progress->Clock.start();
}

FileProgressScope::~FileProgressScope()
{
    if (g_progress && g_progress->ShownAt >= 0 && g_show)
        g_show(-1, g_progress->Total);
    g_progress.reset();
}

void AddFilesToMove(int files)
{
    if (!g_progress)
        return;
    g_progress->Total += files;
    ShowWhenDue();
}

void CountFileMoved()
{
    if (!g_progress)
        return;
    ++g_progress->Moved;
    ShowWhenDue();
}

void KeepFileProgressShown()
{
    ShowWhenDue();
}

void SetFileProgressShow(std::function<void(int moved, int total)> show, int delayMs)
{
    g_show = std::move(show);
    g_delayMs = delayMs;
}
