#pragma once
// The modal dialog "System configuration": which instrument serves each of
// the six positions (position 0 on the serial port itself, 1 to 5 the
// channels of the D 7120 switch box) and whether the switch box is used. The
// supervisor drags instrument icons from the palette onto the slots; OK
// writes SwitchBoxUsed and PortDevice and saves the settings.
#include <QDialog>
#include <array>
#include <cstdint>

class LineControl;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMimeData;
class QPushButton;

class frmSystemSettings : public QDialog {
    Q_OBJECT
public:
    // The single instance, created (and loaded) on first use.
    static frmSystemSettings* Instance();
    static bool IsLoaded();
    // Shows the dialog modally; it unloads itself when it closes.
    static int ShowForm();

    // The private format a dragged icon carries: the instrument row as text.
    static const char* const InstrumentRowMimeType;

    QLabel* imgPC = nullptr;
    QLabel* imgSwitchbox = nullptr;
    QCheckBox* chkSwitchbox = nullptr;
    LineControl* linKeyboard = nullptr;
    std::array<LineControl*, 6> linNullmodem{};      // 0 computer to slot 3; 1 to 5 switch box to channel
    std::array<QLabel*, 6> picSBChannel{};           // slots 1 to 5
    std::array<QLabel*, 6> lblSBChannel{};           // 1 to 5
    QGroupBox* fraInstrument = nullptr;
    std::array<QLabel*, 17> imgInstrument{};         // one per instrument row; 1 (keyboard) beside the computer
    std::array<QLabel*, 17> lblInstrument{};
    QLabel* imgDDInstrument = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The row shown in each slot 1 to 5, 0 when empty (element 0 unused).
    std::array<int16_t, 6> ChannelInstrument{};
    // The row whose icon is being dragged.
    int16_t DragInstrument = 0;
    // The slots are green: a drop on a slot is taken.
    bool Highlighted = false;

    void Form_Load();
    void InitForm();
    void SetCaptions(int16_t language);
    void ClearForm();

    // Puts the row into slot `channel` (1 to 5) and refreshes the palette:
    // every member of the family of a placed row is disabled.
    void AssignChannel(int16_t instrument, int channel);
    void HighlightChannels(bool on);
    bool HasAnyInstrument() const;

    void cmdOK_Click();
    void cmdCancel_Click();
    void chkSwitchbox_Click();
    // Left button (1) only: highlights the slots, readies the drag icon and
    // answers True, the drag begins. Other buttons do nothing.
    bool imgInstrument_MouseDown(int index, int button);
    // A drop on a slot: while highlighted, the dragged row goes into it.
    void picSBChannel_DragDrop(int index);
    // A drop anywhere else, and the end of every drag: the slots turn grey.
    void Form_DragDrop();

    // True for a drop the slots take: our own format while highlighted.
    bool AcceptsDrop(const QMimeData* data) const;

    // Escape and the close box cancel; every way of closing unloads.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmSystemSettings();
    ~frmSystemSettings() override;
    void Form_Unload();
    void RunDrag(int index, const QPoint& hotSpot);
    void SetSlotColour(int channel, int32_t colour);
};
