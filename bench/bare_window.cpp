// The floor for start-up: a bare Qt window with as many buttons as the month has days, shown
// as soon as it can be. ./scripts/measure-startup starts it beside Tarvelo in the same run.

#include <QApplication>
#include <QGridLayout>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Calendario"));
    auto* grid = new QGridLayout(&window);
    for (int i = 0; i < 37; ++i)
        grid->addWidget(new QPushButton(QString::number(i + 1), &window), i / 7, i % 7);
    window.show();
    return app.exec();
}
