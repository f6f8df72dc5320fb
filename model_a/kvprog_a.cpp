// kvprog_a: the KV417R programming tool. main() of the program.
#include <QApplication>
#include <QStyleFactory>

#include "model_a/descriptor.h"
#include "model_a/main.h"
#include "model_a/sub1.h"
#include "model_a/sub2.h"
#include "serial/CommX.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kva::descriptor().program);
    QApplication::setApplicationVersion(kva::descriptor().version);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);

    kva::TMainForm mainForm;
    // One factory and one CH SET window exist hidden from the start, as in every run.
    kva::TSubForm1 hiddenFactory(&mainForm, mainForm.CommX1);
    kva::TSubForm2 hiddenChSet(&mainForm, mainForm.CommX1);
    mainForm.show();
    return app.exec();
}
