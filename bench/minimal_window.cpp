// The yardstick for tarvel's start-up: the least a Qt Widgets program does to
// put a window on the screen, one empty window of the main window's size.
// With --label the window holds one line of text, which an empty window never
// needs, so the figure also shows what loading the fonts costs.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool withLabel = argc > 1 && QByteArray(argv[1]) == "--label";
    QWidget window;
    window.setWindowTitle(withLabel ? QStringLiteral("Minimal Qt window with a label") : QStringLiteral("Minimal Qt window"));
    window.setFixedSize(495, 329);
    if (withLabel) (new QLabel(QStringLiteral("Nazwa pliku RES"), &window))->setGeometry(8, 288, 97, 17);
    window.show();
    return QApplication::exec();
}
