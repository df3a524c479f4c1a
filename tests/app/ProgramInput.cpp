// The hand of the operator for a test that starts the built program: a Qt
// input plugin, loaded into it through QT_QPA_GENERIC_PLUGINS, that presses
// OK in the start-up windows and on the notices shown before the main window
// (the missing port), then tells the test through an inherited descriptor
// once the main window is up and the program is in its event loop. After
// that it does nothing, so the end goes the program's own way.
//
// Its argument is the descriptor, optionally followed by ":" and the name of
// a start-up window to stop at: when that window shows, the plugin says
// "icon", the number of the icon's sizes and the desktop entry's name, then
// "shown" and the window's name, and leaves it up, so the test can end the
// program while it is on screen. A further ":" and a signal's number send
// that signal to the program while Qt loads the plugin, inside the making of
// the application object, before the program's own code goes on.
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <unistd.h>

namespace {

class ProgramInput : public QObject {
public:
    ProgramInput(int reportFd, const QString& holdAt) : m_reportFd(reportFd), m_holdAt(holdAt)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_mainShown || event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow())
            return false;
        const QString name = window->objectName();
        if (!m_holdAt.isEmpty() && name == m_holdAt) {
            // What the desktop shows of it: the icon's sizes, and the entry
            // it matches the window to.
            Report("icon " + QByteArray::number(window->windowIcon().availableSizes().size()) + " "
                   + QGuiApplication::desktopFileName().toUtf8());
            Report("shown " + name.toUtf8());
            return false;
        }
        if (name == QLatin1String("frmMain")) {
            m_mainShown = true;
            // Runs once the start-up has handed over to the event loop.
            QTimer::singleShot(0, this, [this] { Report("ready"); });
        } else if (name == QLatin1String("frmWelcome") || name == QLatin1String("frmLogin")) {
            Press(window, window->findChild<QAbstractButton*>(QStringLiteral("cmdOK")));
        } else if (auto* box = qobject_cast<QMessageBox*>(window)) {
            Report("message " + box->text().toUtf8());
            Press(window, box->button(QMessageBox::Ok));
        }
        return false;
    }

private:
    void Press(QWidget* window, QAbstractButton* button)
    {
        QPointer<QAbstractButton> guarded(button);
        QTimer::singleShot(0, window, [guarded] {
            if (guarded)
                guarded->click();
        });
    }

    void Report(const QByteArray& line)
    {
        const QByteArray bytes = line + '\n';
        (void)!::write(m_reportFd, bytes.constData(), static_cast<size_t>(bytes.size()));
    }

    int m_reportFd;
    QString m_holdAt;
    bool m_mainShown = false;
};

} // namespace

class ProgramInputPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ProgramInput.json")

public:
    QObject* create(const QString& key, const QString& argument) override
    {
        if (key.compare(QLatin1String("quintaratestinput"), Qt::CaseInsensitive) != 0)
            return nullptr;
        const QStringList parts = argument.split(QLatin1Char(':'));
        bool ok = false;
        const int fd = parts.value(0).toInt(&ok);
        auto* input = new ProgramInput(ok ? fd : 2, parts.value(1));
        if (const int signal = parts.value(2).toInt(); signal > 0)
            ::raise(signal);
        return input;
    }
};

#include "ProgramInput.moc"
