// Vimbo: a patience for one player with the 40-card Italian deck.
#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vimbo"));
    QApplication::setOrganizationName(QStringLiteral("Brennolt"));
    vimbo::Form1 form;
    form.show();
    return QApplication::exec();
}
