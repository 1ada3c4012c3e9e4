#include "support/application.h"

#include <QApplication>

namespace pencora::testing {

void ensureApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    static int argc = 1;
    static char name[] = "pencora_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace pencora::testing
