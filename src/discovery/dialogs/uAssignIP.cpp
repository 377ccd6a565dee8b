#include "discovery/dialogs/uAssignIP.h"

#include "platform/ScreenScale.h"
#include "ui_uAssignIP.h"

#include <QScreen>
#include <QShowEvent>

TformAssignIP::TformAssignIP(QWidget* parent) : QDialog(parent), ui(new Ui::TformAssignIP) {
    ui->setupUi(this);
    const double factor = platform::ScreenScaleFactor(screen());
    resize(platform::ScaledSize(width(), factor), platform::ScaledSize(height(), factor));
    connect(ui->Button1, &QPushButton::clicked, this, &TformAssignIP::Button1Click);
}

void TformAssignIP::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        // Over the main window on every showing, wherever the window has been moved since.
        QRect frame = frameGeometry();
        if (const QWidget* parent = parentWidget()) {
            frame.moveCenter(parent->window()->frameGeometry().center());
        } else if (const QScreen* where = screen()) {
            frame.moveCenter(where->availableGeometry().center());
        }
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

TformAssignIP::~TformAssignIP() {
    delete ui;
}

QString TformAssignIP::ask() {
    chosen_.clear();
    exec();
    return chosen_;
}

void TformAssignIP::Button1Click() {
    // No check of the text: anything that is not a dotted quad is looked up as a host name.
    chosen_ = ui->edtIP1->text().trimmed() + QLatin1Char('.') + ui->edtIP2->text().trimmed() +
              QLatin1Char('.') + ui->edtIP3->text().trimmed() + QLatin1Char('.') +
              ui->edtIP4->text().trimmed();
    accept();
}
