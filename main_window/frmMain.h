#pragma once
// The measuring window. For now a plain window with the product title; its
// controls, menus and the test-series life cycle follow.
#include <QMainWindow>

class QLabel;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The one instance, created (loaded, not shown) on first use.
    static frmMain* Instance();
    static bool IsLoaded();

    QLabel* lblProduct = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmMain();
    ~frmMain() override;
    void Form_Load();
    void Form_Unload();
};
