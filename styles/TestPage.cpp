#include "styles/TestPage.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/SortedList.h"
#include "styles/NominalArea.h"
#include "styles/TestPageCases.h"

#include <vector>

namespace {

constexpr int FirstNominal = static_cast<int>(PageControl::txtNominal1);

PageControl Member(PageControl first, int parameter)
{
    return static_cast<PageControl>(static_cast<int>(first) + parameter - 1);
}

size_t NominalSlot(PageControl box)
{
    const int slot = static_cast<int>(box) - FirstNominal;
    return static_cast<size_t>(slot >= 0 && slot < NominalBoxCount ? slot : 0);
}

bool InRange(PageControl control, PageControl first, PageControl last)
{
    return static_cast<int>(control) >= static_cast<int>(first) && static_cast<int>(control) <= static_cast<int>(last);
}

// Digits with at most one "." between or after them: how the lists write
// their decimal values.
bool IsDottedNumber(const QString& text)
{
    bool digit = false;
    bool point = false;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

// The options of one parameter are set one at a time.
std::vector<PageControl> OptionGroup(PageControl option)
{
    using P = PageControl;
    if (InRange(option, P::optSample1Unit1, P::optSample1Unit3))
        return {P::optSample1Unit1, P::optSample1Unit2, P::optSample1Unit3};
    if (InRange(option, P::optSample3Unit1, P::optSample3Unit3))
        return {P::optSample3Unit1, P::optSample3Unit2, P::optSample3Unit3};
    if (InRange(option, P::optSample4Unit1, P::optSample4Unit2))
        return {P::optSample4Unit1, P::optSample4Unit2};
    return {};
}

} // namespace

PageControl FraSample(int parameter)
{
    return Member(PageControl::fraSample1, parameter);
}

PageControl TxtSample(int parameter)
{
    return Member(PageControl::txtSample1, parameter);
}

PageControl CboSample(int parameter)
{
    return Member(PageControl::cboSample1, parameter);
}

PageControl LblSampleUnit(int parameter)
{
    return Member(PageControl::lblSample1Unit, parameter);
}

PageControl CboSampleUnit(int parameter)
{
    return Member(PageControl::cboSample1Unit, parameter);
}

QString PageControlName(PageControl control)
{
    static const char* const names[PageControlCount] = {
        "",
        "fraSample1", "fraSample2", "fraSample3", "fraSample4",
        "txtSample1", "txtSample2", "txtSample3", "txtSample4",
        "cboSample1", "cboSample2", "cboSample3", "cboSample4",
        "cboSample31", "cboSample32", "lblSample3",
        "optSample1Unit1", "optSample1Unit2", "optSample1Unit3",
        "optSample3Unit1", "optSample3Unit2", "optSample3Unit3",
        "optSample4Unit1", "optSample4Unit2",
        "lblSample1Unit", "lblSample2Unit", "lblSample3Unit", "lblSample4Unit",
        "lblSample1",
        "cboSample1Unit", "cboSample2Unit", "cboSample3Unit", "cboSample4Unit",
        "fraUnit", "cboUnit1", "cboUnit2",
        "txtNominal1", "txtNominal2", "txtLLimit1", "txtLLimit2", "txtULimit1", "txtULimit2", "txtCI1", "txtCI2",
        "cboTest",
    };
    const int n = static_cast<int>(control);
    return n >= 0 && n < PageControlCount ? QString::fromLatin1(names[n]) : QString();
}

ControlKind KindOf(PageControl control)
{
    using P = PageControl;
    if (control == P::None || control == P::Count)
        return ControlKind::None;
    if (InRange(control, P::fraSample1, P::fraSample4) || control == P::fraUnit)
        return ControlKind::Frame;
    if (InRange(control, P::txtSample1, P::txtSample4) || InRange(control, P::txtNominal1, P::txtCI2))
        return ControlKind::TextBox;
    if (InRange(control, P::optSample1Unit1, P::optSample4Unit2))
        return ControlKind::Option;
    if (InRange(control, P::lblSample1Unit, P::lblSample1) || control == P::lblSample3)
        return ControlKind::Label;
    return ControlKind::List;
}

bool IsNominalControl(PageControl control)
{
    return InRange(control, PageControl::txtNominal1, PageControl::cboTest);
}

QString& NominalArea::operator[](PageControl box)
{
    return Text[NominalSlot(box)];
}

const QString& NominalArea::operator[](PageControl box) const
{
    return Text[NominalSlot(box)];
}

bool NominalArea::IsVisible(PageControl box) const
{
    return Visible[NominalSlot(box)];
}

void NominalArea::SetVisible(PageControl box, bool visible)
{
    Visible[NominalSlot(box)] = visible;
}

// ---------------------------------------------------------------------------

TestPage MakeTestPage(int16_t testType)
{
    TestPage page;
    page.TestType = testType;
    if (const TestPageCase* pageCase = FindTestPageCase(testType); pageCase && pageCase->Layout) {
        for (const PageControlPlace& place : *pageCase->Layout) {
            PageControlState& state = page[place.Control];
            state.Present = true;
            state.Text = QString::fromUtf8(place.Caption);
        }
    }
    page[PageControl::cboUnit1].Sorted = testType >= 2;
    page[PageControl::cboUnit2].Sorted = true;
    return page;
}

TestPages MakeTestPages()
{
    TestPages pages;
    for (int t = 0; t <= TestTypeCount; ++t)
        pages[static_cast<size_t>(t)] = MakeTestPage(static_cast<int16_t>(t));
    return pages;
}

QString ListText(const PageControlState& list)
{
    if (list.ListIndex < 0 || list.ListIndex >= list.Items.size())
        return QString();
    return list.Items.at(list.ListIndex);
}

void FillList(PageControlState& list, const QStringList& items)
{
    list.Items.clear();
    list.ListIndex = -1;
    if (!list.Sorted) {
        list.Items = items;
        return;
    }
    for (const QString& item : items)
        list.Items.insert(SortedInsertRow(list.Items, item), item);
}

void FillUnitList(PageControlState& list, std::initializer_list<int> codes)
{
    QStringList items;
    for (const int code : codes)
        items.append(UnitTextOf(code));
    FillList(list, items);
}

void SelectText(PageControlState& list, const QString& text)
{
    int position = FindInList(text, list.Items);
    if (position == 0 && IsNumeric(text)) {
        const double value = CDbl(text);
        for (qsizetype i = 0; i < list.Items.size(); ++i) {
            if (IsDottedNumber(list.Items.at(i)) && Val(list.Items.at(i)) == value) {
                position = static_cast<int>(i) + 1;
                break;
            }
        }
    }
    list.ListIndex = position - 1;
}

void SetOption(TestPage& page, PageControl option)
{
    for (const PageControl member : OptionGroup(option))
        page[member].Value = member == option;
}

void SetOptionByCaption(TestPage& page, std::initializer_list<PageControl> options, const QString& unitText)
{
    for (const PageControl option : options) {
        if (page[option].Text == unitText)
            SetOption(page, option);
    }
}

std::string UnitCodeOf(const QString& unitText)
{
    return UnitCode(unitText, Language);
}

QString SetOptionCaption(const TestPage& page, std::initializer_list<PageControl> options)
{
    PageControl chosen = PageControl::None;
    for (const PageControl option : options) {
        chosen = option;
        if (page[option].Value)
            break;
    }
    return chosen == PageControl::None ? QString() : page[chosen].Text;
}

QString UnitTextOf(int code)
{
    return UnitText(std::string(1, static_cast<char>(code)), Language);
}

QString ParameterText(const QString& boxText)
{
    QString text = boxText;
    text.replace(u',', u'.');
    return text;
}

double ParameterValue(const QString& boxText)
{
    return Val(ParameterText(boxText));
}

bool IsParameterInRange(const QString& boxText, double lower, double upper)
{
    return IsBetween(ParameterValue(boxText), lower, upper);
}

// ---------------------------------------------------------------------------

void InitTestControls(TestPage& page, const PageContext& context)
{
    if (const TestPageCase* pageCase = FindTestPageCase(page.TestType); pageCase && pageCase->Init)
        pageCase->Init(page, context);
}

void ShowTest(TestPage& page, NominalArea& nominals, const TestDefinition& definition, const PageContext& context)
{
    page.ShownHeaderImage = definition.HeaderImage;
    if (const TestPageCase* pageCase = FindTestPageCase(page.TestType); pageCase && pageCase->Show)
        pageCase->Show(page, ParseDataString(definition.HeaderImage), context);
    ShowNominals(nominals, definition);
}

TestDefinition ReadTest(const TestPage& page, const NominalArea& nominals, const PageContext& context)
{
    TestDefinition definition;
    ReadNominals(nominals, page.TestType, context, definition);
    const TestPageCase* pageCase = FindTestPageCase(page.TestType);
    definition.HeaderImage = pageCase && pageCase->Read ? BuildExpectedDataString(pageCase->Read(page, context))
                                                        : page.ShownHeaderImage;
    return definition;
}

PageControl ValidateTest(const TestPage& page, const NominalArea& nominals, const PageContext& context)
{
    PageControl result = PageControl::None;
    if (const TestPageCase* pageCase = FindTestPageCase(page.TestType); pageCase && pageCase->Validate)
        result = pageCase->Validate(page, context);
    // A failing nominal box comes later in the order and is the one named.
    if (const PageControl nominal = ValidateNominals(nominals, page.TestType, context); nominal != PageControl::None)
        result = nominal;
    return result;
}

void ChoosePageControl(TestPage& page, PageControl control, const PageContext& context)
{
    if (const TestPageCase* pageCase = FindTestPageCase(page.TestType); pageCase && pageCase->Choose)
        pageCase->Choose(page, control, context);
}
