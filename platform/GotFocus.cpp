#include "platform/GotFocus.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace {

class GotFocusRelay : public QObject {
public:
    GotFocusRelay(QWidget* control, std::function<void()> handler)
        : QObject(control), m_control(control), m_handler(std::move(handler))
    {
        control->installEventFilter(this);
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
            combo->lineEdit()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            QTimer::singleShot(0, m_control, m_handler);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_control;
    std::function<void()> m_handler;
};

} // namespace

void ConnectGotFocus(QWidget* control, std::function<void()> handler)
{
    if (control && handler)
        new GotFocusRelay(control, std::move(handler));
}
