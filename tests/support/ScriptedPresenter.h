#pragma once
// Test doubles of the message presenter and the modal-dialog runner: each box
// is recorded with the mouse pointer in force while it was up, and answered
// from a script; each modal dialog is shown, handed to a scripted action and
// closed, so no test ever blocks.
#include "platform/MessagePresenter.h"
#include "platform/ModalDialog.h"
#include "platform/PopupMenu.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

class QDialog;

class ScriptedPresenter : public MessagePresenter {
public:
    // Installs itself; the destructor restores the program's presenter.
    ScriptedPresenter();
    ~ScriptedPresenter() override;

    int16_t Present(const MessageRequest& request) override;

    // Answers given in order; when the script is used up, each box is
    // answered with its default button.
    void Answer(int16_t answer) { m_answers.push_back(answer); }

    std::vector<MessageRequest> Shown;
    std::vector<int16_t> PointerWhileShown;
    // Something that happened at each box, e.g. the splash was still visible.
    std::function<void(const MessageRequest&)> OnPresent;

private:
    std::deque<int16_t> m_answers;
};

class ScriptedDialogRunner : public ModalDialogRunner {
public:
    using Action = std::function<void(QDialog&)>;

    // Installs itself; the destructor restores exec().
    ScriptedDialogRunner();
    ~ScriptedDialogRunner() override;

    // Actions for the next dialogs, in order. A dialog that is still open
    // after its action (or that has no action) is rejected.
    void Then(Action action) { m_actions.push_back(std::move(action)); }

    int Run(QDialog& dialog) override;

    // Object names of the dialogs run, in order.
    std::vector<QString> Ran;

private:
    std::deque<Action> m_actions;
};

// Records each pop-up menu (its object name and that of its bold default
// item, "" for none) and triggers the scripted item, if any, as a choice.
class RecordingPopupRunner : public PopupMenuRunner {
public:
    // Installs itself; the destructor goes back to showing menus.
    RecordingPopupRunner();
    ~RecordingPopupRunner() override;

    void Run(QMenu& menu, QAction* defaultItem) override;

    // Object name of the item to choose at the next pop-ups, in order; an
    // empty name (or none left) closes the menu without a choice.
    void Choose(const QString& itemName) { m_choices.push_back(itemName); }

    struct Shown {
        QString Menu;
        QString DefaultItem;
    };
    std::vector<Shown> Popped;

private:
    std::deque<QString> m_choices;
};
