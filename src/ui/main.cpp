#include "engine/run_state.h"
#include "ui/frm_main.h"
#include "ui/qt_prompter.h"
#include "ui/qt_yield_hook.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zuk::RunState state;
    zuk::QtPrompter prompter;
    zuk::QtYieldHook yieldHook;
    zuk::frmMain window(state, prompter);
    prompter.setOwner(&window);
    window.show();
    return app.exec();
}
