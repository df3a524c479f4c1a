// The page controls of the style editor: building them from the layouts of
// the test types, mirroring the page state in them and writing the user's
// edits back, the page procedures over that state, and the tips, key filters
// and whole-text selection of the boxes.
#include "styles/frmStyle.h"

#include "foundation/modGeneral.h"
#include "foundation/modWindow.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "styles/NominalArea.h"
#include "styles/StyleEditorTexts.h"
#include "styles/TestPageCases.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>

namespace {

using P = PageControl;

const char* const TestTypeProperty = "testType";
const char* const ControlProperty = "pageControl";

// Assigns the widget to its control array.
void Assign(frmStyle& form, int t, PageControl control, QWidget* widget)
{
    auto* box = qobject_cast<QLineEdit*>(widget);
    auto* list = qobject_cast<QComboBox*>(widget);
    auto* frame = qobject_cast<QGroupBox*>(widget);
    auto* label = qobject_cast<QLabel*>(widget);
    auto* option = qobject_cast<QRadioButton*>(widget);
    const size_t i = static_cast<size_t>(t);
    switch (control) {
    case P::fraSample1: form.fraSample1[i] = frame; break;
    case P::fraSample2: form.fraSample2[i] = frame; break;
    case P::fraSample3: form.fraSample3[i] = frame; break;
    case P::fraSample4: form.fraSample4[i] = frame; break;
    case P::txtSample1: form.txtSample1[i] = box; break;
    case P::txtSample2: form.txtSample2[i] = box; break;
    case P::txtSample3: form.txtSample3[i] = box; break;
    case P::txtSample4: form.txtSample4[i] = box; break;
    case P::cboSample1: form.cboSample1[i] = list; break;
    case P::cboSample2: form.cboSample2[i] = list; break;
    case P::cboSample3: form.cboSample3[i] = list; break;
    case P::cboSample4: form.cboSample4[i] = list; break;
    case P::cboSample31: form.cboSample31[i] = list; break;
    case P::cboSample32: form.cboSample32[i] = list; break;
    case P::lblSample3: form.lblSample3[i] = label; break;
    case P::optSample1Unit1: form.optSample1Unit1[i] = option; break;
    case P::optSample1Unit2: form.optSample1Unit2[i] = option; break;
    case P::optSample1Unit3: form.optSample1Unit3[i] = option; break;
    case P::optSample3Unit1: form.optSample3Unit1[i] = option; break;
    case P::optSample3Unit2: form.optSample3Unit2[i] = option; break;
    case P::optSample3Unit3: form.optSample3Unit3[i] = option; break;
    case P::optSample4Unit1: form.optSample4Unit1[i] = option; break;
    case P::optSample4Unit2: form.optSample4Unit2[i] = option; break;
    case P::lblSample1Unit: form.lblSample1Unit[i] = label; break;
    case P::lblSample2Unit: form.lblSample2Unit[i] = label; break;
    case P::lblSample3Unit: form.lblSample3Unit[i] = label; break;
    case P::lblSample4Unit: form.lblSample4Unit[i] = label; break;
    case P::lblSample1: form.lblSample1[i] = label; break;
    case P::cboSample1Unit: form.cboSample1Unit[i] = list; break;
    case P::cboSample2Unit: form.cboSample2Unit[i] = list; break;
    case P::cboSample3Unit: form.cboSample3Unit[i] = list; break;
    case P::cboSample4Unit: form.cboSample4Unit[i] = list; break;
    case P::fraUnit: form.fraUnit[i] = frame; break;
    case P::cboUnit1: form.cboUnit1[i] = list; break;
    case P::cboUnit2: form.cboUnit2[i] = list; break;
    default: break;   // the nominal area has members of its own
    }
}

QStringList Items(const QComboBox* list)
{
    QStringList items;
    items.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}

// A character the user types; keys without one (arrows, Delete) and
// shortcuts (Ctrl+V pastes, and the paste is judged by the box's input
// helper) pass.
bool IsTypedCharacter(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key.text();
    return text.size() == 1 && text.front() >= u' ' && text.front() != QChar(0x7F);
}

} // namespace

void frmStyle::CreatePage(int testType)
{
    auto* page = new QGroupBox(stkProperty);
    page->setObjectName(QStringLiteral("fraProperty"));
    page->setFlat(true);
    fraProperty[static_cast<size_t>(testType)] = page;
    stkProperty->addWidget(page);
    const TestPageCase* pageCase = FindTestPageCase(testType);
    if (!pageCase || !pageCase->Layout)
        return;
    // Frames come before the controls they hold.
    for (const PageControlPlace& place : *pageCase->Layout) {
        QWidget* parent = place.Frame == P::None ? page : ControlWidget(testType, place.Frame);
        QWidget* widget = CreateControl(testType, place.Control, parent ? parent : page);
        widget->setGeometry(TwipsToPixels(place.Left), TwipsToPixels(place.Top), TwipsToPixels(place.Width),
                            TwipsToPixels(place.Height));
    }
}

