#include "platform/LoadedForms.h"

#include <QObject>
#include <QWidget>
#include <algorithm>

namespace {

struct LoadedForm {
    QWidget* Form = nullptr;
    std::function<void()> Unload;
};

std::vector<LoadedForm>& Forms()
{
    static std::vector<LoadedForm> forms;
    return forms;
}

std::vector<LoadedForm>::iterator Find(QWidget* form)
{
    return std::find_if(Forms().begin(), Forms().end(), [form](const LoadedForm& f) { return f.Form == form; });
}

void Forget(QWidget* form)
{
    auto found = Find(form);
    if (found != Forms().end())
        Forms().erase(found);
}

// A bound on the unloading rounds, so a window that loads another one
// whenever it is unloaded cannot keep the program from ending.
constexpr int MostUnloads = 1000;

} // namespace

void RegisterForm(QWidget* form, std::function<void()> unload)
{
    if (!form || Find(form) != Forms().end())
        return;
    Forms().push_back(LoadedForm{form, std::move(unload)});
    QObject::connect(form, &QObject::destroyed, [form] { Forget(form); });
}

std::vector<QWidget*> LoadedForms()
{
    std::vector<QWidget*> forms;
    forms.reserve(Forms().size());
    for (const LoadedForm& f : Forms())
        forms.push_back(f.Form);
    return forms;
}

void UnloadForm(QWidget* form)
{
    auto found = Find(form);
    if (found == Forms().end())
        return;
    const std::function<void()> unload = found->Unload;
    Forms().erase(found);
    if (unload)
        unload();
    else
        form->close();
}

void UnloadFormsExcept(const QString& keptName)
{
    for (int round = 0; round < MostUnloads; ++round) {
        auto next = std::find_if(Forms().begin(), Forms().end(),
                                 [&keptName](const LoadedForm& f) { return f.Form->objectName() != keptName; });
        if (next == Forms().end())
            return;
        UnloadForm(next->Form);
    }
}
