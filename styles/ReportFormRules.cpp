#include "styles/ReportFormRules.h"

#include "foundation/modGeneral.h"
#include "foundation/modInstrument.h"
#include "platform/Text.h"

namespace {

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The first form of a style with that name (1 to 10), 0 when none.
int StyleFormIndex(const Style& style, const QString& name)
{
    for (int k = 1; k <= StyleFormCount; ++k) {
        if (SameName(style.Forms[static_cast<size_t>(k)].Name, name))
            return k;
    }
    return 0;
}

} // namespace

bool HasCurveBox(int testType)
{
    return IsCurveTestType(testType);
}

TestTypeFlags EnabledPropertyBoxes(const TestTypeFlags& checked, const std::array<int16_t, 6>& portDevice)
{
    TestTypeFlags enabled{};
    enabled[1] = true;
    for (const int16_t device : portDevice) {
        const std::vector<int16_t> types = TestTypesOfInstrument(device);
        bool anyChecked = false;
        for (const int16_t t : types)
            anyChecked = anyChecked || checked[static_cast<size_t>(t)];
        for (const int16_t t : types)
            enabled[static_cast<size_t>(t)] = checked[static_cast<size_t>(t)] || !anyChecked || t == 16 || t == 17;
    }
    return enabled;
}

int CheckedPropertyCount(const TestTypeFlags& checked)
{
    int count = 0;
    for (int t = 1; t <= TestTypeCount; ++t)
        count += checked[static_cast<size_t>(t)] ? 1 : 0;
    return count;
}

bool IsEntryComplete(const QString& nameText, const TestTypeFlags& checked)
{
    return CheckedPropertyCount(checked) > 0 && !Trim(nameText).isEmpty();
}

ReportForm ReadEntry(const QString& nameText, const PropertyBoxStates& states)
{
    ReportForm form;
    form.Name = Trim(nameText);
    size_t k = 0;
    for (int t = 1; t <= TestTypeCount && k < ReportFormItemCount; ++t) {
        const size_t i = static_cast<size_t>(t);
        if (!states.Property[i])
            continue;
        ++k;
        form.Items[k] = ReportFormItem{static_cast<int16_t>(t), states.Histogram[i], HasCurveBox(t) && states.Curve[i]};
    }
    return form;
}

PropertyBoxStates EntryStates(const ReportForm& form)
{
    PropertyBoxStates states;
    for (int k = 1; k <= ReportFormItemCount; ++k) {
        const ReportFormItem& item = form.Items[static_cast<size_t>(k)];
        if (item.Property < 1 || item.Property > TestTypeCount)
            continue;
        const size_t t = static_cast<size_t>(item.Property);
        states.Property[t] = true;
        states.Histogram[t] = item.Histogram;
        states.Curve[t] = HasCurveBox(item.Property) && item.Curve;
    }
    return states;
}

FormSaveResult SaveReportForm(std::vector<ReportForm>& workingCopy, const ReportForm& form)
{
    if (workingCopy.empty())
        workingCopy.resize(1);
    FormSaveResult result;
    result.Index = FindReportFormIndex(form.Name, workingCopy);
    if (result.Index == 0) {
        if (static_cast<int>(workingCopy.size()) - 1 >= MaxReportForms) {
            result.Refused = true;
            return result;
        }
        workingCopy.push_back(form);
        result.Index = static_cast<int>(workingCopy.size()) - 1;
        result.Added = true;
        return result;
    }
    workingCopy[static_cast<size_t>(result.Index)] = form;
    return result;
}

bool IsFormLinkedToStyle(const QString& name, const std::vector<Style>& styles)
{
    // An unused slot of a style has no name and links to nothing.
    if (name.isEmpty())
        return false;
    for (size_t s = 1; s < styles.size(); ++s) {
        if (StyleFormIndex(styles[s], name) > 0)
            return true;
    }
    return false;
}

FormDeleteResult DeleteReportForm(std::vector<ReportForm>& workingCopy, const QString& name,
                                  const std::vector<Style>& styles)
{
    const int n = FindReportFormIndex(name, workingCopy);
    if (n == 0)
        return FormDeleteResult::NotFound;
    if (IsFormLinkedToStyle(workingCopy[static_cast<size_t>(n)].Name, styles))
        return FormDeleteResult::LinkedToStyle;
    workingCopy.erase(workingCopy.begin() + n);
    return FormDeleteResult::Deleted;
}

void ApplySavedForms(std::vector<Style>& styles, const std::vector<ReportForm>& savedForms)
{
    if (savedForms.empty())
        return;
    for (size_t s = 1; s < styles.size(); ++s) {
        Style& style = styles[s];
        for (const ReportForm& form : savedForms) {
            if (form.Name.isEmpty())
                continue;
            const int k = StyleFormIndex(style, form.Name);
            if (k > 0)
                style.Forms[static_cast<size_t>(k)] = form;
        }
    }
}