QWidget* frmStyle::CreateControl(int testType, PageControl control, QWidget* parent)
{
    QWidget* widget = nullptr;
    switch (KindOf(control)) {
    case ControlKind::Frame:
        widget = new QGroupBox(parent);
        break;
    case ControlKind::TextBox:
        widget = new QLineEdit(parent);
        break;
    case ControlKind::List:
        widget = new QComboBox(parent);
        break;
    case ControlKind::Option:
        widget = new QRadioButton(parent);
        break;
    case ControlKind::Label:
        widget = new QLabel(parent);
        break;
    case ControlKind::None:
        widget = new QWidget(parent);
        break;
    }
    widget->setObjectName(PageControlName(control));
    const int row = IsNominalControl(control) ? 0 : testType;
    m_controls[static_cast<size_t>(row)][static_cast<size_t>(control)] = widget;
    Assign(*this, row, control, widget);
    ConnectControl(row, control, widget);
    return widget;
}

void frmStyle::ConnectControl(int testType, PageControl control, QWidget* widget)
{
    widget->setProperty(TestTypeProperty, testType);
    widget->setProperty(ControlProperty, static_cast<int>(control));
    const bool nominal = IsNominalControl(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        const KeyFilter filter = nominal ? KeyFilter::Decimals : ParameterKeyFilter(control, testType);
        // Pasted text is held to what the keys may type: a number pasted in
        // the other notation would be read ten or a thousand times too large.
        if (filter == KeyFilter::FreeText)
            InstallTextInput(box, 0);
        else
            InstallNumberInput(box, 0, filter == KeyFilter::Decimals);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, testType, control, nominal](const QString& text) {
            if (nominal)
                Nominals[control] = text;
            else
                Pages[static_cast<size_t>(testType)][control].Text = text;
        });
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        connect(list, &QComboBox::currentIndexChanged, this, [this, testType, control, nominal](int index) {
            if (nominal)
                Nominals.TestIndex = index;
            else
                Pages[static_cast<size_t>(testType)][control].ListIndex = index;
        });
        if (!nominal) {
            connect(list, &QComboBox::activated, this, [this, testType, control] {
                if (control == P::cboUnit1)
                    cboUnit1_Click(testType);
                else if (control == P::cboSample1)
                    cboSample1_Click(testType);
                else
                    PageControl_Click(testType, control);
            });
        }
    } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
        connect(option, &QRadioButton::toggled, this, [this, testType, control](bool checked) {
            Pages[static_cast<size_t>(testType)][control].Value = checked;
        });
        connect(option, &QRadioButton::clicked, this, [this, testType, control] {
            if (control == P::optSample1Unit1)
                optSample1Unit1_Click(testType);
            else if (control == P::optSample1Unit2)
                optSample1Unit2_Click(testType);
            else
                PageControl_Click(testType, control);
        });
    }
}

QWidget* frmStyle::ControlWidget(int testType, PageControl control) const
{
    const int row = IsNominalControl(control) ? 0 : testType;
    if (row < 0 || row > TestTypeCount || control == P::None || control == P::Count)
        return nullptr;
    return m_controls[static_cast<size_t>(row)][static_cast<size_t>(control)];
}

void frmStyle::ApplyPage(int testType)
{
    if (testType < 1 || testType > TestTypeCount)
        return;
    const TestPage& page = Pages[static_cast<size_t>(testType)];
    for (int c = 1; c < PageControlCount; ++c) {
        const PageControl control = static_cast<PageControl>(c);
        const PageControlState& state = page[control];
        QWidget* widget = ControlWidget(testType, control);
        if (!state.Present || !widget || IsNominalControl(control))
            continue;
        const QSignalBlocker blocker(widget);
        switch (KindOf(control)) {
        case ControlKind::Frame:
            static_cast<QGroupBox*>(widget)->setTitle(state.Text);
            if (state.Top >= 0)
                widget->move(widget->x(), TwipsToPixels(state.Top));
            break;
        case ControlKind::TextBox:
            if (auto* box = static_cast<QLineEdit*>(widget); box->text() != state.Text)
                box->setText(state.Text);
            break;
        case ControlKind::List:
            if (auto* list = static_cast<QComboBox*>(widget); Items(list) != state.Items) {
                list->clear();
                list->addItems(state.Items);
            }
            static_cast<QComboBox*>(widget)->setCurrentIndex(state.ListIndex);
            break;
        case ControlKind::Option: {
            auto* option = static_cast<QRadioButton*>(widget);
            option->setText(state.Text);
            if (option->isChecked() != state.Value) {
                // An option of an exclusive group cannot be cleared on its own.
                option->setAutoExclusive(false);
                option->setChecked(state.Value);
                option->setAutoExclusive(true);
            }
            break;
        }
        case ControlKind::Label:
            static_cast<QLabel*>(widget)->setText(state.Text);
            break;
        case ControlKind::None:
            break;
        }
        widget->setVisible(state.Visible);
    }
}

