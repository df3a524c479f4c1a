#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("ZOLVERA D 7110 QUINTARA III 8.0"));
    window.setWindowTitle(QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    window.resize(640, 200);
    window.show();
    return app.exec();
}
