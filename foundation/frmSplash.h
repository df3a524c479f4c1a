#pragma once
// Shows the product title and version on top of everything while the main
// window loads. Shown modeless by the start-up and unloaded by it.
#include <QWidget>

class QFrame;
class QLabel;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    // The one instance, created (loaded, and so shown on top) on first use.
    static frmSplash* Instance();
    static bool IsLoaded();
    // Unloads the window if it is loaded.
    static void Unload();

    QFrame* fraSplash = nullptr;
    QLabel* imgSplash = nullptr;
    QLabel* lblQUINTARA = nullptr;
    QLabel* lblVersion = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    frmSplash();
    ~frmSplash() override;
    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    bool m_unloaded = false;
};
