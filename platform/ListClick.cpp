#include "platform/ListClick.h"

#include <QEvent>
#include <QListWidget>

namespace {

class ListClickRelay : public QObject {
public:
    ListClickRelay(QListWidget* list, std::function<void()> handler)
        : QObject(list), m_handler(std::move(handler))
    {
        list->viewport()->installEventFilter(this);
        QObject::connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row < 0)
                return;
            m_changedByPress = true;
            m_handler();
        });
        QObject::connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem*) {
            if (!m_changedByPress)
                m_handler();
            m_changedByPress = false;
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A press starts a new click: whether it changes the current row is
        // seen before the click completes.
        if (event->type() == QEvent::MouseButtonPress)
            m_changedByPress = false;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
    bool m_changedByPress = false;
};

} // namespace

void ConnectListClick(QListWidget* list, std::function<void()> handler)
{
    if (list && handler)
        new ListClickRelay(list, std::move(handler));
}
