// kvprog_a: the KV417R programming tool. main() of the program.
#include <QApplication>
#include <QStyleFactory>

#include "model_a/descriptor.h"
#include "model_a/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kva::descriptor().program);
    QApplication::setApplicationVersion(kva::descriptor().version);
    QGuiApplication::setDesktopFileName(kva::descriptor().desktopEntry);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    const std::unique_ptr<kva::TMainForm> mainForm = kva::createStartWindows();
    mainForm->show();
    return app.exec();
}
