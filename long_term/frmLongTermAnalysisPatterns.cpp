// The long-term window's Pattern menu: saved search patterns shown, added,
// applied and removed.
#include "long_term/frmLongTermAnalysis.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modPropertyText.h"
#include "long_term/modSearchPatterns.h"
#include "platform/MousePointer.h"

#include <QAction>
#include <QComboBox>

void frmLongTermAnalysis::SetPatternMenuItem(const SearchPattern& pattern, int n)
{
    if (n < 1 || n > PatternMenuItemCount)
        return;
    QAction* item = mnuPattern_Item[static_cast<size_t>(n)];
    item->setText(PatternMenuCaption(pattern, n, Language));
    item->setVisible(true);
}

int frmLongTermAnalysis::CheckedPatternItem() const
{
    for (int n = PatternMenuItemCount; n >= 1; --n)
        if (mnuPattern_Item[static_cast<size_t>(n)]->isChecked())
            return n;
    return 0;
}

void frmLongTermAnalysis::mnuPattern_Click()
{
    mnuPattern_Add->setEnabled(PatternAddEnabled(SearchPatterns));
    mnuPattern_Remove->setEnabled(PatternRemoveEnabled(SearchPatterns, CheckedPatternItem()));
}

void frmLongTermAnalysis::mnuPattern_Add_Click()
{
    const int n = AddSearchPattern(SearchPatterns, BuildSearchCriteria());
    if (n >= 1)
        SetPatternMenuItem(SearchPatterns[static_cast<size_t>(n)], n);
}

void frmLongTermAnalysis::mnuPattern_Item_Click(int index)
{
    if (index < 1 || index > PatternMenuItemCount || index >= static_cast<int>(SearchPatterns.size()))
        return;
    MousePointerGuard hourglass(PointerHourglass);
    const AppliedPattern pattern = PatternToApply(SearchPatterns[static_cast<size_t>(index)]);

    cboStyle->setCurrentIndex(FindInList(pattern.Style, cboStyle) - 1);
    cboStyle_Click();
    // The boxes get the texts as the user typed them; each change runs its
    // handler as typing would.
    const std::pair<QComboBox*, const QString*> texts[] = {{cboReference[2], &pattern.Reference2},
                                                            {cboReference[3], &pattern.Reference3},
                                                            {cboReference[4], &pattern.Reference4},
                                                            {cboOperator, &pattern.Operator}};
    for (const auto& [box, text] : texts) {
        box->setEditText(*text);
        if (box == cboOperator)
            cboOperator_Change();
        else
            cboReference_Change(box == cboReference[2] ? 2 : box == cboReference[3] ? 3 : 4);
    }
    cboProperty->setCurrentIndex(FindInList(PropertyName(pattern.TestType, Language), cboProperty) - 1);
    cboProperty_Click();

    for (int n = 1; n <= PatternMenuItemCount; ++n)
        mnuPattern_Item[static_cast<size_t>(n)]->setChecked(n == index);
}

void frmLongTermAnalysis::mnuPattern_Remove_Click()
{
    const int k = CheckedPatternItem();
    if (!RemoveSearchPattern(SearchPatterns, k))
        return;
    for (int n = 1; n <= PatternMenuItemCount; ++n) {
        QAction* item = mnuPattern_Item[static_cast<size_t>(n)];
        item->setChecked(false);
        item->setVisible(false);
        item->setText(QString());
    }
    for (int i = 1; i <= ShownPatternCount(SearchPatterns); ++i)
        SetPatternMenuItem(SearchPatterns[static_cast<size_t>(i)], i);
}