void frmStyle::ApplyNominals()
{
    for (int c = static_cast<int>(P::txtNominal1); c <= static_cast<int>(P::txtCI2); ++c) {
        const PageControl control = static_cast<PageControl>(c);
        auto* box = static_cast<QLineEdit*>(ControlWidget(0, control));
        const QSignalBlocker blocker(box);
        if (box->text() != Nominals[control])
            box->setText(Nominals[control]);
        box->setVisible(Nominals.IsVisible(control));
    }
    const QSignalBlocker blocker(cboTest);
    cboTest->setCurrentIndex(Nominals.TestIndex);
}

void frmStyle::InitTestControls(int testType)
{
    ::InitTestControls(Pages[static_cast<size_t>(testType)], Context());
    ApplyPage(testType);
}

void frmStyle::ShowTest(int testType, const TestDefinition& definition)
{
    if (testType < 1 || testType > TestTypeCount)
        return;
    ::ShowTest(Pages[static_cast<size_t>(testType)], Nominals, definition, Context());
    ApplyPage(testType);
    ApplyNominals();
}

TestDefinition frmStyle::ReadTest(int testType) const
{
    const size_t t = static_cast<size_t>(testType >= 0 && testType <= TestTypeCount ? testType : 0);
    return ::ReadTest(Pages[t], Nominals, Context());
}

PageControl frmStyle::ValidateTest(int testType) const
{
    const size_t t = static_cast<size_t>(testType >= 0 && testType <= TestTypeCount ? testType : 0);
    return ::ValidateTest(Pages[t], Nominals, Context());
}

void frmStyle::ShowNominals(const TestDefinition& definition)
{
    ::ShowNominals(Nominals, definition);
    ApplyNominals();
}

void frmStyle::ArrangeTestPage(int testType)
{
    ::ArrangeTestPage(testType, Nominals, Pages, Context());
    ApplyNominals();
    // Besides the page in front, the keyboard page and the pass/fail page change.
    ApplyPage(1);
    ApplyPage(13);
    if (testType != 1 && testType != 13)
        ApplyPage(testType);
}

void frmStyle::PageControl_Click(int testType, PageControl control)
{
    // The handlers are public; an index without a page returns at once.
    if (testType < 1 || testType > TestTypeCount)
        return;
    ChoosePageControl(Pages[static_cast<size_t>(testType)], control, Context());
    ApplyPage(testType);
}

void frmStyle::optSample1Unit1_Click(int index)
{
    PageControl_Click(index, P::optSample1Unit1);
}

void frmStyle::optSample1Unit2_Click(int index)
{
    PageControl_Click(index, P::optSample1Unit2);
}

void frmStyle::cboUnit1_Click(int index)
{
    PageControl_Click(index, P::cboUnit1);
}

void frmStyle::cboSample1_Click(int index)
{
    PageControl_Click(index, P::cboSample1);
}

QString frmStyle::TipOf(int testType, PageControl control) const
{
    if (IsNominalControl(control))
        return NominalTip(control, Pages[static_cast<size_t>(CurrentTestType)], Context());
    if (testType < 1 || testType > TestTypeCount)
        return QString();
    return ParameterTip(Pages[static_cast<size_t>(testType)], control);
}

bool frmStyle::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // Deferred: the mouse click that gave the focus would place the caret
        // and undo the selection.
        QTimer::singleShot(0, box, [box] { SelectAllText(box); });
        return QDialog::eventFilter(watched, event);
    }
    const QVariant controlValue = box->property(ControlProperty);
    if (!controlValue.isValid())
        return QDialog::eventFilter(watched, event);
    const PageControl control = static_cast<PageControl>(controlValue.toInt());
    const int testType = box->property(TestTypeProperty).toInt();
    if (event->type() == QEvent::KeyPress) {
        const KeyFilter filter = IsNominalControl(control) ? KeyFilter::Decimals : ParameterKeyFilter(control, testType);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (filter != KeyFilter::FreeText && IsTypedCharacter(*key)
            && !IsKeyAllowed(box->text(), key->text(), filter == KeyFilter::Decimals)) {
            InputBeep();
            return true;
        }
    } else if (event->type() == QEvent::ToolTip) {
        // The tip follows the unit chosen at the moment; the box shows it.
        box->setToolTip(TipOf(testType, control));
    }
    return QDialog::eventFilter(watched, event);
}
