// kvprog_b: the KV938R/935R/931R programming tool. main() of the program.
#include <QApplication>
#include <QStyleFactory>

#include "model_b/descriptor.h"
#include "model_b/main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kvb::descriptor().program);
    QApplication::setApplicationVersion(kvb::descriptor().version);
    QGuiApplication::setDesktopFileName(kvb::descriptor().desktopEntry);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    kvb::TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
