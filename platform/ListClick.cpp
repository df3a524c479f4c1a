#include "platform/ListClick.h"

#include <QEvent>
#include <QItemSelection>
#include <QListWidget>
#include <QSignalBlocker>

namespace {

class ListClickRelay : public QObject {
public:
    ListClickRelay(QListWidget* list, std::function<void()> handler)
        : QObject(list), m_handler(std::move(handler))
    {
        list->viewport()->installEventFilter(this);
        list->installEventFilter(this);
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
        if (event->type() == QEvent::FocusIn && watched == parent())
            KeepNoCurrentEntry(static_cast<QListWidget*>(parent()));
        return QObject::eventFilter(watched, event);
    }

private:
    // A list without a current entry that gets the focus by key or by
    // program: Qt would make its first entry current, which is a Click nobody
    // made (the handler would fill the entry and move the focus on). Setting
    // "no current entry" through the view itself tells Qt it was chosen; the
    // selection stays as it is.
    static void KeepNoCurrentEntry(QListWidget* list)
    {
        if (list->currentRow() >= 0)
            return;
        const QSignalBlocker blocker(list);
        const QItemSelection selected = list->selectionModel()->selection();
        static_cast<QAbstractItemView*>(list)->setCurrentIndex(QModelIndex());
        list->selectionModel()->select(selected, QItemSelectionModel::Select);
    }

    std::function<void()> m_handler;
    bool m_changedByPress = false;
};

} // namespace

void ConnectListClick(QListWidget* list, std::function<void()> handler)
{
    if (list && handler)
        new ListClickRelay(list, std::move(handler));
}
