#include "ProgramWindow.h"

#include "data/Error.h"
#include "ui/Messages.h"

namespace vi23 {

ProgramWindow::ProgramWindow(QString databasePath) : path_(std::move(databasePath)) {}

ProgramWindow::~ProgramWindow() = default;

bool ProgramWindow::open()
{
    std::unique_ptr<TForm1> opened;
    try {
        opened = std::make_unique<TForm1>(path_);
    } catch (const UserError& e) {
        ui::reportError(window_.get(), e.text());
        return false;
    }
    connect(opened.get(), &TForm1::reopenRequested, this, &ProgramWindow::reopen);
    // The new window shows before the old one goes, so the program never has no window.
    opened->show();
    window_.swap(opened);
    return true;
}

void ProgramWindow::reopen()
{
    // A file that no longer opens leaves the old window as it is.
    open();
}

} // namespace vi23
