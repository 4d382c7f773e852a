#include "app/InterimWindows.h"
#include "app/Program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    shelfwise::app::InterimWindows windows;
    shelfwise::app::Program program(QCoreApplication::applicationDirPath().toStdString(), windows);
    return program.Run();
}
