// The toolkit's floor for the start-up figures: a bare window of the race
// screen's size and place, showing one label in the game's Japanese face.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.move(231, 202);
    window.setFixedSize(599, 315);
    QLabel label(QStringLiteral("ミルタ100ｍ走"), &window);
    QFont face(QStringLiteral("IPAPGothic"));
    face.setPixelSize(12);
    label.setFont(face);
    label.move(20, 20);
    window.show();
    return application.exec();
}
