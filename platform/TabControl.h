#pragma once
// The tab control of the windows: a row of tabs over a stack of pages, one
// page per tab. The program decides which tab is current: setting Tab from
// code raises nothing, and disabling the current tab keeps it current (the
// toolkit would move to another tab). Only a tab the user chooses raises
// Click, with the tab that was current before.
//
// Controls on a page are placed in the control's own coordinates: a page
// starts at PageOrigin() inside the control, and a control's place on its
// page is its place in the control less that origin.
#include "platform/Twips.h"

#include <QPoint>
#include <QString>
#include <QWidget>
#include <map>
#include <vector>

class QStackedWidget;
class QTabBar;

class TabControl : public QWidget
{
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

    // Adds a tab and its page; raises nothing. Returns the new tab's index.
    int AddTab(const QString& caption);
    int Tabs() const;

    // The current tab (-1 without tabs). Setting it shows its page and raises
    // nothing; an index outside the tabs is ignored.
    int Tab() const;
    void SetTab(int index);

    bool TabEnabled(int index) const;
    void SetTabEnabled(int index, bool enabled);

    QString TabCaption(int index) const;
    void SetTabCaption(int index, const QString& caption);

    // The page of a tab (nullptr outside the tabs).
    QWidget* Page(int index) const;
    // Where the pages begin inside the control, in pixels.
    QPoint PageOrigin() const;

signals:
    // The user chose another tab; previousTab was current before.
    void Click(int previousTab);
    // The pointer moved over the tab row or a page's free area: design
    // button and shift codes, position in twips from the control's corner.
    void MouseMove(int button, int shift, double x, double y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BarChanged(int index);
    void LayOut();
    void EmitMove(QWidget* source, QMouseEvent* event);

    QTabBar* m_bar = nullptr;
    QStackedWidget* m_pages = nullptr;
    int m_current = -1;
};

// Sets each control's geometry from its place in twips. A control on a page
// of the tab control is placed in the tab control's coordinates, as the
// design gives page controls.
void ApplyTwipsPlaces(const std::vector<QWidget*>& controls, const std::map<const QWidget*, TwipsRect>& places,
                      const TabControl* tabs);
